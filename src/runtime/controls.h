// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Handles to the controls of a built form. A handle names its control; every
// property is read or written through the runtime at the moment of use, in the
// runtime's units: twips (Single), 0x00BBGGRR colours (Long), Booleans. A
// control has only the properties declared here, so a property it lacks does
// not compile.
//
//     Label10.Left = 6960;
//     if (Option1.Value == True) ...

#include "types.h"

#include <string_view>

namespace rt {

class Form;

// What the runtime reads or writes; a form's outer size and an option
// button's selection are read differently from a label's size and a scroll
// bar's value.
enum class Prop
{
    Visible,
    Caption,
    BackColor,
    ForeColor,
    Left,
    Top,
    Width,
    Height,
    OuterWidth,
    OuterHeight,
    Selected,
    Value,
    Min,
    Max,
    SmallChange,
    LargeChange,
    Enabled,
    Interval,
};

namespace detail {
class ControlObject;
struct Access;

// Defined in the runtime for each property a control has.
template <Prop P, class T> T get(const ControlObject& c);
template <Prop P, class T> void set(ControlObject& c, const T& value);
} // namespace detail

template <class T, Prop P> class ReadOnly
{
public:
    explicit ReadOnly(detail::ControlObject& c) : c_(&c) {}

    operator T() const { return detail::get<P, T>(*c_); }
    friend bool operator==(const ReadOnly& p, const T& v) { return T(p) == v; }

protected:
    detail::ControlObject* c_;
};

// Set by the game and never read back.
template <class T, Prop P> class WriteOnly
{
public:
    explicit WriteOnly(detail::ControlObject& c) : c_(&c) {}

    WriteOnly& operator=(const T& v)
    {
        detail::set<P, T>(*c_, v);
        return *this;
    }
    WriteOnly& operator=(const WriteOnly&) = delete;

private:
    detail::ControlObject* c_;
};

template <class T, Prop P> class Property : public ReadOnly<T, P>
{
public:
    using ReadOnly<T, P>::ReadOnly;

    Property& operator=(const T& v)
    {
        detail::set<P, T>(*this->c_, v);
        return *this;
    }
    // Assigning one property to another copies the value, never the binding.
    Property& operator=(const Property& other) { return *this = T(other); }
    template <class U, Prop Q> Property& operator=(const ReadOnly<U, Q>& other)
    {
        return *this = static_cast<T>(static_cast<U>(other));
    }
};

class Control
{
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

protected:
    Control(Form& form, std::string_view name);

    detail::ControlObject& c_;

private:
    friend struct detail::Access;
};

class Label : public Control
{
public:
    Label(Form& form, std::string_view name) : Control(form, name) {}

    Property<Boolean, Prop::Visible> Visible{c_};
    Property<String, Prop::Caption> Caption{c_};
    Property<Long, Prop::BackColor> BackColor{c_};
    WriteOnly<Long, Prop::ForeColor> ForeColor{c_};
    Property<Single, Prop::Left> Left{c_};
    Property<Single, Prop::Top> Top{c_};
    ReadOnly<Single, Prop::Width> Width{c_};
    ReadOnly<Single, Prop::Height> Height{c_};
};

class CommandButton : public Control
{
public:
    CommandButton(Form& form, std::string_view name) : Control(form, name) {}

    Property<Boolean, Prop::Visible> Visible{c_};
};

class OptionButton : public Control
{
public:
    OptionButton(Form& form, std::string_view name) : Control(form, name) {}

    // Setting True raises Click and clears the other button of the group.
    Property<Boolean, Prop::Selected> Value{c_};
    Property<Boolean, Prop::Visible> Visible{c_};
};

class HScrollBar : public Control
{
public:
    HScrollBar(Form& form, std::string_view name) : Control(form, name) {}

    // Setting it raises Change.
    Property<Integer, Prop::Value> Value{c_};
    WriteOnly<Integer, Prop::Min> Min{c_};
    WriteOnly<Integer, Prop::Max> Max{c_};
    WriteOnly<Integer, Prop::SmallChange> SmallChange{c_};
    WriteOnly<Integer, Prop::LargeChange> LargeChange{c_};
    Property<Boolean, Prop::Visible> Visible{c_};
};

class Timer : public Control
{
public:
    Timer(Form& form, std::string_view name) : Control(form, name) {}

    // Ticks every Interval milliseconds from the moment it is enabled.
    WriteOnly<Boolean, Prop::Enabled> Enabled{c_};
    Property<Long, Prop::Interval> Interval{c_};
};

} // namespace rt
