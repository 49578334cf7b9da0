// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Seams for the test hooks (runtime/testing.h), which only the tests and the
// benchmarks link; in the program they keep these values.

#include "error.h"
#include "types.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QAccessibleEvent;

namespace rt::detail {

// While set, timers never arm a clock: ticks come only by hand.
extern bool manualTimers;
// While set, Wine's Tahoma is not loaded: the faces are those of a release
// without it.
extern bool withoutTahoma;
// While set, stands in for CLOCK_MONOTONIC (nanoseconds) in the timers' code.
extern std::int64_t (*clockHook)();
// Sees every reseed of the random generator.
extern void (*reseedHook)();
// Sees every draw, and may supply it.
extern std::optional<Single> (*drawHook)();
// Called after the timer code of each tick, before its handler, with the
// time spent in it.
extern std::function<void(std::string_view timer, std::chrono::nanoseconds spent)> tickProbe;
// Sees every accessibility event the runtime passes on to Qt's bridge.
extern std::function<void(QAccessibleEvent* event)> accessibilityProbe;
// Shows a run-time error; the program ends when it returns.
extern void (*reportError)(const RuntimeError& e);
// The program's own report: the error box.
void showError(const RuntimeError& e);

} // namespace rt::detail
