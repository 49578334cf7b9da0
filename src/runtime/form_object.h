#pragma once

// Inside the runtime: the objects behind the handles, over Qt Widgets.

#include "convert.h"
#include "description.h"
#include "error.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QMainWindow;
class QTimer;
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
    ControlObject(FormObject& form, std::string_view name, Kind kind);

    // Runs the bound handler, if any, inside the run-time error trap.
    void raise(Event e) const;
    bool accepts(Event e) const;

    void timerTick() const;
    void updateTimer();
    // The single-shot timer fired shortly before the tick that is due.
    void timerWoke();

    FormObject& form;
    const std::string name;
    const Kind kind;
    const ControlDescription* design = nullptr; // none for the form and the menu
    QWidget* widget = nullptr; // labels, buttons, scroll bar; the window for the form
    QTimer* timer = nullptr;
    Single left = 0, top = 0, width = 0, height = 0;
    Long backColor = 0xFFFFFF;
    Long foreColor = 0;
    bool timerEnabled = false;
    Long interval = 0;
    std::chrono::steady_clock::time_point nextTick; // while the timer runs
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
// Shows a run-time error; the program ends when it returns.
extern void (*reportError)(const RuntimeError& e);
// The program's own report: the error box.
void showError(const RuntimeError& e);

} // namespace rt::detail
