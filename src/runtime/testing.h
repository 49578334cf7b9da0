// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Hooks for the test suites and the benchmarks (library tevalin_testing):
// fire timer ticks by hand, script the random draws, reach the widgets behind
// the handles, probe the timer code. Installing them also changes how a
// run-time error is reported: inside a Qt Test function it fails the test at
// once with its message; elsewhere (a helper that plays the real program) the
// program's own error box shows and the process ends with status 1.

#include "controls.h"

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

class QAccessibleEvent;
class QWidget;
class QWindow;

namespace rt {

class Form;

namespace testing {

// Puts the hooks in place; the mains of the suites, the benchmarks and the
// fault helper call it once, after making the Application.
void install();
// Before the Application: the window drawn as on a release without Wine's
// Tahoma.
void hideTahoma();

// While on, timers never start a clock: ticks come only from fireTick.
void setManualTimers(bool on);
// One tick, delivered exactly as the event loop delivers it.
void fireTick(const Timer& timer);
bool isRunning(const Timer& timer);
// The clock of the timers' code is `now` from here on (std::nullopt: the
// kernel's again). A clock far ahead of the kernel's keeps the real timers
// from firing: the test delivers what they would with clockReached.
void setClock(std::optional<std::chrono::nanoseconds> now);
// When a running timer's next tick is due, by that clock.
std::chrono::nanoseconds nextTickDue(const Timer& timer);
// Delivers what the timer's clock delivers when it reaches the tick due.
void clockReached(const Timer& timer);
// For the benchmarks: after the timer code of every real tick, before the
// handler runs, `probe` gets the timer's name and the time the window's
// thread spent in that code. An empty function removes it.
void setTickProbe(
    std::function<void(std::string_view timer, std::chrono::nanoseconds spent)> probe);

// Sees every accessibility event the runtime passes on to Qt's bridge (only
// while an assistive technology listens: QAccessible::isActive()). An empty
// function removes it.
void setAccessibilityProbe(std::function<void(QAccessibleEvent* event)> probe);

// The next draws return these values, in order, before the generator resumes.
void scriptDraws(std::initializer_list<Single> draws);
std::size_t scriptedDrawsLeft();
// Records 'R' for every reseed and 'r' for every draw.
void traceRandom(bool on);
std::string randomTrace();

QWidget* widget(const Form& form);
QWidget* widget(const Control& control);
QWindow* windowHandle(const Form& form);

} // namespace testing
} // namespace rt
