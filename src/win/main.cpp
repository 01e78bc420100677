// The application: builds the one dialog and runs its window; the program ends when the
// window closes.
#include "DialerAdapter.h"
#include "FaceWindow.h"
#include "RegistrySettingsBackend.h"
#include "WinPorts.h"
#include "CDialerDlg.h"
#include "CVersionInfo.h"

#include "WinApi.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr const char* kHelp =
    "Usage: orvane-dialer [OPTION...]\n"
    "Controls a desk phone on the local network from this computer.\n\n"
    "  --connect ADDRESS          ask only this phone at start instead of searching\n"
    "  --private-contacts FILE    the private contact list (default PrivateContacts.txt)\n"
    "  --layout-file FILE         keep FILE up to date with where each control lies\n"
    "  --help                     show this help and end\n"
    "  --version                  show the version and end\n";

struct Options {
    std::wstring connect;
    std::wstring privateContacts = L"PrivateContacts.txt";
    std::wstring layoutFile;
    bool help = false;
    bool version = false;
    std::wstring error;
};

Options parse(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&](std::wstring& target) {
            if (i + 1 >= argc) {
                o.error = arg + L" needs a value";
                return;
            }
            target = argv[++i];
        };
        if (arg == L"--help" || arg == L"-h")
            o.help = true;
        else if (arg == L"--version")
            o.version = true;
        else if (arg == L"--connect")
            value(o.connect);
        else if (arg == L"--private-contacts")
            value(o.privateContacts);
        else if (arg == L"--layout-file")
            value(o.layoutFile);
        else
            o.error = L"unknown option " + arg;
        if (!o.error.empty()) break;
    }
    return o;
}

std::string narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

} // namespace

// The arguments as UTF-16 (-municode), so file names outside the code page arrive whole.
int wmain(int argc, wchar_t** argv) {
    const Options options = parse(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "orvane-dialer: %s (see orvane-dialer --help)\n",
                     narrow(options.error).c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (options.version) {
        orvane::CVersionInfo version;
        std::string text = version.Read(); // " 1.0.0.0 " and the special build, if any
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        std::printf("orvane-dialer%s\n", text.c_str());
        return 0;
    }

    WinDatagramPort socket;
    WinTimerHost timers;
    WinDialogs dialogs;
    orvane::RegistrySettingsBackend settings;
    WinPlatform platform;

    orvane::CDialerDlg dialog({socket, timers, dialogs, settings, platform});
    DialerAdapter adapter(dialog);
    FaceWindow window(adapter);
    if (!window.create()) {
        MessageBoxW(nullptr, L"The window could not be created.", L"Orvane's SIP Dialer",
                    MB_OK | MB_ICONERROR);
        return 1;
    }
    window.setLayoutFile(options.layoutFile);
    window.setSocket(&socket);
    socket.attach(&window);
    timers.attach(&window);
    dialogs.attach(&window);

    if (!options.connect.empty()) adapter.setStartAddress(narrow(options.connect));
    window.initDialog(narrow(options.privateContacts));
    if (!options.connect.empty() && adapter.privateController())
        std::fprintf(stderr,
                     "orvane-dialer: attached as private controller to %s; --connect %s is "
                     "not used (Devices > Release Private attached Device ends it)\n",
                     adapter.deviceAddress().c_str(), narrow(options.connect).c_str());
    if (!adapter.ended()) {
        ShowWindow(window.hwnd(), SW_SHOW);
        UpdateWindow(window.hwnd());
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (window.preTranslate(msg)) continue;
            if (window.hwnd() != nullptr && IsDialogMessageW(window.hwnd(), &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    socket.attach(nullptr);
    timers.attach(nullptr);
    dialogs.attach(nullptr);
    return 0;
}
