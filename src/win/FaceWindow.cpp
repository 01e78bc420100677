#include "FaceWindow.h"

#include "DialogTemplate.h"
#include "FaceIds.h"
#include "WinPorts.h"
#include "WinSkin.h"
#include "WinText.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

using orvane::Control;
using orvane::ControlKind;

namespace {

constexpr int kNoEditLimit = 32767;
// Column widths are fitted to the first rows' texts, not to all of a long list.
constexpr int kFitSampleRows = 64;
// A text is made no smaller than this to fit its place (then it is cut after all).
constexpr int kSmallestFittedPx = 8;
// The subclass of a list view and its header that draws two-line rows.
constexpr UINT_PTR kTwoLineSubclass = 2;
// A cell's text keeps this far from the cell's sides, as the list view's own.
constexpr int kCellTextMargin = 6;

DWORD alignStyle(orvane::Align align, DWORD left, DWORD center, DWORD right) {
    switch (align) {
    case orvane::Align::Center: return center;
    case orvane::Align::Right: return right;
    case orvane::Align::Left: break;
    }
    return left;
}

// The height of a text line in the window's own font.
int fontLineHeight(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return metrics.tmHeight;
}

std::wstring windowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

} // namespace

FaceWindow::FaceWindow(DialerAdapter& dialog) : m_dialog(dialog), m_face(dialog.face()) {}

FaceWindow::~FaceWindow() {
    if (m_hwnd != nullptr) DestroyWindow(m_hwnd);
    for (auto& [height, font] : m_cellFonts)
        DeleteObject(font);
    for (auto& [key, font] : m_fittedFonts)
        if (font != nullptr) DeleteObject(font);
    for (auto& [id, images] : m_imageLists)
        ImageList_Destroy(images);
    for (auto& [height, images] : m_tallImages)
        ImageList_Destroy(images);
    if (m_scaledDialogFont != nullptr) DeleteObject(m_scaledDialogFont);
}

bool FaceWindow::create() {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&common);
    // The face's template: a fixed dialog in the phone's font, as large as the face.
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME |
                         DS_CENTER | WS_CLIPCHILDREN,
                     kFaceWidthDlu, kFaceHeightDlu, wintext::ToWide(m_face.Caption()), 10,
                     L"Microsoft Sans Serif");
    m_hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.get(), nullptr, dialogProc,
                                        reinterpret_cast<LPARAM>(this));
    return m_hwnd != nullptr;
}

INT_PTR CALLBACK FaceWindow::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<FaceWindow*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->m_hwnd = hwnd;
    }
    auto* self = reinterpret_cast<FaceWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (self == nullptr) return FALSE;
    return self->handle(message, wParam, lParam);
}

INT_PTR FaceWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        // The density the window starts at, and its font there: fonts for another density
        // are made from them.
        const UINT dpi = GetDpiForWindow(m_hwnd);
        m_dpi = m_createdDpi = dpi != 0 ? dpi : 96;
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0)),
                   sizeof m_dialogLook, &m_dialogLook);
        SendMessageW(m_hwnd, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(winskin::Icon(orvane::Ico::App, 32)));
        SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(winskin::Icon(orvane::Ico::App, 16)));
        createMenu();
        // The menu bar takes its height from the client area: the window grows by it.
        RECT face{0, 0, kFaceWidthDlu, kFaceHeightDlu};
        MapDialogRect(m_hwnd, &face);
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE));
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE));
        AdjustWindowRectEx(&face, style, TRUE, exStyle);
        SetWindowPos(m_hwnd, nullptr, 0, 0, face.right - face.left, face.bottom - face.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        createControls();
        return FALSE; // the model says where the focus goes
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        const auto from = reinterpret_cast<HWND>(lParam);
        if (from == nullptr) {
            // A menu command (code 0) or an accelerator; Enter and Escape arrive as IDOK and
            // IDCANCEL without a control when no button has them.
            if (id == IDOK)
                callCore([this] { m_dialog.ok(); });
            else if (id == IDCANCEL)
                callCore([this] { m_dialog.cancel(); });
            else
                callCore([this, id] { m_dialog.command(id); });
            return TRUE;
        }
        if (code == BN_CLICKED) {
            if (id == IDCANCEL)
                callCore([this] { m_dialog.cancel(); });
            else if (id == IDOK)
                callCore([this] { m_dialog.ok(); });
            else
                callCore([this, id] { m_dialog.command(id); });
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (onNotify(reinterpret_cast<NMHDR*>(lParam), result)) {
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
        return FALSE;
    }
    case WM_HSCROLL: {
        View* view = viewOfWindow(reinterpret_cast<HWND>(lParam));
        if (view == nullptr || view->kind != ControlKind::Slider) return FALSE;
        callCore([this] { m_dialog.volumeSlider(); });
        return TRUE;
    }
    case WM_TIMER: {
        const int id = static_cast<int>(wParam);
        callCore([this, id] { m_dialog.timer(id); });
        return TRUE;
    }
    case WM_DRAWITEM: drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_DPICHANGED: {
        // Moved to a screen of another density: the system has scaled the dialog's font;
        // the window takes the size it suggests and every control its new place and font.
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        m_dpi = HIWORD(wParam) != 0 ? HIWORD(wParam) : m_dpi;
        HFONT oldDialogFont = m_scaledDialogFont;
        m_scaledDialogFont = nullptr;
        std::map<int, HFONT> old;
        old.swap(m_cellFonts);
        std::map<std::pair<HFONT, int>, HFONT> oldFitted;
        oldFitted.swap(m_fittedFonts);
        for (View& view : m_views) {
            if (view.hwnd == nullptr) continue; // placed when it is made
            const RECT r = placeOf(view.id);
            SetWindowPos(view.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            view.font = nullptr;
            view.fittedRows = -1;
            apply(view, m_face.Get(view.id));
            // The tag's word is measured again in the new font.
            if (!view.shownTag.empty()) showEditTag(view, view.shownTag);
        }
        for (auto& [height, font] : old)
            DeleteObject(font);
        for (auto& [key, font] : oldFitted)
            if (font != nullptr) DeleteObject(font);
        if (oldDialogFont != nullptr) DeleteObject(oldDialogFont);
        InvalidateRect(m_hwnd, nullptr, TRUE);
        return TRUE;
    }
    case WM_CLOSE:
        // The dialog decides; it ends itself when it is done.
        if (!m_ended) callCore([this] { m_dialog.close(); });
        return TRUE;
    case WM_DESTROY: PostQuitMessage(0); return FALSE;
    case WM_NCDESTROY: m_hwnd = nullptr; return FALSE;
    case winmsg::Socket:
        if (m_socket != nullptr) m_socket->onSocketMessage(wParam, lParam);
        return TRUE;
    case winmsg::Drain:
        if (m_socket != nullptr) m_socket->onDrain();
        return TRUE;
    case winmsg::Writable:
        if (m_socket != nullptr) m_socket->onWritable();
        return TRUE;
    default: break;
    }
    return FALSE;
}

void FaceWindow::createMenu() {
    m_menu = CreateMenu();
    HMENU menus[2] = {CreatePopupMenu(), CreatePopupMenu()};
    AppendMenuW(m_menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menus[0]), L"Devices");
    AppendMenuW(m_menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(menus[1]), L"Help");
    for (const orvane::MenuItem& item : m_face.MenuItems()) {
        HMENU popup = menus[item.menu == 1 ? 1 : 0];
        if (item.id == 0) {
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(item.id),
                    wintext::ToWide(item.text).c_str());
    }
    SetMenu(m_hwnd, m_menu);
}

void FaceWindow::createControls() {
    const std::vector<Control>& controls = m_face.Controls();
    m_views.reserve(controls.size());
    for (const Control& c : controls) {
        View view;
        view.id = c.id;
        view.kind = c.kind;
        m_viewIndex[view.id] = m_views.size();
        m_views.push_back(view);
    }
    // Only what the face shows gets a window now: the lists, the editor's fields and the
    // keys of other screens cost start-up time while nobody sees them. The window shows the
    // face as the template builds it.
    m_syncing = true;
    for (View& view : m_views) {
        const Control& c = m_face.Get(view.id);
        apply(view, c);
        view.version = c.version;
    }
    m_syncing = false;
    applyWindow();
    m_syncedVersion = m_face.Version();
}

void FaceWindow::makeWindow(View& view) {
    const Control& c = m_face.Get(view.id);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    const wchar_t* cls = L"STATIC";
    switch (c.kind) {
    case ControlKind::PushButton:
        cls = L"BUTTON";
        style |= c.id == orvane::Ctl::Ok ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (c.multiLine) style |= BS_MULTILINE;
        if (c.id != orvane::Ctl::Ok && c.id != orvane::Ctl::LinuxSecret)
            exStyle |= WS_EX_STATICEDGE | WS_EX_CLIENTEDGE;
        break;
    case ControlKind::ImageButton:
    case ControlKind::MyButton:
        cls = L"BUTTON";
        style |= BS_OWNERDRAW;
        exStyle |= WS_EX_STATICEDGE;
        break;
    case ControlKind::Text:
        style |= SS_NOPREFIX | alignStyle(c.align, SS_LEFT, SS_CENTER, SS_RIGHT);
        if (c.vcenter) style |= SS_CENTERIMAGE;
        break;
    case ControlKind::Bitmap: style |= SS_OWNERDRAW; break;
    case ControlKind::Edit:
        cls = L"EDIT";
        style |= ES_AUTOHSCROLL | alignStyle(c.align, ES_LEFT, ES_CENTER, ES_RIGHT);
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    case ControlKind::Slider:
        cls = TRACKBAR_CLASSW;
        style |= TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM;
        break;
    case ControlKind::List:
        cls = WC_LISTVIEWW;
        style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA | LVS_NOSORTHEADER;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    }
    if (c.tabStop) style |= WS_TABSTOP;
    const RECT r = placeOf(c.id);
    view.hwnd = CreateWindowExW(
        exStyle, cls, L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top, m_hwnd,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), GetModuleHandleW(nullptr), nullptr);
    if (view.hwnd == nullptr) return;
    if (c.kind == ControlKind::List)
        ListView_SetExtendedListViewStyle(view.hwnd, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    // The first control of the template lies on top and comes first in the tab order: a
    // window made later goes just below the nearest control before it that has one.
    HWND above = HWND_TOP;
    for (const View& other : m_views) {
        if (other.id == view.id) break;
        if (other.hwnd != nullptr) above = other.hwnd;
    }
    SetWindowPos(view.hwnd, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

RECT FaceWindow::placeOf(int id) const {
    const Control& c = m_face.Get(id);
    RECT r{c.rect.x, c.rect.y, c.rect.x + c.rect.w, c.rect.y + c.rect.h};
    MapDialogRect(m_hwnd, &r);
    if (c.kind == ControlKind::Bitmap && c.sizeToImage) {
        const SIZE size = winskin::BitmapSize(c.bitmap);
        if (size.cx > 0) {
            r.right = r.left + size.cx;
            r.bottom = r.top + size.cy;
        }
    }
    return r;
}

namespace {

// An edit's tag: a small word in a green box at the edit's right end, the colour of the
// SEND key whose action it names; the edit's text keeps clear of it.
constexpr COLORREF kTagGround = RGB(0x1f, 0x7a, 0x2e);
constexpr int kTagInset = 1; // from the edit's right end, inside its sunken frame
constexpr int kTagPadding = 4;

SIZE tagSize(HDC dc, const std::wstring& tag) {
    SIZE text{};
    GetTextExtentPoint32W(dc, tag.c_str(), static_cast<int>(tag.size()), &text);
    return {text.cx + 2 * kTagPadding, text.cy};
}

} // namespace

LRESULT CALLBACK FaceWindow::editTagProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &FaceWindow::editTagProc, 1);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    // Over what the edit has painted: the edit draws its text within its margins only.
    if (message == WM_PAINT) {
        auto* self = reinterpret_cast<FaceWindow*>(data);
        if (const View* view = self->viewOfWindow(hwnd); view != nullptr && !view->shownTag.empty())
            self->paintEditTag(hwnd, view->shownTag);
    }
    return result;
}

void FaceWindow::paintEditTag(HWND edit, const std::wstring& tag) {
    HDC dc = GetDC(edit);
    if (dc == nullptr) return;
    const HFONT font = fontFor(orvane::FontId::Dialog);
    HGDIOBJ oldFont = SelectObject(dc, font);
    const SIZE size = tagSize(dc, tag);
    RECT client{};
    GetClientRect(edit, &client);
    RECT box{client.right - kTagInset - size.cx, (client.bottom - size.cy) / 2,
             client.right - kTagInset, (client.bottom - size.cy) / 2 + size.cy};
    HBRUSH ground = CreateSolidBrush(kTagGround);
    HGDIOBJ oldBrush = SelectObject(dc, ground);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    // A null pen leaves the right and bottom edge: one pixel more each.
    RoundRect(dc, box.left, box.top, box.right + 1, box.bottom + 1, 6, 6);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(ground);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0xff, 0xff, 0xff));
    DrawTextW(dc, tag.c_str(), static_cast<int>(tag.size()), &box,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    ReleaseDC(edit, dc);
}

void FaceWindow::showEditTag(View& view, const std::wstring& tag) {
    HWND edit = view.hwnd;
    if (view.shownTag.empty() && !tag.empty()) {
        SetWindowSubclass(edit, &FaceWindow::editTagProc, 1, reinterpret_cast<DWORD_PTR>(this));
        // The edit's own margin comes back with the tag's going.
        view.plainMargin = HIWORD(SendMessageW(edit, EM_GETMARGINS, 0, 0));
    }
    view.shownTag = tag;
    int margin = view.plainMargin;
    if (!tag.empty()) {
        HDC dc = GetDC(edit);
        HGDIOBJ old = SelectObject(dc, fontFor(orvane::FontId::Dialog));
        margin = tagSize(dc, tag).cx + kTagInset + 1;
        SelectObject(dc, old);
        ReleaseDC(edit, dc);
    }
    SendMessageW(edit, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, margin));
    InvalidateRect(edit, nullptr, TRUE);
}

HFONT FaceWindow::fitting(HFONT font, HWND control, const std::wstring& text) {
    RECT client{};
    GetClientRect(control, &client);
    const int room = client.right - client.left - 2;
    if (text.empty() || room <= 0) return font;
    HDC dc = GetDC(control);
    if (dc == nullptr) return font;
    HGDIOBJ before = SelectObject(dc, font);
    auto fits = [&](HFONT f) {
        SelectObject(dc, f);
        SIZE need{};
        return GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &need) ==
                   FALSE ||
               need.cx <= room;
    };
    HFONT chosen = font;
    LOGFONTW look{};
    if (!fits(font) && GetObjectW(font, sizeof look, &look) == sizeof look) {
        // The same font a pixel smaller at a time, down to a size still read (then cut).
        const int sign = look.lfHeight < 0 ? -1 : 1;
        int px = look.lfHeight != 0 ? std::abs(look.lfHeight) : 13;
        while (px > kSmallestFittedPx) {
            --px;
            auto key = std::make_pair(font, px);
            auto it = m_fittedFonts.find(key);
            if (it == m_fittedFonts.end()) {
                look.lfHeight = sign * px;
                look.lfWidth = 0;
                it = m_fittedFonts.emplace(key, CreateFontIndirectW(&look)).first;
            }
            if (it->second == nullptr) break;
            chosen = it->second;
            if (fits(chosen)) break;
        }
    }
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    return chosen;
}

HFONT FaceWindow::fontFor(orvane::FontId font) {
    if (font == orvane::FontId::Dialog) {
        if (m_dpi == m_createdDpi || m_dialogLook.lfHeight == 0)
            return reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
        // On a screen of another density: the window's font made for it (whether or not the
        // system has scaled the dialog's own).
        if (m_scaledDialogFont == nullptr) {
            LOGFONTW look = m_dialogLook;
            look.lfHeight =
                MulDiv(look.lfHeight, static_cast<int>(m_dpi), static_cast<int>(m_createdDpi));
            look.lfWidth = 0;
            m_scaledDialogFont = CreateFontIndirectW(&look);
        }
        return m_scaledDialogFont;
    }
    return cellFont(orvane::FaceModel::FontHeight(font, m_face.FontBHeight()));
}

HFONT FaceWindow::cellFont(int cellHeight) {
    // The face gives its fonts in pixels at 96 dots an inch, like its dialog units' font.
    const int height = MulDiv(cellHeight, static_cast<int>(m_dpi), 96);
    auto it = m_cellFonts.find(height);
    if (it == m_cellFonts.end()) {
        // A positive height asks for the cell (ascent plus descent): the face gives its
        // fonts that way.
        HFONT made = CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_SWISS, L"Arial");
        it = m_cellFonts.emplace(height, made).first;
    }
    return it->second;
}

void FaceWindow::apply(View& view, const Control& c) {
    // A control nobody has seen yet stays without a window while it is hidden; once made,
    // its window is brought in step with all of the control.
    if (view.hwnd == nullptr) {
        if (!c.visible) return;
        makeWindow(view);
    }
    HWND w = view.hwnd;
    if (w == nullptr) return;
    HFONT font = c.kind == ControlKind::List && view.listCellHeight > 0
                     ? cellFont(view.listCellHeight)
                     : fontFor(c.font);
    // A one-line text wider than its line is written smaller, whole, not cut at its ends.
    if (c.kind == ControlKind::Text && c.vcenter) font = fitting(font, w, wintext::ToWide(c.text));
    if (view.font != font) {
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), view.font != nullptr);
        view.font = font;
    }
    switch (c.kind) {
    case ControlKind::PushButton:
    case ControlKind::Text: {
        const std::wstring text = wintext::ToWide(c.text);
        if (windowText(w) != text) SetWindowTextW(w, text.c_str());
        break;
    }
    case ControlKind::Bitmap:
        if (view.shownBitmap != c.bitmap) {
            const RECT r = placeOf(c.id);
            SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            view.shownBitmap = c.bitmap;
            InvalidateRect(w, nullptr, TRUE);
        }
        break;
    // Drawn from the model: redrawn when their picture changes, and only then (a phone
    // sets the same pictures again and again; under Wine a key's repaint is not cheap).
    case ControlKind::ImageButton:
        if (view.shownBitmap != c.bitmap) {
            view.shownBitmap = c.bitmap;
            InvalidateRect(w, nullptr, TRUE);
        }
        break;
    case ControlKind::MyButton:
        if (view.shownImages != c.images || view.shownBitmap < 0) {
            view.shownImages = c.images;
            view.shownBitmap = 0;
            InvalidateRect(w, nullptr, TRUE);
        }
        break;
    case ControlKind::Edit: {
        if (view.password != c.password || view.version == 0) {
            SendMessageW(w, EM_SETPASSWORDCHAR, c.password ? L'*' : 0, 0);
            view.password = c.password;
        }
        const std::wstring text = wintext::ToWide(c.text);
        // A limit holds what the user types; a longer text set by the dialog stays whole.
        const int limit = c.maxLength > 0
                              ? std::max<int>(c.maxLength, static_cast<int>(text.size()))
                              : kNoEditLimit;
        SendMessageW(w, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
        if (windowText(w) != text) SetWindowTextW(w, text.c_str());
        view.pushedText = text;
        const std::wstring tag = wintext::ToWide(c.tag);
        if (tag != view.shownTag) showEditTag(view, tag);
        const int length = static_cast<int>(text.size());
        const int start = std::clamp(c.selStart, 0, length);
        const int end = std::clamp(c.selEnd, 0, length);
        SendMessageW(w, EM_SETSEL, static_cast<WPARAM>(start), end);
        SendMessageW(w, EM_SCROLLCARET, 0, 0);
        break;
    }
    case ControlKind::Slider:
        SendMessageW(w, TBM_SETRANGE, FALSE, MAKELPARAM(c.rangeMin, c.rangeMax));
        SendMessageW(w, TBM_SETTICFREQ, static_cast<WPARAM>(std::max(1, c.tickFreq)), 0);
        SendMessageW(w, TBM_SETLINESIZE, 0, c.lineSize);
        SendMessageW(w, TBM_SETPAGESIZE, 0, c.pageSize);
        SendMessageW(w, TBM_SETPOS, TRUE, c.pos);
        break;
    case ControlKind::List: applyList(view, c); break;
    }
    if ((IsWindowEnabled(w) != FALSE) != c.enabled) EnableWindow(w, c.enabled ? TRUE : FALSE);
    if ((GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0 ? !c.visible : c.visible)
        ShowWindow(w, c.visible ? SW_SHOWNA : SW_HIDE);
}

void FaceWindow::applyList(View& view, const Control& c) {
    const orvane::ListData& l = c.list;
    HWND w = view.hwnd;
    const bool rebuilt = l.resetCount != view.listReset || l.columns.size() != view.columns;
    // New rows, columns or widths: the view would repaint (and redo its scroll bar) at each
    // step. It takes them all with its drawing off and paints once. The list view's own
    // drawing-off still draws its scroll bar at every change of it (under Wine each themed
    // draw takes milliseconds), so the window's drawing is turned off as well: marked
    // hidden, not hidden on the screen, until the end.
    const bool quiet = (rebuilt || static_cast<int>(l.rows.size()) != view.rows) &&
                       (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0;
    if (quiet) {
        SendMessageW(w, WM_SETREDRAW, FALSE, 0);
        DefWindowProcW(w, WM_SETREDRAW, FALSE, 0);
    }
    if (rebuilt) {
        view.listReset = l.resetCount;
        while (ListView_DeleteColumn(w, 0) != FALSE) {
        }
        for (std::size_t i = 0; i < l.columns.size(); ++i) {
            const orvane::ListColumn& col = l.columns[i];
            std::wstring heading = wintext::ToWide(col.heading);
            LVCOLUMNW lvc{};
            lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            lvc.fmt =
                static_cast<int>(alignStyle(col.align, LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_RIGHT));
            lvc.cx = col.width;
            lvc.pszText = heading.data();
            SendMessageW(w, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&lvc));
        }
        view.columns = l.columns.size();
        view.rows = -1;
    }
    if (l.imageList != view.imageList) {
        view.imageList = l.imageList;
        if (l.imageList != orvane::ImageListId::None &&
            m_imageLists.find(l.imageList) == m_imageLists.end()) {
            HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0);
            for (int i = 0; i < 3; ++i) {
                const int icon = orvane::ListIcon(l.imageList, i);
                if (icon != 0) ImageList_AddIcon(images, winskin::Icon(icon, 16));
            }
            m_imageLists.emplace(l.imageList, images);
        }
        setRowImages(view);
    }
    const int rows = static_cast<int>(l.rows.size());
    if (rows != view.rows || rebuilt) {
        // Appended rows only extend the count; the view asks for their texts when shown.
        const DWORD flags = (!rebuilt && rows > view.rows && view.rows >= 0)
                                ? (LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL)
                                : LVSICF_NOSCROLL;
        ListView_SetItemCountEx(w, rows, flags);
        if (rebuilt || rows < view.rows) InvalidateRect(w, nullptr, TRUE);
        view.rows = rows;
    } else {
        // Texts of rows already shown may have changed.
        InvalidateRect(w, nullptr, FALSE);
    }
    // Rows past the sample change no width: a long list is fitted once, not per datagram.
    // (After the count: the rows tell whether the vertical scroll bar takes room.)
    if (rebuilt || (rows != view.fittedRows && view.fittedRows < kFitSampleRows))
        fitColumns(view, l);
    if (rebuilt || l.selected != view.shownSelection) {
        // Only the rows that have it lose it: asked of all rows at once, the view visits
        // every row.
        for (const UINT mark : {LVNI_SELECTED, LVNI_FOCUSED})
            for (int row = ListView_GetNextItem(w, -1, mark); row >= 0;
                 row = ListView_GetNextItem(w, row, mark))
                ListView_SetItemState(w, row, 0, LVIS_SELECTED | LVIS_FOCUSED);
        if (l.selected >= 0 && l.selected < rows)
            ListView_SetItemState(w, l.selected, LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        view.shownSelection = l.selected;
    }
    if (rebuilt || l.scrollTo != view.shownScroll) {
        if (l.scrollTo >= 0 && l.scrollTo < rows) ListView_EnsureVisible(w, l.scrollTo, FALSE);
        view.shownScroll = l.scrollTo;
    }
    if (quiet) {
        SendMessageW(w, WM_SETREDRAW, TRUE, 0);
        DefWindowProcW(w, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(w, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
}

void FaceWindow::fitColumns(View& view, const orvane::ListData& l) {
    // Every column as wide as its heading and its texts need (the first rows tell). Where
    // that is more than the list's width, a list that has a two-line plan (the call log)
    // draws some columns below or beside others, in a smaller font if even that is too
    // wide; then, or in a list without a plan, an "ID" column gives up what is missing
    // first and a "Name" column next, down to a few letters (never below the numbers drawn
    // under the names): numbers, addresses and dates are never cut. Where it is less, the
    // "Name" column takes the rest, so no scroll bar is needed sideways where everything
    // fits.
    HWND w = view.hwnd;
    const Control& c = m_face.Get(view.id);
    const int columns = static_cast<int>(l.columns.size());
    const int rows = static_cast<int>(l.rows.size());
    view.fittedRows = rows;
    if (columns == 0) return;
    constexpr int kCellMargin = 16; // the list's own margins about a cell's text
    const int sample = std::min(rows, kFitSampleRows);
    const int iconWidth = l.imageList != orvane::ImageListId::None ? 16 + 4 : 0;
    // Texts are measured as the list view measures them (its own font), on one DC for the
    // whole fit: asking the view takes and frees a DC for every text, and under Wine each
    // of those is a trip to the server. A text measured before in the same font is not
    // measured again (the fit tries more than one plan).
    struct MeasuringDc {
        HWND window;
        HDC dc;
        HGDIOBJ original = nullptr;
        HFONT font = nullptr;
        std::unordered_map<std::wstring, int> widths;
        ~MeasuringDc() {
            if (dc == nullptr) return;
            if (original != nullptr) SelectObject(dc, original);
            ReleaseDC(window, dc);
        }
    } measuring{w, GetDC(w), nullptr, nullptr, {}};
    auto textWidth = [w, &measuring](const std::string& text) {
        const std::wstring wide = wintext::ToWide(text);
        if (wide.empty()) return 0;
        const auto font = reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0));
        if (measuring.dc == nullptr || font == nullptr)
            return static_cast<int>(
                SendMessageW(w, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(wide.c_str())));
        if (font != measuring.font) {
            HGDIOBJ previous = SelectObject(measuring.dc, font);
            if (measuring.original == nullptr) measuring.original = previous;
            measuring.font = font;
            measuring.widths.clear();
        }
        const auto [it, added] = measuring.widths.try_emplace(wide, 0);
        if (added) {
            SIZE size{};
            GetTextExtentPoint32W(measuring.dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            it->second = static_cast<int>(size.cx);
        }
        return it->second;
    };
    auto cellText = [&](int row, int column) -> const std::string& {
        static const std::string none;
        const orvane::ListRow& r = l.rows[static_cast<std::size_t>(row)];
        const auto i = static_cast<std::size_t>(column);
        return i < r.texts.size() ? r.texts[i] : none;
    };
    std::vector<std::string> headings;
    for (const orvane::ListColumn& column : l.columns)
        headings.push_back(column.heading);
    // What each shown column needs with the plan and font in force (moved ones need
    // nothing), then shared out within the room.
    std::vector<int> want(static_cast<std::size_t>(columns));
    auto share = [&](int room) {
        for (int i = 0; i < columns; ++i) {
            int& width = want[static_cast<std::size_t>(i)];
            width = 0;
            if (view.twoLines.MovedAway(i)) continue;
            const std::vector<orvane::TwoLinePlan::Place> parts = view.twoLines.PartsOf(i);
            int cells = 0;
            if (parts.empty()) {
                cells = textWidth(l.columns[static_cast<std::size_t>(i)].heading);
                for (int row = 0; row < sample; ++row)
                    cells = std::max(cells, textWidth(cellText(row, i)) + (i == 0 ? iconWidth : 0));
            } else {
                std::vector<int> widths;
                for (const orvane::TwoLinePlan::Place& p : parts)
                    widths.push_back(
                        textWidth(l.columns[static_cast<std::size_t>(p.column)].heading));
                cells = orvane::TwoLineWidth(parts, widths);
                for (int row = 0; row < sample; ++row) {
                    widths.clear();
                    for (const orvane::TwoLinePlan::Place& p : parts)
                        widths.push_back(textWidth(cellText(row, p.column)));
                    cells = std::max(cells, orvane::TwoLineWidth(parts, widths));
                }
            }
            width = cells + kCellMargin;
        }
        return orvane::ShareListRoom(headings, want, room, [&](int column) {
            // A few letters, and never less than the parts drawn below it.
            int floor = textWidth("Abcd") + kCellMargin;
            for (const orvane::TwoLinePlan::Place& part : view.twoLines.PartsOf(column)) {
                if (part.column == column) continue;
                floor = std::max(
                    floor, textWidth(l.columns[static_cast<std::size_t>(part.column)].heading) +
                               kCellMargin);
                for (int row = 0; row < sample; ++row)
                    floor = std::max(floor, textWidth(cellText(row, part.column)) + kCellMargin);
            }
            return floor;
        });
    };
    // Room inside the frame, less the vertical scroll bar once the rows need it (the client
    // area has already lost the bar while it shows).
    auto roomFor = [&] {
        RECT client{};
        GetClientRect(w, &client);
        const int bar = GetSystemMetrics(SM_CXVSCROLL);
        int room = client.right - client.left;
        if ((GetWindowLongPtrW(w, GWL_STYLE) & WS_VSCROLL) != 0) room += bar;
        RECT header{};
        GetWindowRect(ListView_GetHeader(w), &header);
        RECT item{};
        if (rows > 0 && ListView_GetItemRect(w, 0, &item, LVIR_BOUNDS) != FALSE) {
            const int rowsRoom = client.bottom - client.top - (header.bottom - header.top);
            if (rows * (item.bottom - item.top) > rowsRoom) room -= bar;
        }
        return room;
    };
    // The header's height and the rows' follow the plan and the font.
    auto usePlan = [&](const orvane::TwoLinePlan& plan) {
        view.twoLines = plan;
        HWND header = ListView_GetHeader(w);
        for (int i = 0; i < columns; ++i) {
            HDITEMW item{};
            item.mask = HDI_FORMAT;
            if (Header_GetItem(header, i, &item) == FALSE) continue;
            if (plan.PartsOf(i).empty())
                item.fmt &= ~HDF_OWNERDRAW;
            else
                item.fmt |= HDF_OWNERDRAW;
            Header_SetItem(header, i, &item);
        }
        // While its rows have two lines the list draws its headings and the header takes
        // their height. Only then: under Wine every message to a subclassed window costs a
        // look-up of the subclass, which a long list's burst pays many times.
        if (!plan.Empty()) {
            SetWindowSubclass(w, &FaceWindow::listTwoLineProc, kTwoLineSubclass,
                              reinterpret_cast<DWORD_PTR>(this));
            SetWindowSubclass(header, &FaceWindow::headerTwoLineProc, kTwoLineSubclass,
                              reinterpret_cast<DWORD_PTR>(this));
        } else {
            RemoveWindowSubclass(w, &FaceWindow::listTwoLineProc, kTwoLineSubclass);
            RemoveWindowSubclass(header, &FaceWindow::headerTwoLineProc, kTwoLineSubclass);
        }
        setRowImages(view);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(view.font), FALSE);
    };
    auto useCellHeight = [&](int height) {
        view.listCellHeight = height;
        view.font = height > 0 ? cellFont(height) : fontFor(c.font);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(view.font), FALSE);
        setRowImages(view);
    };

    // One line, else two, in the described font, else in smaller ones (the shared plan).
    orvane::FitList(headings, orvane::FaceModel::FontHeight(c.font, m_face.FontBHeight()),
                    [&](const orvane::ListFit& fit) {
                        if (view.listCellHeight != fit.cellHeight) useCellHeight(fit.cellHeight);
                        if (view.twoLines.Empty() != fit.plan.Empty()) usePlan(fit.plan);
                        const int room = roomFor();
                        return share(room) <= room;
                    });
    for (int i = 0; i < columns; ++i)
        ListView_SetColumnWidth(w, i, want[static_cast<std::size_t>(i)]);
}

void FaceWindow::setRowImages(View& view) {
    HWND w = view.hwnd;
    HIMAGELIST images = nullptr;
    if (!view.twoLines.Empty()) {
        const int height = 2 * fontLineHeight(w) + 2;
        auto it = m_tallImages.find(height);
        if (it == m_tallImages.end())
            it = m_tallImages.emplace(height, ImageList_Create(1, height, ILC_COLOR32, 0, 1)).first;
        images = it->second;
    } else if (view.imageList != orvane::ImageListId::None) {
        const auto it = m_imageLists.find(view.imageList);
        if (it != m_imageLists.end()) images = it->second;
    }
    if (ListView_GetImageList(w, LVSIL_SMALL) != images)
        ListView_SetImageList(w, images, LVSIL_SMALL);
}

namespace {

// Draws the parts' texts in two lines inside the rect: a left part is shortened with "..."
// where its line is too short, a right part is never cut.
void DrawParts(HDC dc, const RECT& rect, const std::vector<orvane::TwoLinePlan::Place>& parts,
               const std::vector<std::wstring>& texts) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int lineHeight = metrics.tmHeight;
    const int top =
        rect.top + std::max(0, static_cast<int>(rect.bottom - rect.top) - 2 * lineHeight) / 2;
    constexpr UINT kLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    for (int line = 0; line < 2; ++line) {
        RECT lineRect{rect.left, top + line * lineHeight, rect.right,
                      top + (line + 1) * lineHeight};
        int leftRoom = rect.right - rect.left;
        for (std::size_t i = 0; i < parts.size() && i < texts.size(); ++i) {
            if (parts[i].line != line || !parts[i].right) continue;
            SIZE size{};
            GetTextExtentPoint32W(dc, texts[i].c_str(), static_cast<int>(texts[i].size()), &size);
            leftRoom -= size.cx + orvane::kTwoLinePartGap;
            DrawTextW(dc, texts[i].c_str(), static_cast<int>(texts[i].size()), &lineRect,
                      kLine | DT_RIGHT);
        }
        for (std::size_t i = 0; i < parts.size() && i < texts.size(); ++i) {
            if (parts[i].line != line || parts[i].right) continue;
            RECT left = lineRect;
            left.right = left.left + std::max(0, leftRoom);
            DrawTextW(dc, texts[i].c_str(), static_cast<int>(texts[i].size()), &left,
                      kLine | DT_LEFT | DT_END_ELLIPSIS);
        }
    }
}

} // namespace

void FaceWindow::drawTwoLineRow(const View& view, const NMLVCUSTOMDRAW& draw) {
    HWND w = view.hwnd;
    HDC dc = draw.nmcd.hdc;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    const orvane::ListData& l = m_face.List(view.id);
    RECT bounds{};
    if (ListView_GetItemRect(w, row, &bounds, LVIR_BOUNDS) == FALSE) return;
    const bool selected = (ListView_GetItemState(w, row, LVIS_SELECTED) & LVIS_SELECTED) != 0;
    const bool active = GetFocus() == w;
    // As the list view draws a row: the selection in the highlight colour while the list
    // has the focus, in the face colour otherwise (it always shows its selection).
    const int ground = !selected ? COLOR_WINDOW : active ? COLOR_HIGHLIGHT : COLOR_BTNFACE;
    const int ink = !selected ? COLOR_WINDOWTEXT : active ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
    FillRect(dc, &bounds, GetSysColorBrush(ground));
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldInk = SetTextColor(dc, GetSysColor(ink));
    HWND header = ListView_GetHeader(w);
    const bool known = row >= 0 && row < static_cast<int>(l.rows.size());
    for (int i = 0; i < static_cast<int>(l.columns.size()) && known; ++i) {
        if (view.twoLines.MovedAway(i)) continue;
        RECT heading{};
        if (Header_GetItemRect(header, i, &heading) == FALSE) continue;
        RECT cell{bounds.left + heading.left, bounds.top, bounds.left + heading.right,
                  bounds.bottom};
        const orvane::ListRow& r = l.rows[static_cast<std::size_t>(row)];
        auto text = [&](int column) {
            const auto at = static_cast<std::size_t>(column);
            return at < r.texts.size() ? wintext::ToWide(r.texts[at]) : std::wstring();
        };
        const std::vector<orvane::TwoLinePlan::Place> parts = view.twoLines.PartsOf(i);
        if (!parts.empty()) {
            std::vector<std::wstring> texts;
            for (const orvane::TwoLinePlan::Place& p : parts)
                texts.push_back(text(p.column));
            RECT inner{cell.left + kCellTextMargin, cell.top, cell.right - kCellTextMargin,
                       cell.bottom};
            DrawParts(dc, inner, parts, texts);
            continue;
        }
        RECT inner{cell.left + kCellTextMargin / 2, cell.top, cell.right - kCellTextMargin / 2,
                   cell.bottom};
        if (i == 0 && r.image >= 0 && l.imageList != orvane::ImageListId::None) {
            // The row's picture, once, in its first column.
            const int icon = orvane::ListIcon(l.imageList, r.image);
            if (icon != 0)
                DrawIconEx(dc, inner.left, (cell.top + cell.bottom - 16) / 2,
                           winskin::Icon(icon, 16), 16, 16, 0, nullptr, DI_NORMAL);
            inner.left += 16 + 4;
        }
        const std::wstring shown = text(i);
        DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &inner,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                      alignStyle(l.columns[static_cast<std::size_t>(i)].align, DT_LEFT, DT_CENTER,
                                 DT_RIGHT));
    }
    if (active && (ListView_GetItemState(w, row, LVIS_FOCUSED) & LVIS_FOCUSED) != 0)
        DrawFocusRect(dc, &bounds);
    SetTextColor(dc, oldInk);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

void FaceWindow::drawTwoLineHeading(const View& view, const DRAWITEMSTRUCT& item) {
    const orvane::ListData& l = m_face.List(view.id);
    const std::vector<orvane::TwoLinePlan::Place> parts =
        view.twoLines.PartsOf(static_cast<int>(item.itemID));
    std::vector<std::wstring> texts;
    for (const orvane::TwoLinePlan::Place& p : parts)
        texts.push_back(p.column < static_cast<int>(l.columns.size())
                            ? wintext::ToWide(l.columns[static_cast<std::size_t>(p.column)].heading)
                            : std::wstring());
    HDC dc = item.hDC;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldInk = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT inner{item.rcItem.left + kCellTextMargin, item.rcItem.top,
               item.rcItem.right - kCellTextMargin, item.rcItem.bottom};
    DrawParts(dc, inner, parts, texts);
    SetTextColor(dc, oldInk);
    SetBkMode(dc, oldMode);
}

LRESULT CALLBACK FaceWindow::listTwoLineProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &FaceWindow::listTwoLineProc, kTwoLineSubclass);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    if (message != WM_DRAWITEM && message != WM_NOTIFY)
        return DefSubclassProc(hwnd, message, wParam, lParam);
    auto* self = reinterpret_cast<FaceWindow*>(data);
    const View* view = self->viewOfWindow(hwnd);
    if (view != nullptr && !view->twoLines.Empty()) {
        if (message == WM_DRAWITEM) {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlType == ODT_HEADER) {
                self->drawTwoLineHeading(*view, *item);
                return TRUE;
            }
        } else if (message == WM_NOTIFY) {
            const auto* notice = reinterpret_cast<const NMHEADERW*>(lParam);
            // A column drawn in another's cell keeps its width of nothing.
            switch (notice->hdr.code) {
            case HDN_BEGINTRACKW:
            case HDN_BEGINTRACKA:
            case HDN_DIVIDERDBLCLICKW:
            case HDN_DIVIDERDBLCLICKA:
                if (notice->hdr.hwndFrom == ListView_GetHeader(hwnd) &&
                    view->twoLines.MovedAway(notice->iItem))
                    return TRUE;
                break;
            default: break;
            }
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FaceWindow::headerTwoLineProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &FaceWindow::headerTwoLineProc, kTwoLineSubclass);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message != HDM_LAYOUT || result == FALSE) return result;
    auto* self = reinterpret_cast<FaceWindow*>(data);
    const View* view = self->viewOfWindow(GetParent(hwnd));
    auto* layout = reinterpret_cast<HDLAYOUT*>(lParam);
    if (view == nullptr || view->twoLines.Empty() || layout->prc == nullptr ||
        layout->pwpos == nullptr)
        return result;
    // Two lines of headings: the header grows, the rows' room shrinks by as much.
    const int extra = 2 * fontLineHeight(hwnd) + 6 - layout->pwpos->cy;
    if (extra > 0) {
        layout->pwpos->cy += extra;
        layout->prc->top += extra;
    }
    return result;
}

void FaceWindow::applyWindow() {
    // Only what differs: a new caption or menu state repaints the frame and the menu bar.
    const std::wstring caption = wintext::ToWide(m_face.Caption());
    if (windowText(m_hwnd) != caption) SetWindowTextW(m_hwnd, caption.c_str());
    for (const orvane::MenuItem& item : m_face.MenuItems()) {
        if (item.id == 0) continue;
        const UINT id = static_cast<UINT>(item.id);
        const UINT state = GetMenuState(m_menu, id, MF_BYCOMMAND);
        if (((state & MF_GRAYED) == 0) != item.enabled)
            EnableMenuItem(m_menu, id, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
        if (((state & MF_CHECKED) != 0) != item.checked)
            CheckMenuItem(m_menu, id, MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED));
    }
    if (HWND w = control(m_face.Focus())) {
        if (GetFocus() != w && IsWindowVisible(w)) SetFocus(w);
    }
    m_windowVersion = m_face.WindowVersion();
}

void FaceWindow::sync() {
    if (m_hwnd == nullptr || m_face.Version() == m_syncedVersion) return;
    m_syncing = true;
    bool listsBehind = false;
    for (View& view : m_views) {
        const Control& c = m_face.Get(view.id);
        if (c.version == view.version) continue;
        // A list view repaints itself (rows, scroll bar) at every change: within a burst it
        // waits for the last datagram. A list the face has never shown has no window yet.
        if (m_deferLists && view.kind == ControlKind::List && view.hwnd != nullptr) {
            listsBehind = true;
            continue;
        }
        apply(view, c);
        view.version = c.version;
    }
    m_syncing = false;
    if (m_face.WindowVersion() != m_windowVersion) applyWindow();
    if (listsBehind) {
        // The next sync looks at the controls again.
        if (!m_listsBehind) m_listsBehindSince = GetTickCount64();
        m_listsBehind = true;
    } else {
        m_syncedVersion = m_face.Version();
        m_listsBehind = false;
    }
    if (!m_layoutFile.empty()) writeLayout();
}

void FaceWindow::flushLists() {
    if (m_listsBehind) sync();
}

unsigned FaceWindow::listsWaitingMs() const {
    if (!m_listsBehind) return 0;
    const ULONGLONG waited = GetTickCount64() - m_listsBehindSince;
    return static_cast<unsigned>(std::clamp<ULONGLONG>(waited, 1, 0xffffffffu));
}

void FaceWindow::copyBack() {
    for (View& view : m_views) {
        if (view.hwnd == nullptr) continue;
        if (view.kind == ControlKind::Edit) {
            const std::wstring text = windowText(view.hwnd);
            // An untouched text keeps the model's own bytes.
            if (text != view.pushedText) {
                m_face.UserSetText(view.id, wintext::ToModel(text));
                view.pushedText = text;
            }
            DWORD start = 0;
            DWORD end = 0;
            SendMessageW(view.hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            m_face.UserSetEditSel(view.id, static_cast<int>(start), static_cast<int>(end));
        } else if (view.kind == ControlKind::Slider) {
            m_face.UserSetSliderPos(view.id,
                                    static_cast<int>(SendMessageW(view.hwnd, TBM_GETPOS, 0, 0)));
        }
    }
    HWND focus = GetFocus();
    const View* focused = nullptr;
    for (const View& view : m_views)
        if (view.hwnd == focus) focused = &view;
    m_face.UserSetFocus(focused != nullptr ? focused->id : 0);
}

void FaceWindow::callCore(const std::function<void()>& handler) {
    if (m_ended) return;
    copyBack();
    handler();
    sync();
    if (m_dialog.ended()) finish();
}

void FaceWindow::callCoreInBurst(const std::function<void()>& handler) {
    if (m_ended) return;
    copyBack();
    handler();
    // Only this sync: a modal box the handler ran has synced everything in its own calls.
    m_deferLists = true;
    sync();
    m_deferLists = false;
    if (m_dialog.ended()) finish();
}

void FaceWindow::finish() {
    if (m_ended) return;
    m_ended = true;
    DestroyWindow(m_hwnd);
}

void FaceWindow::initDialog(const std::string& privateContactsPath) {
    callCore([this, &privateContactsPath] { m_dialog.initDialog(privateContactsPath); });
    if (!m_layoutFile.empty()) writeLayout();
}

HWND FaceWindow::control(int id) {
    View* view = viewOf(id);
    if (view == nullptr || m_hwnd == nullptr) return nullptr;
    if (view->hwnd == nullptr) {
        // Made now instead of when the control is first shown: that changes what the
        // window holds, not what it shows.
        makeWindow(*view);
        const Control& c = m_face.Get(id);
        apply(*view, c);
        view->version = c.version;
    }
    return view->hwnd;
}

FaceWindow::View* FaceWindow::viewOf(int id) {
    auto it = m_viewIndex.find(id);
    return it != m_viewIndex.end() ? &m_views[it->second] : nullptr;
}

const FaceWindow::View* FaceWindow::viewOf(int id) const {
    auto it = m_viewIndex.find(id);
    return it != m_viewIndex.end() ? &m_views[it->second] : nullptr;
}

FaceWindow::View* FaceWindow::viewOfWindow(HWND hwnd) {
    if (hwnd == nullptr || GetParent(hwnd) != m_hwnd) return nullptr;
    return viewOf(GetDlgCtrlID(hwnd));
}

bool FaceWindow::onNotify(NMHDR* header, LRESULT& result) {
    View* view = viewOfWindow(header->hwndFrom);
    if (view == nullptr || view->kind != ControlKind::List) return false;
    const int id = view->id;
    switch (header->code) {
    case NM_CUSTOMDRAW: {
        // Rows of two lines are drawn here; others as the list view draws them.
        if (view->twoLines.Empty()) return false;
        const auto* draw = reinterpret_cast<const NMLVCUSTOMDRAW*>(header);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        }
        if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
            drawTwoLineRow(*view, *draw);
            result = CDRF_SKIPDEFAULT;
            return true;
        }
        return false;
    }
    case LVN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        const orvane::ListData& l = m_face.List(id);
        const int row = info->item.iItem;
        if (row < 0 || row >= static_cast<int>(l.rows.size())) {
            // A row the model has dropped while the view still counts it: shown empty.
            if ((info->item.mask & LVIF_TEXT) != 0 && info->item.pszText != nullptr &&
                info->item.cchTextMax > 0)
                info->item.pszText[0] = L'\0';
            if ((info->item.mask & LVIF_IMAGE) != 0) info->item.iImage = I_IMAGENONE;
            return true;
        }
        const orvane::ListRow& r = l.rows[static_cast<std::size_t>(row)];
        const auto column = static_cast<std::size_t>(info->item.iSubItem);
        if ((info->item.mask & LVIF_TEXT) != 0 && info->item.pszText != nullptr &&
            info->item.cchTextMax > 0) {
            m_dispText = column < r.texts.size() ? wintext::ToWide(r.texts[column]) : L"";
            const std::size_t room = static_cast<std::size_t>(info->item.cchTextMax) - 1;
            const std::size_t n = std::min(room, m_dispText.size());
            std::copy_n(m_dispText.data(), n, info->item.pszText);
            info->item.pszText[n] = L'\0';
        }
        if ((info->item.mask & LVIF_IMAGE) != 0)
            info->item.iImage = column == 0 ? r.image : I_IMAGENONE; // the row's picture, once
        result = 0;
        return true;
    }
    case NM_CLICK: {
        const auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
        const int row = click->iItem;
        callCore([this, id, row] { m_dialog.listClick(id, row); });
        return true;
    }
    case NM_DBLCLK: {
        const auto* click = reinterpret_cast<NMITEMACTIVATE*>(header);
        const int row = click->iItem;
        if (row >= 0) callCore([this, id, row] { m_dialog.listActivate(id, row, true); });
        return true;
    }
    default: break;
    }
    return false;
}

void FaceWindow::drawItem(const DRAWITEMSTRUCT& item) {
    const View* view = viewOf(static_cast<int>(item.CtlID));
    if (view == nullptr) return;
    const Control& c = m_face.Get(view->id);
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    switch (c.kind) {
    case ControlKind::MyButton: {
        const int picture = orvane::ChooseButtonImage(c.images, pressed, focused, disabled);
        if (picture != 0) winskin::DrawBitmap(dc, picture, r);
        break;
    }
    case ControlKind::ImageButton: {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u));
        RECT content = r;
        InflateRect(&content, -2, -2);
        if (pressed) OffsetRect(&content, 1, 1);
        const SIZE size = winskin::BitmapSize(c.bitmap);
        const int cw = content.right - content.left;
        const int ch = content.bottom - content.top;
        if (size.cx <= 0 || size.cy <= 0 || cw <= 0 || ch <= 0) break;
        // The picture as large as fits, its shape kept, in the middle of the key.
        int w = cw;
        int h = static_cast<int>(static_cast<long long>(size.cy) * cw / size.cx);
        if (h > ch) {
            h = ch;
            w = static_cast<int>(static_cast<long long>(size.cx) * ch / size.cy);
        }
        RECT target{content.left + (cw - w) / 2, content.top + (ch - h) / 2, 0, 0};
        target.right = target.left + w;
        target.bottom = target.top + h;
        winskin::DrawBitmap(dc, c.bitmap, target);
        break;
    }
    case ControlKind::Bitmap: {
        // The picture at its own size; a clipped control shows what fits.
        const SIZE size = winskin::BitmapSize(c.bitmap);
        RECT target{r.left, r.top, r.left + size.cx, r.top + size.cy};
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        winskin::DrawBitmap(dc, c.bitmap, target);
        RestoreDC(dc, saved);
        break;
    }
    default: break;
    }
}

bool FaceWindow::preTranslate(MSG& msg) {
    if (m_hwnd == nullptr || m_ended) return false;
    if (msg.hwnd != m_hwnd && GetParent(msg.hwnd) != m_hwnd) return false;
    // The hidden "&Linux Secret" button keeps its mnemonic.
    if (msg.message == WM_SYSKEYDOWN && (msg.wParam == 'L') && (GetKeyState(VK_MENU) < 0)) {
        callCore([this] { m_dialog.command(orvane::Ctl::LinuxSecret); });
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_BACK && GetKeyState(VK_CONTROL) >= 0 &&
        GetKeyState(VK_MENU) >= 0) {
        bool taken = false;
        callCore([this, &taken] { taken = m_dialog.keyboardBackspace(); });
        m_dropBackspaceChar = taken;
        return taken;
    }
    if (msg.message == WM_CHAR) {
        const auto ch = static_cast<wchar_t>(msg.wParam);
        if (ch == L'\b' && m_dropBackspaceChar) {
            m_dropBackspaceChar = false;
            return true;
        }
        if ((ch >= L'0' && ch <= L'9') || ch == L'*' || ch == L'#') {
            if (GetKeyState(VK_CONTROL) < 0) return false;
            bool taken = false;
            const char key = static_cast<char>(ch);
            callCore([this, key, &taken] { taken = m_dialog.keyboardKeypad(key); });
            return taken;
        }
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        // Enter on the selected row of a list activates it as a double click does.
        View* view = viewOfWindow(msg.hwnd);
        if (view != nullptr && view->kind == ControlKind::List) {
            const int row = ListView_GetNextItem(view->hwnd, -1, LVNI_SELECTED);
            if (row >= 0) {
                const int id = view->id;
                callCore([this, id, row] { m_dialog.listActivate(id, row, false); });
                return true;
            }
        }
    }
    return false;
}

void FaceWindow::writeLayout() const {
    // One line for the window's client area, then one for each visible control: its id,
    // its place on the screen and what it shows (a list: its row count, the top of its
    // first row and a row's height).
    std::string text;
    char line[128];
    POINT origin{0, 0};
    ClientToScreen(m_hwnd, &origin);
    std::snprintf(line, sizeof line, "client %ld %ld\n", origin.x, origin.y);
    text += line;
    for (const View& view : m_views) {
        if (view.hwnd == nullptr || !IsWindowVisible(view.hwnd)) continue;
        RECT r{};
        GetWindowRect(view.hwnd, &r);
        std::snprintf(line, sizeof line, "%d %ld %ld %ld %ld", view.id, r.left, r.top, r.right,
                      r.bottom);
        text += line;
        if (view.kind == ControlKind::List) {
            RECT row{};
            row.left = LVIR_BOUNDS;
            const int count = ListView_GetItemCount(view.hwnd);
            if (count > 0) ListView_GetItemRect(view.hwnd, 0, &row, LVIR_BOUNDS);
            POINT top{row.left, row.top};
            ClientToScreen(view.hwnd, &top);
            std::snprintf(line, sizeof line, " rows %d %ld %ld", count, top.y,
                          row.bottom - row.top);
            text += line;
        } else if (view.kind != ControlKind::Slider && view.kind != ControlKind::Bitmap) {
            // Texts as the program's own bytes, on one line.
            std::string shown = wintext::ToModel(windowText(view.hwnd));
            for (char& ch : shown)
                if (ch == '\n' || ch == '\r') ch = ' ';
            text += " text " + shown;
        }
        text += "\n";
    }
    // Written aside and moved over, so a reader never sees half a layout.
    const std::wstring temp = m_layoutFile + L".new";
    FILE* file = _wfopen(temp.c_str(), L"wb");
    if (file == nullptr) return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    MoveFileExW(temp.c_str(), m_layoutFile.c_str(), MOVEFILE_REPLACE_EXISTING);
}
