// orvane-phonesim: emulated SIP desk phones for the Orvane dialer.
#include "DatagramLog.h"
#include "Options.h"
#include "Simulator.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void OnSignal(int) {
    orvane::sim::Simulator::RequestStop();
}

} // namespace

int main(int argc, char** argv) {
    using namespace orvane::sim;
    std::vector<std::string> args(argv + 1, argv + argc);
    OptionsResult parsed = ParseOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "orvane-phonesim: %s\nTry 'orvane-phonesim --help'.\n",
                     parsed.error.c_str());
        return 2;
    }
    if (parsed.options->help) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (parsed.options->version) {
        std::puts("orvane-phonesim (Orvane's SIP Dialer) " ORVANE_VERSION);
        return 0;
    }
    std::string error;
    auto log = DatagramLog::Open(parsed.options->logPath, error);
    if (!log) {
        std::fprintf(stderr, "orvane-phonesim: %s\n", error.c_str());
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SystemClock clock;
    Simulator sim(*parsed.options, *log, clock);
    if (!sim.Open(error)) {
        std::fprintf(stderr, "orvane-phonesim: %s\n", error.c_str());
        return 1;
    }
    return sim.Run();
}
