// The dialer's speed and memory through its real window on the offscreen platform, each
// figure beside a baseline measured in the same run. Every mode prints its rows as
// "ROW" lines for scripts/bench.sh, which runs this program inside scripts/sealed-net:
// the window's dialog would search with a broadcast if its start-up timers ran, and the
// key round trip needs 127.0.0.1:8888 for its stand-in device.
//
//   window_bench sync | roundtrip | lists | flood | skin | startup | all
//
// The dialog's search never starts here (its timers are stopped before the event loop
// runs, and the start-up children end at their first paint, long before it), and nothing
// here sends to any address but 127.0.0.1; the namespace is there all the same.
#include "WindowRig.h"

#include <QApplication>
#include <QByteArray>

#include <cstdio>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: window_bench sync|roundtrip|lists|flood|skin|startup|all\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string mode = argv[1];
    if (mode == "skin-child") return bench::SkinChild(argc, argv);
    if (mode == "skin") {
        bench::BenchSkin();
        return 0;
    }
    if (mode == "startup") {
        bench::BenchStartup();
        return 0;
    }
    const bool all = mode == "all";
    if (!all && mode != "sync" && mode != "roundtrip" && mode != "lists" && mode != "flood")
        return Usage();

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::Rig rig;
    if (all || mode == "sync") bench::BenchSync(rig);
    if (all || mode == "roundtrip") bench::BenchRoundTrip(rig);
    if (all || mode == "lists") bench::BenchLists(rig);
    if (all || mode == "flood") bench::BenchFlood(rig);
    if (all) {
        bench::BenchSkin();
        bench::BenchStartup();
    }
    if (rig.dialogs.boxes > 0) {
        std::fprintf(stderr, "window_bench: %d boxes were asked for\n", rig.dialogs.boxes);
        return 1;
    }
    return 0;
}
