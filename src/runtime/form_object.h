// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Inside the runtime: the objects behind the handles, over Qt Widgets, and the
// helpers its files share.

#include "convert.h"
#include "description.h"
#include "error.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QFont;
class QMainWindow;
class QWidget;

namespace rt::detail {

enum class Event
{
    Load,
    Click,
    Change,
    Scroll,
    Timer
};
inline constexpr std::array<std::string_view, 5> eventNames{"Load", "Click", "Change", "Scroll",
                                                            "Timer"};

class FormObject;

class ControlObject
{
public:
    ControlObject(FormObject& f, std::string_view n, Kind k) : form(f), name(n), kind(k) {}
    ~ControlObject(); // closes the timerfd

    // Runs the bound handler, if any, inside the run-time error trap.
    void raise(Event e) const;
    bool accepts(Event e) const;

    bool timerRunning() const { return timerEnabled && interval > 0; }
    // Delivers one tick of a running timer.
    void timerTick() const;
    // Starts, stops or re-times the timer; a running timer keeps its last
    // tick as the origin of the next.
    void setTimer(bool enabled, Long interval);
    // The clock reached the tick that was due.
    void timerWoke();

    FormObject& form;
    const std::string name;
    const Kind kind;
    const ControlDescription* design = nullptr; // none for the form and the menu
    QWidget* widget = nullptr; // labels, buttons, scroll bar; the window for the form
    int timerFd = -1;          // a timerfd, opened when first armed
    std::int64_t deadline = 0; // the next tick, CLOCK_MONOTONIC nanoseconds
    Single left = 0, top = 0;  // labels; their size is the designed one
    Long backColor = 0xFFFFFF;
    bool timerEnabled = false;
    Long interval = 0;
    std::array<std::function<void()>, eventNames.size()> handlers;
};

class FormObject
{
public:
    explicit FormObject(const FormDescription& d);

    ControlObject* find(std::string_view name);
    // Before a control hides: the focus, if it is there, goes to the first
    // visible control in tab order, not down Qt's tab chain to whatever
    // follows; with none visible it goes nowhere, and keys move nothing unseen.
    void passFocusOn(QWidget* hiding);
    // After a control shows: with the focus nowhere, the first control in tab
    // order takes it back as soon as it is visible.
    void keepFocusOnAVisibleControl();

    const FormDescription& description;
    ControlObject self;
    std::vector<std::unique_ptr<ControlObject>> controls;
    std::vector<QWidget*> tabOrder; // the controls that take the focus
    // Last, so that it goes first: the widgets refer to the control objects.
    std::unique_ptr<QMainWindow> window;
    bool loaded = false;
};

// Makes the bundled faces known; fontconfig does not list Wine's font folder.
void loadFonts();
// The description's face at the pixel size its points have at 96 dpi, so the
// text keeps its place whatever the display's dpi. A face that is not
// installed is replaced by a narrow one with Cyrillic glyphs.
QFont fontFor(const FontDescription& d);

// From now on every window the program opens carries this ASCII class, and
// its title also in an encoding that does not depend on the locale (X11 only).
void nameWindowsForX11(std::string_view windowClass);

// Runs a handler; a run-time error shows its message and ends the program.
void trap(const std::function<void()>& handler);
// The same trap around the delivery of one toolkit event.
bool notifyTrapped(const std::function<bool()>& deliver);

// Seams for the test hooks (runtime/testing.h), which only the tests and the
// benchmarks link; in the program they keep these values.
// While set, timers never arm a clock: ticks come only by hand.
extern bool manualTimers;
// Sees every reseed ('R') and draw ('r'), and may supply the draw.
extern std::optional<Single> (*randomHook)(char call);
// Called after the timer code of each tick, before its handler, with the
// time spent in it.
extern std::function<void(std::string_view timer, std::chrono::nanoseconds spent)> tickProbe;
// Shows a run-time error; the program ends when it returns.
extern void (*reportError)(const RuntimeError& e);
// The program's own report: the error box.
void showError(const RuntimeError& e);

} // namespace rt::detail
