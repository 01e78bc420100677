#include "DialogTemplate.h"

namespace {

WORD lo(DWORD v) {
    return static_cast<WORD>(v & 0xFFFFu);
}
WORD hi(DWORD v) {
    return static_cast<WORD>(v >> 16);
}
WORD coord(int v) {
    return static_cast<WORD>(static_cast<short>(v));
}

} // namespace

DialogTemplate::DialogTemplate(DWORD style, int cx, int cy, const std::wstring& caption,
                               WORD points, const std::wstring& font) {
    header(style | DS_SETFONT, 0, 0, 0, cx, cy);
    m_words.push_back(0); // cdit, counted as controls are added
    m_words.push_back(0); // x
    m_words.push_back(0); // y
    m_words.push_back(coord(cx));
    m_words.push_back(coord(cy));
    m_words.push_back(0); // no menu
    m_words.push_back(0); // the predefined dialog class
    text(caption);
    m_words.push_back(points);
    text(font);
}

void DialogTemplate::header(DWORD style, DWORD exStyle, int, int, int, int) {
    m_words.push_back(lo(style));
    m_words.push_back(hi(style));
    m_words.push_back(lo(exStyle));
    m_words.push_back(hi(exStyle));
}

void DialogTemplate::text(const std::wstring& s) {
    for (const wchar_t c : s)
        m_words.push_back(static_cast<WORD>(c));
    m_words.push_back(0);
}

void DialogTemplate::alignDword() {
    if (m_words.size() % 2 != 0) m_words.push_back(0);
}

void DialogTemplate::item(DWORD style, DWORD exStyle, int x, int y, int cx, int cy, WORD id) {
    alignDword();
    m_words.push_back(lo(style));
    m_words.push_back(hi(style));
    m_words.push_back(lo(exStyle));
    m_words.push_back(hi(exStyle));
    m_words.push_back(coord(x));
    m_words.push_back(coord(y));
    m_words.push_back(coord(cx));
    m_words.push_back(coord(cy));
    m_words.push_back(id);
    ++m_words[4]; // cdit
}

void DialogTemplate::add(WORD classAtom, WORD id, DWORD style, int x, int y, int cx, int cy,
                         const std::wstring& title, DWORD exStyle) {
    item(style, exStyle, x, y, cx, cy, id);
    m_words.push_back(0xFFFF);
    m_words.push_back(classAtom);
    text(title);
    m_words.push_back(0); // no creation data
}

void DialogTemplate::add(const std::wstring& className, WORD id, DWORD style, int x, int y, int cx,
                         int cy, const std::wstring& title, DWORD exStyle) {
    item(style, exStyle, x, y, cx, cy, id);
    text(className);
    text(title);
    m_words.push_back(0);
}
