#include "Prompts.h"

#include "DialogTemplate.h"
#include "WinSkin.h"
#include "WinText.h"
#include "FaceIds.h"

namespace {

constexpr WORD kPromptText = 100;
constexpr WORD kPromptEdit = 101;
constexpr WORD kFirst = 1;  // IDOK: Enter presses it unless the other button has the focus
constexpr WORD kSecond = 2; // IDCANCEL: Escape and the close box answer with it
constexpr WORD kAboutIcon = 100;
constexpr WORD kAboutVersion = 101;
constexpr WORD kLongIcon = 100;
constexpr WORD kLongText = 101;

struct PromptState {
    const orvane::TextInputRequest* request = nullptr;
    orvane::TextInputAnswer answer;
};

std::wstring itemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

INT_PTR CALLBACK promptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<PromptState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const orvane::TextInputRequest& r = *state->request;
        SetDlgItemTextW(dialog, kPromptText, wintext::ToWide(r.prompt).c_str());
        SendDlgItemMessageW(dialog, kPromptEdit, EM_LIMITTEXT, TextPrompt::kMaxText, 0);
        SetDlgItemTextW(dialog, kPromptEdit, wintext::ToWide(TextPrompt::InitialText(r)).c_str());
        SetDlgItemTextW(dialog, kFirst, wintext::ToWide(r.firstCaption).c_str());
        SetDlgItemTextW(dialog, kSecond, wintext::ToWide(r.secondCaption).c_str());
        state->answer = {2, TextPrompt::InitialText(r)};
        // The field has the focus with its text selected.
        HWND edit = GetDlgItem(dialog, kPromptEdit);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return FALSE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if ((id == kFirst || id == kSecond) && HIWORD(wParam) == BN_CLICKED) {
            state->answer = {id, wintext::ToModel(itemText(dialog, kPromptEdit))};
            EndDialog(dialog, id);
            return TRUE;
        }
        break;
    }
    default: break;
    }
    return FALSE;
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* line = reinterpret_cast<const std::string*>(lParam);
        SetDlgItemTextW(dialog, kAboutVersion, wintext::ToWide(*line).c_str());
        SendDlgItemMessageW(dialog, kAboutIcon, STM_SETICON,
                            reinterpret_cast<WPARAM>(winskin::Icon(orvane::Ico::App, 32)), 0);
        SendMessageW(dialog, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(winskin::Icon(orvane::Ico::App, 16)));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

struct LongBoxState {
    std::wstring text;
    orvane::MsgButtons buttons = orvane::MsgButtons::Ok;
    HICON icon = nullptr;
};

INT_PTR CALLBACK longBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* state = reinterpret_cast<const LongBoxState*>(lParam);
        HWND edit = GetDlgItem(dialog, kLongText);
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0); // the whole text, however long
        SetWindowTextW(edit, state->text.c_str());
        if (state->icon != nullptr)
            SendDlgItemMessageW(dialog, kLongIcon, STM_SETICON,
                                reinterpret_cast<WPARAM>(state->icon), 0);
        // The first button has the focus, as in a message box; not the text.
        SetFocus(GetDlgItem(dialog, state->buttons == orvane::MsgButtons::YesNo ? IDYES : IDOK));
        SetWindowLongPtrW(dialog, DWLP_USER, static_cast<LONG_PTR>(state->buttons));
        return FALSE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const bool yesNo = static_cast<orvane::MsgButtons>(GetWindowLongPtrW(dialog, DWLP_USER)) ==
                           orvane::MsgButtons::YesNo;
        if (id == IDOK || id == IDYES || id == IDNO) {
            EndDialog(dialog, id);
            return TRUE;
        }
        if (id == IDCANCEL) { // Escape, the close box
            EndDialog(dialog, yesNo ? IDNO : IDOK);
            return TRUE;
        }
        break;
    }
    default: break;
    }
    return FALSE;
}

} // namespace

namespace TextPrompt {

std::string InitialText(const orvane::TextInputRequest& request) {
    return request.initialText.substr(0, static_cast<std::size_t>(kMaxText));
}

orvane::TextInputAnswer Run(HWND owner, const orvane::TextInputRequest& request) {
    // A caption-less box with a raised frame, centred on its owner.
    DialogTemplate t(WS_POPUP | WS_BORDER | DS_MODALFRAME | DS_CENTER | DS_3DLOOK, 154, 94, L"", 10,
                     L"Microsoft Sans Serif");
    const DWORD child = WS_CHILD | WS_VISIBLE;
    t.add(ctlclass::Static, kPromptText, child | SS_CENTER | SS_NOPREFIX, 7, 7, 139, 16, L"");
    t.add(ctlclass::Edit, kPromptEdit, child | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 7, 32, 140,
          22, L"");
    t.add(ctlclass::Button, kFirst, child | WS_TABSTOP | BS_PUSHBUTTON, 7, 67, 60, 20, L"");
    t.add(ctlclass::Button, kSecond, child | WS_TABSTOP | BS_PUSHBUTTON, 87, 67, 60, 20, L"");
    PromptState state;
    state.request = &request;
    state.answer = {2, InitialText(request)};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, promptProc,
                            reinterpret_cast<LPARAM>(&state));
    return state.answer;
}

} // namespace TextPrompt

namespace AboutBox {

void Run(HWND owner, const std::string& versionLine) {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 235, 58,
                     kCaption, 8, L"MS Shell Dlg");
    const DWORD child = WS_CHILD | WS_VISIBLE;
    t.add(ctlclass::Static, kAboutIcon, child | SS_ICON, 11, 17, 20, 20, L"");
    t.add(ctlclass::Static, kAboutVersion, child | SS_CENTER | SS_NOPREFIX, 42, 27, 171, 8, L"");
    t.add(ctlclass::Button, IDOK, child | WS_TABSTOP | BS_DEFPUSHBUTTON, 178, 7, 50, 16, L"OK");
    std::string line = versionLine;
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, aboutProc,
                            reinterpret_cast<LPARAM>(&line));
}

} // namespace AboutBox

namespace LongBox {

orvane::MsgAnswer Run(HWND owner, const std::string& text, const std::string& caption,
                      orvane::MsgButtons buttons, orvane::MsgIcon icon) {
    LongBoxState state;
    state.buttons = buttons;
    switch (icon) {
    case orvane::MsgIcon::Information: state.icon = LoadIconW(nullptr, IDI_INFORMATION); break;
    case orvane::MsgIcon::Warning: state.icon = LoadIconW(nullptr, IDI_WARNING); break;
    case orvane::MsgIcon::Error: state.icon = LoadIconW(nullptr, IDI_ERROR); break;
    case orvane::MsgIcon::None: break;
    }
    // An edit breaks lines at CR LF only.
    const std::wstring wide = wintext::ToWide(text);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\n' && (i == 0 || wide[i - 1] != L'\r')) state.text += L'\r';
        state.text += wide[i];
    }
    // Twenty lines of text in view, as many as a message box shows before it is cut.
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 300, 196,
                     wintext::ToWide(caption), 8, L"MS Shell Dlg");
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const int textLeft = state.icon != nullptr ? 36 : 7;
    if (state.icon != nullptr)
        t.add(ctlclass::Static, kLongIcon, child | SS_ICON, 8, 8, 20, 20, L"");
    t.add(ctlclass::Edit, kLongText,
          child | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
          textLeft, 7, 293 - textLeft, 164, L"");
    const DWORD button = child | WS_TABSTOP;
    if (buttons == orvane::MsgButtons::YesNo) {
        t.add(ctlclass::Button, IDYES, button | BS_DEFPUSHBUTTON, 189, 176, 50, 14, L"&Yes");
        t.add(ctlclass::Button, IDNO, button | BS_PUSHBUTTON, 243, 176, 50, 14, L"&No");
    } else {
        t.add(ctlclass::Button, IDOK, button | BS_DEFPUSHBUTTON, 243, 176, 50, 14, L"OK");
    }
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner,
                                                   longBoxProc, reinterpret_cast<LPARAM>(&state));
    if (buttons == orvane::MsgButtons::YesNo)
        return answer == IDYES ? orvane::MsgAnswer::Yes : orvane::MsgAnswer::No;
    return orvane::MsgAnswer::Ok;
}

} // namespace LongBox
