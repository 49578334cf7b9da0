#pragma once

// Inside the runtime: the objects behind the handles, over Qt Widgets.

#include "description.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QColor;
class QString;
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
    // Before a control hides: the focus, if it is there, goes to the first
    // visible control in tab order, not down Qt's tab chain to whatever
    // follows; with none visible it goes nowhere, and keys move nothing unseen.
    void passFocusOn(QWidget* hiding);
    // After a control shows: with the focus nowhere, the first control in tab
    // order takes it back as soon as it is visible.
    void keepFocusOnAVisibleControl();

    const FormDescription& description;
    ControlObject self;
    std::unique_ptr<QMainWindow> window;
    std::vector<std::unique_ptr<ControlObject>> controls;
    std::vector<QWidget*> tabOrder; // the controls that take the focus
    bool loaded = false;
};

QString toQString(std::u16string_view s);
QColor toColor(Long bgr);
// A control's colours, 0x00BBGGRR.
void paintBackground(QWidget* w, Long bgr);
void paintText(QWidget* w, Long bgr);

// Twips to logical pixels: 15 twips a pixel.
int pixels(Single twips);

// Runs a handler; a run-time error shows its message and ends the program.
void trap(const std::function<void()>& handler);
// The same trap around the delivery of one toolkit event.
bool notifyTrapped(const std::function<bool()>& deliver);

bool manualTimers();

} // namespace rt::detail
