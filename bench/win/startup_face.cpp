// Start-up of the Windows program to its first painted face: the program's own ports,
// dialog and window, shown and painted whole (every control), then one line on standard
// output ("painted PEAK-WORKING-SET-BYTES") and the end. scripts/bench-windows.sh times
// it from outside, beside startup_minimal.exe started the same way.
#include "DialerAdapter.h"
#include "FaceWindow.h"
#include "RegistrySettingsBackend.h"
#include "WinPorts.h"
#include "CDialerDlg.h"

#include <psapi.h>

#include <cstdio>

int main() {
    WinDatagramPort socket;
    WinTimerHost timers;
    WinDialogs dialogs;
    orvane::RegistrySettingsBackend settings;
    WinPlatform platform;
    orvane::CDialerDlg dialog({socket, timers, dialogs, settings, platform});
    DialerAdapter adapter(dialog);
    FaceWindow window(adapter);
    if (!window.create()) return 1;
    window.setSocket(&socket);
    socket.attach(&window);
    timers.attach(&window);
    dialogs.attach(&window);
    window.initDialog("PrivateContacts.txt");
    ShowWindow(window.hwnd(), SW_SHOW);
    RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("painted %llu\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    std::fflush(stdout);
    socket.attach(nullptr);
    timers.attach(nullptr);
    dialogs.attach(nullptr);
    return 0;
}
