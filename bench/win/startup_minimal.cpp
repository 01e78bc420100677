// The baseline of the start-up benchmark: a minimal Win32 dialog program (one text, one
// button, from an in-memory template), shown and painted, then the same line as
// startup_face.exe (and its stages with ORVANE_BENCH_STAGES). With a count N as its
// argument it shows N plain push buttons more: what as many child windows as the face
// shows cost by themselves.
#include "DialogTemplate.h"
#include "Stages.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
INT_PTR CALLBACK proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}
} // namespace

int main(int argc, char** argv) {
    Stages stages;
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 170, 279,
                     L"Minimal", 10, L"Microsoft Sans Serif");
    t.add(ctlclass::Static, 100, WS_CHILD | WS_VISIBLE, 7, 7, 100, 10, L"Hello");
    t.add(ctlclass::Button, IDOK, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 7, 20, 50, 14, L"OK");
    // Three to a row below the OK button, as many as asked (none by default).
    const int more = argc > 1 ? std::max(0, std::min(200, std::atoi(argv[1]))) : 0;
    for (int i = 0; i < more; ++i)
        t.add(ctlclass::Button, static_cast<WORD>(200 + i), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
              7 + (i % 3) * 52, 40 + (i / 3) * 16, 50, 14, std::to_wstring(i + 1));
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.get(), nullptr, proc, 0);
    if (dialog == nullptr) return 1;
    stages.mark("window");
    ShowWindow(dialog, SW_SHOW);
    stages.mark("shown");
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    stages.mark("painted");
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("painted %llu\n", static_cast<unsigned long long>(memory.PeakWorkingSetSize));
    std::fflush(stdout);
    DestroyWindow(dialog);
    return 0;
}
