// The baseline of the start-up benchmark: a minimal Win32 dialog program (one text, one
// button, from an in-memory template), shown and painted, then the same line as
// startup_face.exe (and its stages with ORVANE_BENCH_STAGES).
#include "DialogTemplate.h"
#include "Stages.h"

#include <psapi.h>

#include <cstdio>

namespace {
INT_PTR CALLBACK proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}
} // namespace

int main() {
    Stages stages;
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 170, 279,
                     L"Minimal", 10, L"Microsoft Sans Serif");
    t.add(ctlclass::Static, 100, WS_CHILD | WS_VISIBLE, 7, 7, 100, 10, L"Hello");
    t.add(ctlclass::Button, IDOK, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 7, 20, 50, 14, L"OK");
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
