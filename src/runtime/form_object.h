// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a built form is: its controls, the objects behind the handles, each
// with its widget, its design, its handlers and, for a timer, its clock.

#include "convert.h"
#include "description.h"
#include "timer.h"

#include <array>
#include <functional>
#include <memory>
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

// The window of the handler under way, the innermost's: the window a message
// box it shows belongs to, whichever window is active.
extern QWidget* handlerWindow;

class ControlObject
{
public:
    ControlObject(FormObject& f, std::string_view n, Kind k);

    // Runs the bound handler, if any, inside the run-time error trap.
    void raise(Event e) const;
    bool accepts(Event e) const;

    FormObject& form;
    const std::string name;
    const Kind kind;
    const ControlDescription* design = nullptr; // none for the form and the menu
    QWidget* widget = nullptr; // labels, buttons, scroll bar; the window for the form
    Single left = 0, top = 0;  // labels; their size is the designed one
    Long backColor = 0xFFFFFF;
    Ticker timer;          // timers only
    bool announce = false; // changed by the handler under way; see accessibility.h
    std::array<std::function<void()>, eventNames.size()> handlers;
};

class FormObject
{
public:
    explicit FormObject(const FormDescription& d);

    ControlObject* find(std::string_view name);
    // Before a control hides: the focus, if it is there, goes nowhere until
    // the control shows again, not down Qt's tab chain to whatever follows:
    // a screen reader speaks nothing but the round, and keys move nothing
    // unseen. Keys still reach the window, and Tab the controls that show.
    void passFocusOn(QWidget* hiding);
    // After a control shows: with the focus nowhere and no control waiting
    // for it, the first control in tab order takes it as soon as it is
    // visible.
    void keepFocusOnAVisibleControl();
    // After a control shows: if it hid with the focus, it takes the focus
    // back, unless the player moved the focus meanwhile.
    void returnFocus(QWidget* shown);
    // Gives the focus to a control, or to none.
    void moveFocus(QWidget* to);

    const FormDescription& description;
    ControlObject self;
    std::vector<std::unique_ptr<ControlObject>> controls;
    std::vector<QWidget*> tabOrder; // the controls that take the focus
    // Last, so that it goes first: the widgets refer to the control objects.
    std::unique_ptr<QMainWindow> window;
    bool loaded = false;
    QWidget* focusToReturn = nullptr; // hid with the focus
    // The control the window's focus belongs to, whether or not the window
    // is active: the last the player or the runtime gave it; none while no
    // control has it.
    QWidget* focus = nullptr;
};

} // namespace rt::detail
