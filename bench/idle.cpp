// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"
#include "frame_probe.h"

namespace bench {

namespace {

double clockMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

// The window open and untouched: what it costs, and whether anything ticks.
int idle(int seconds)
{
    auto form = openWindow();
    spin(700);
    FrameProbe probe(nullptr);
    const double cpu = clockMs(CLOCK_PROCESS_CPUTIME_ID), wall = clockMs(CLOCK_MONOTONIC);
    spin(seconds * 1000);
    const int on = rt::testing::isRunning(form->Timer1) + rt::testing::isRunning(form->Timer2);
    row("idle cost, window open", "< 20 ms", clockMs(CLOCK_PROCESS_CPUTIME_ID) - cpu < 20,
        "%.2f ms CPU in %.1f s", clockMs(CLOCK_PROCESS_CPUTIME_ID) - cpu,
        (clockMs(CLOCK_MONOTONIC) - wall) / 1000);
    row("timers while idle", "none", probe.timerEvents <= 1 && on == 0,
        "%ld timer events, %d timers on", probe.timerEvents - 1, on); // but spin's own
    return 0;
}

} // namespace bench
