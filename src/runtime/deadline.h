// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The ticks of a running timer fall on a grid, origin + k * interval, so that
// they keep their spacing from the start whatever the handlers take.

#include <cstdint>

namespace rt::detail {

// The first tick of the grid after `now` (k >= 1): ticks that `now` has
// already passed are dropped, never delivered late.
constexpr std::int64_t nextTick(std::int64_t origin, std::int64_t interval, std::int64_t now)
{
    if (now < origin + interval)
        return origin + interval;
    return origin + ((now - origin) / interval + 1) * interval;
}

// What a tick shows stays at least this long before the next tick.
constexpr std::int64_t shortestShow(std::int64_t interval)
{
    return interval - interval / 8;
}

// The tick after one that was due at `due` and whose change showed at
// `shown`. On a busy machine a tick may be delivered, or its frame painted,
// so late that the grid's next tick would follow within less than
// shortestShow: the grid then slips to a whole interval after `shown`.
constexpr std::int64_t tickAfter(std::int64_t due, std::int64_t interval, std::int64_t shown)
{
    const std::int64_t next = nextTick(due, interval, shown);
    return next - shown >= shortestShow(interval) ? next : shown + interval;
}

} // namespace rt::detail
