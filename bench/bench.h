// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every measurement shares: the clock every figure is taken with, the
// statistics over it, the table's rows, and an event loop that runs until a
// figure is complete. The measurements, one a file, follow.

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Form1;

namespace bench {

using Samples = std::vector<double>;

// CLOCK_MONOTONIC is shared by all processes: a parent and its child, or the
// X server's input and the window, can compare their readings.
inline std::int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

inline double ms(std::int64_t ns)
{
    return double(ns) / 1e6;
}

// Nearest rank: the smallest value with at least q of the samples at or below it.
double quantile(Samples v, double q);
inline double median(const Samples& v)
{
    return quantile(v, 0.5);
}
inline double p99(const Samples& v)
{
    return quantile(v, 0.99);
}
double maximum(const Samples& v);
double minimum(const Samples& v);

// Resident memory of this process in KiB, now (VmRSS) or at its peak (VmHWM).
long residentKiB(const char* field = "VmRSS");

// One row of the table: figure, what was measured, target, verdict (none
// for a target in parentheses).
[[gnu::format(printf, 4, 5)]] void row(const std::string& figure, const char* target, bool met,
                                       const char* format, ...);
// A row of the median, p99 and largest of the samples.
void row(const std::string& figure, const char* target, bool met, const Samples& v,
         int decimals = 2);

// Runs the event loop for `msecs`, or until `done` holds when a probe calls
// recheck(): no timer of ours wakes the loop in between.
void spin(int msecs, std::function<bool()> done = nullptr);
void recheck();

// The game's window, shown, with its first frames and fonts settled.
std::unique_ptr<Form1> openWindow();

// The measurements; each prints its rows and returns the process's status.
int ticks(int interval, int count, bool busy);
int clicks(int count);
int verdict(int rounds);
int startup(int runs);
int idle(int seconds);
int soak(int seconds, unsigned seed);

} // namespace bench
