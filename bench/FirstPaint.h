// For the start-up benchmark's children: once a window has painted for the first time
// (the whole paint pass, so reported from the next turn of the event loop), print the
// monotonic time, the peak memory so far, when main was about to start and the minor page
// faults so far, and end at once.
#pragma once

#include "BenchSupport.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

// Taken while the program's statics are set up, just before main: what comes before it
// is loading and linking the program.
inline const std::int64_t g_staticInitNs = bench::NowNs();

class FirstPaintReport : public QObject {
  public:
    explicit FirstPaintReport(QWidget& window) { window.installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_armed) {
            m_armed = true;
            QTimer::singleShot(0, this, [] {
                rusage usage{};
                ::getrusage(RUSAGE_SELF, &usage);
                std::printf("READY %lld %ld %lld %ld\n", static_cast<long long>(bench::NowNs()),
                            bench::StatusKb("VmHWM"), static_cast<long long>(g_staticInitNs),
                            usage.ru_minflt);
                std::fflush(stdout);
                // The figure is taken; tearing down is no part of start-up.
                _exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool m_armed = false;
};
