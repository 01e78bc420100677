// The stages of a benchmark program's start, for ORVANE_BENCH_STAGES: how long each took,
// on standard error, from the process's creation on.
#pragma once

#include "WinApi.h"

#include <cstdio>
#include <cstdlib>

// The stages of the start, timed from the program's entry.
class Stages {
  public:
    Stages() : m_on(std::getenv("ORVANE_BENCH_STAGES") != nullptr) {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_last);
        if (!m_on) return;
        // The loader's part: from the process's creation to here.
        FILETIME created{}, exited{}, kernel{}, user{}, now{};
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        GetSystemTimePreciseAsFileTime(&now);
        auto ticks = [](const FILETIME& t) {
            return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
        };
        std::fprintf(stderr, "stage %-28s %7.2f ms\n", "process to main",
                     static_cast<double>(ticks(now) - ticks(created)) / 10000.0);
    }
    void mark(const char* stage) {
        if (!m_on) return;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        std::fprintf(stderr, "stage %-28s %7.2f ms\n", stage,
                     1000.0 * static_cast<double>(now.QuadPart - m_last.QuadPart) /
                         static_cast<double>(m_frequency.QuadPart));
        m_last = now;
    }

  private:
    bool m_on;
    LARGE_INTEGER m_frequency{};
    LARGE_INTEGER m_last{};
};
