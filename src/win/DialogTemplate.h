// A dialog template built in memory, as a resource compiler would write it: the window
// (style, size in dialog units, caption, font) and its controls in order.
#pragma once

#include "WinApi.h"

#include <string>
#include <vector>

class DialogTemplate {
  public:
    DialogTemplate(DWORD style, int cx, int cy, const std::wstring& caption, WORD points,
                   const std::wstring& font);

    // A control of a predefined class (0x0080 button, 0x0081 edit, 0x0082 static).
    void add(WORD classAtom, WORD id, DWORD style, int x, int y, int cx, int cy,
             const std::wstring& text, DWORD exStyle = 0);
    // A control of a registered class by name (a list view, a trackbar).
    void add(const std::wstring& className, WORD id, DWORD style, int x, int y, int cx, int cy,
             const std::wstring& text, DWORD exStyle = 0);

    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

  private:
    void header(DWORD style, DWORD exStyle, int x, int y, int cx, int cy);
    void text(const std::wstring& s);
    void alignDword();
    void item(DWORD style, DWORD exStyle, int x, int y, int cx, int cy, WORD id);

    std::vector<WORD> m_words;
};

namespace ctlclass {
constexpr WORD Button = 0x0080;
constexpr WORD Edit = 0x0081;
constexpr WORD Static = 0x0082;
} // namespace ctlclass
