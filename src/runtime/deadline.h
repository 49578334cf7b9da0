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

// The tick after one that was due at `due` and delivered at `delivered`. What
// a tick shows must last: when a busy machine delivered it so late that the
// grid's next tick would follow within seven eighths of an interval, the grid
// slips to a whole interval after the delivery.
constexpr std::int64_t tickAfter(std::int64_t due, std::int64_t interval, std::int64_t delivered)
{
    const std::int64_t next = nextTick(due, interval, delivered);
    return next - delivered >= interval - interval / 8 ? next : delivered + interval;
}

} // namespace rt::detail
