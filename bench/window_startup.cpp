// Start-up to the first painted face and its peak memory, beside a minimal dialog and the same face
// as plain widgets.
#include "WindowRig.h"

#include "FaceIds.h"

#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

using namespace orvane;

namespace bench {

// Start-up: the dialer's window built as the program builds it, and a minimal dialog,
// each started the same way; both report after their first paint.
void BenchStartup() {
    const std::string dir = SelfDir();
    QTemporaryDir runtime;
    const auto env = ChildEnv(runtime.path().toStdString());
    struct Side {
        std::string program;
        std::vector<double> startMs, peakMb, kernelPeakMb, beforeMainMs;
    } sides[3] = {{dir + "/startup_dialer", {}, {}, {}, {}},
                  {dir + "/startup_baseline", {}, {}, {}, {}},
                  {dir + "/startup_plainface", {}, {}, {}, {}}};
    const int n = 15;
    for (int i = 0; i <= n; ++i) {
        for (Side& side : sides) {
            const ChildRun run = RunChild({side.program}, env);
            long long readyNs = 0, mainNs = 0;
            long hwm = 0;
            // The dialer prints its address line first.
            const std::size_t at = run.output.find("READY ");
            if (at == std::string::npos ||
                std::sscanf(run.output.c_str() + at, "READY %lld %ld %lld", &readyNs, &hwm,
                            &mainNs) != 3) {
                std::fprintf(stderr, "window_bench: %s said: %s\n", side.program.c_str(),
                             run.output.c_str());
                continue;
            }
            if (i == 0) continue; // warms the page cache
            side.startMs.push_back(static_cast<double>(readyNs - run.spawnedNs) / kMs);
            side.peakMb.push_back(static_cast<double>(hwm) / 1024);
            side.kernelPeakMb.push_back(static_cast<double>(run.maxRssKb) / 1024);
            side.beforeMainMs.push_back(static_cast<double>(mainNs - run.spawnedNs) / kMs);
        }
    }
    const double start = bench::Median(sides[0].startMs);
    const double startBase = bench::Median(sides[1].startMs);
    Row s{"start-up to the first painted face (median of " + std::to_string(n) + ")",
          start,
          startBase,
          "ms",
          "minimal QDialog",
          "<= 1.3x"};
    s.met = startBase > 0 && start <= 1.3 * startBase;
    bench::Print(s);
    const double peak = bench::Median(sides[0].peakMb);
    const double peakBase = bench::Median(sides[1].peakMb);
    Row m{"peak memory at the first painted face (VmHWM)",
          peak,
          peakBase,
          "MB",
          "minimal QDialog",
          "<= 1.3x"};
    m.met = peakBase > 0 && peak <= 1.3 * peakBase;
    bench::Print(m);
    Row f{"  start-up of the same face as plain Qt widgets (no pictures, no logic)",
          bench::Median(sides[2].startMs),
          startBase,
          "ms",
          "minimal QDialog",
          ""};
    f.hasTarget = false;
    bench::Print(f);
    Row fm{"  peak memory of the same face as plain Qt widgets",
           bench::Median(sides[2].peakMb),
           peakBase,
           "MB",
           "minimal QDialog",
           ""};
    fm.hasTarget = false;
    bench::Print(fm);
    bench::Note("start-up, medians: loading and linking before main " +
                bench::Fixed(bench::Median(sides[0].beforeMainMs)) + " ms against " +
                bench::Fixed(bench::Median(sides[1].beforeMainMs)) + " ms");
    bench::Note("start-up: peak memory by the kernel's count at exit " +
                bench::Fixed(bench::Median(sides[0].kernelPeakMb)) + " MB against " +
                bench::Fixed(bench::Median(sides[1].kernelPeakMb)) + " MB");
}

} // namespace bench
