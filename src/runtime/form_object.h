#pragma once

// Inside the runtime: the objects behind the handles, over Qt Widgets.

#include "convert.h"
#include "description.h"
#include "error.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

    // Delivers one tick of an enabled timer.
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
    Long foreColor = 0;
    bool timerEnabled = false;
    Long interval = 0;
    std::array<std::function<void()>, eventNames.size()> handlers;
};

class FormObject
{
public:
    explicit FormObject(const FormDescription& d);
    ~FormObject();

    ControlObject* find(std::string_view name);
    void show();
    // Qt leaves the focus on a control that is hidden when no other can take
    // it, and keys would move what the player cannot see.
    void keepFocusOnAVisibleControl();

    const FormDescription& description;
    ControlObject self;
    std::unique_ptr<QMainWindow> window;
    std::vector<std::unique_ptr<ControlObject>> controls;
    QWidget* firstInTabOrder = nullptr;
    bool loaded = false;
};

// A control's colours, 0x00BBGGRR.
void paintBackground(QWidget* w, Long bgr);
void paintText(QWidget* w, Long bgr);

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
// nanoseconds spent in it.
extern void (*tickProbe)(std::string_view timer, std::int64_t spent);
// Shows a run-time error; the program ends when it returns.
extern void (*reportError)(const RuntimeError& e);
// The program's own report: the error box.
void showError(const RuntimeError& e);

} // namespace rt::detail
