#pragma once

// Handles to the controls of a built form. A handle names its control; every
// property is read or written through the runtime at the moment of use, in the
// runtime's units: twips (Single), 0x00BBGGRR colours (Long), Booleans.
//
//     Label10.Left = 6960;
//     if (Option1.Value == True) ...

#include "types.h"

#include <string_view>

namespace rt {

class Form;
class Control;

namespace detail {
class ControlObject;
struct Access;

template <class T> T get(const ControlObject& c, int prop);
template <class T> void set(ControlObject& c, int prop, const T& value);
} // namespace detail

enum Prop
{
    Visible,
    Enabled,
    Caption,
    BackColor,
    ForeColor,
    Left,
    Top,
    Width,
    Height,
    Value,
    Min,
    Max,
    SmallChange,
    LargeChange,
    Interval,
};

template <class T, Prop P> class Property
{
public:
    explicit Property(detail::ControlObject& c) : c_(&c) {}

    operator T() const { return detail::get<T>(*c_, P); }

    Property& operator=(const T& v)
    {
        detail::set<T>(*c_, P, v);
        return *this;
    }
    // Assigning one property to another copies the value, never the binding.
    Property& operator=(const Property& other) { return *this = T(other); }
    template <class U, Prop Q> Property& operator=(const Property<U, Q>& other)
    {
        return *this = static_cast<T>(static_cast<U>(other));
    }

    friend bool operator==(const Property& p, const T& v) { return T(p) == v; }

private:
    detail::ControlObject* c_;
};

class Control
{
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

protected:
    Control(Form& form, std::string_view name);
    explicit Control(detail::ControlObject& c) : c_(c) {}

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
    Property<Long, Prop::ForeColor> ForeColor{c_};
    Property<Single, Prop::Left> Left{c_};
    Property<Single, Prop::Top> Top{c_};
    Property<Single, Prop::Width> Width{c_};
    Property<Single, Prop::Height> Height{c_};
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

    Property<Boolean, Prop::Value> Value{c_};
    Property<Boolean, Prop::Visible> Visible{c_};
};

class HScrollBar : public Control
{
public:
    HScrollBar(Form& form, std::string_view name) : Control(form, name) {}

    Property<Integer, Prop::Value> Value{c_};
    Property<Integer, Prop::Min> Min{c_};
    Property<Integer, Prop::Max> Max{c_};
    Property<Integer, Prop::SmallChange> SmallChange{c_};
    Property<Integer, Prop::LargeChange> LargeChange{c_};
    Property<Boolean, Prop::Visible> Visible{c_};
};

class Timer : public Control
{
public:
    Timer(Form& form, std::string_view name) : Control(form, name) {}

    Property<Boolean, Prop::Enabled> Enabled{c_};
    Property<Long, Prop::Interval> Interval{c_};
};

} // namespace rt
