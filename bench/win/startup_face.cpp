// Start-up of the Windows program to its first painted face: the program's own ports,
// dialog and window, shown and painted whole (every control), then one line on standard
// output ("painted PEAK-WORKING-SET-BYTES CHILD-WINDOWS-SHOWN") and the end. scripts/bench-windows.sh times
// it from outside, beside startup_minimal.exe started the same way. With
// ORVANE_BENCH_STAGES set it also writes how long each stage took to standard error.
#include "CDialerDlg.h"
#include "DialerAdapter.h"
#include "FaceWindow.h"
#include "RegistrySettingsBackend.h"
#include "Stages.h"
#include "WinPorts.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

int main() {
    Stages stages;
    WinDatagramPort socket;
    WinTimerHost timers;
    WinDialogs dialogs;
    orvane::RegistrySettingsBackend settings;
    WinPlatform platform;
    stages.mark("ports (Winsock)");
    orvane::CDialerDlg dialog({socket, timers, dialogs, settings, platform});
    stages.mark("dialog (first adapter)");
    DialerAdapter adapter(dialog);
    FaceWindow window(adapter);
    if (!window.create()) return 1;
    stages.mark("window");
    window.setSocket(&socket);
    socket.attach(&window);
    timers.attach(&window);
    dialogs.attach(&window);
    window.initDialog("PrivateContacts.txt");
    stages.mark("start-up of the dialog");
    ShowWindow(window.hwnd(), SW_SHOW);
    stages.mark("shown");
    RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    stages.mark("painted");
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    // How many windows the face shows: the baseline with as many plain buttons takes it.
    int shown = 0;
    EnumChildWindows(
        window.hwnd(),
        [](HWND child, LPARAM count) {
            if (IsWindowVisible(child) != FALSE) ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&shown));
    std::printf("painted %llu %d\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize),
                shown);
    std::fflush(stdout);
    socket.attach(nullptr);
    timers.attach(nullptr);
    dialogs.attach(nullptr);
    return 0;
}
