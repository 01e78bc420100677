// Small helpers shared by the benchmark programs: a monotonic clock, medians, the
// process's memory figures, and the one output line each measured row becomes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <time.h>
#include <vector>

namespace bench {

inline std::int64_t NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double Max(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// A line of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when it is missing.
inline long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line)) {
        if (line.compare(0, key.size(), key) == 0) return std::stol(line.substr(key.size()));
    }
    return -1;
}

// One row of the table: what was measured, its figure and the baseline of the same run
// (both in `unit`), and the target. scripts/bench.sh collects these lines.
struct Row {
    std::string measure;
    double figure = 0;
    double baseline = 0;
    std::string unit;
    std::string baselineName;
    std::string target; // as printed, e.g. "<= 50 us"
    bool met = true;
    bool hasTarget = true;
};

inline std::string Fixed(double v) {
    char text[32];
    if (v >= 100)
        std::snprintf(text, sizeof text, "%.0f", v);
    else if (v >= 10)
        std::snprintf(text, sizeof text, "%.1f", v);
    else
        std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

inline void Print(const Row& r) {
    const double ratio = r.baseline > 0 ? r.figure / r.baseline : 0;
    std::printf("ROW\t%s\t%s %s\t%s %s (%s)\t%s\t%s\t%s\n", r.measure.c_str(),
                Fixed(r.figure).c_str(), r.unit.c_str(), Fixed(r.baseline).c_str(), r.unit.c_str(),
                r.baselineName.c_str(), r.baseline > 0 ? (Fixed(ratio) + "x").c_str() : "-",
                r.hasTarget ? r.target.c_str() : "-", r.hasTarget ? (r.met ? "ok" : "MISS") : "-");
    std::fflush(stdout);
}

// Free-form facts about the run (counts, spreads) that go under the table.
inline void Note(const std::string& text) {
    std::printf("NOTE\t%s\n", text.c_str());
    std::fflush(stdout);
}

} // namespace bench
