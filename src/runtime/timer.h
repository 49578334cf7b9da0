// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a timer control keeps: whether it is enabled, its interval, and a
// timerfd armed at absolute CLOCK_MONOTONIC deadlines. The event loop wakes
// when a tick is due, to the kernel's precision, and the window's thread
// never sleeps waiting for it.

#include "types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

class QSocketNotifier;

namespace rt::detail {

class Ticker
{
public:
    // `name` (the control's, which outlives the ticker) is what the tick
    // probe hears; `tick` runs at every tick of the running timer.
    Ticker(std::string_view name, std::function<void()> tick);
    ~Ticker(); // closes the timerfd
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

    bool enabled() const { return enabled_; }
    Long interval() const { return interval_; }
    bool running() const { return enabled_ && interval_ > 0; }
    // Starts, stops or re-times the timer; a running timer keeps its last
    // tick as the origin of the next.
    void set(bool enabled, Long interval);
    // Delivers one tick of a running timer.
    void tick() const;
    // The clock reached the tick that was due (`entered`: when the thread
    // took it up, for the tick probe): the tick, and the next one armed.
    void reached(std::int64_t entered = 0);
    // When the next tick is due, CLOCK_MONOTONIC nanoseconds.
    std::int64_t deadline() const { return deadline_; }

private:
    // The timerfd fired.
    void woke();

    std::string_view name_;
    std::function<void()> tick_;
    bool enabled_ = false;
    Long interval_ = 0;
    int fd_ = -1;               // opened when first armed
    std::int64_t deadline_ = 0; // the next tick, CLOCK_MONOTONIC nanoseconds
    std::unique_ptr<QSocketNotifier> woken_;
};

} // namespace rt::detail
