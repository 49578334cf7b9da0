// SPDX-License-Identifier: GPL-3.0-or-later
// Property access in the runtime's units. A value a control cannot take is a
// run-time error.

#include "accessibility.h"
#include "controls.h"
#include "error.h"
#include "form_object.h"
#include "look.h"
#include "widgets.h"

#include <QMainWindow>

#include <cmath>

namespace rt::detail {

namespace {

void require(bool valid)
{
    if (!valid)
        raiseError(InvalidPropertyValue);
}

ScrollWidget& bar(const ControlObject& c)
{
    return static_cast<ScrollWidget&>(*c.widget);
}

void place(ControlObject& c, Single& coordinate, Single v)
{
    require(std::isfinite(v));
    coordinate = v;
    c.widget->setGeometry(pixels(c.left), pixels(c.top), pixels(c.design->width),
                          pixels(c.design->height));
}

} // namespace

template <> Boolean get<Prop::Visible>(const ControlObject& c)
{
    return c.widget->isHidden() ? False : True;
}

template <> void set<Prop::Visible>(ControlObject& c, const Boolean& v)
{
    const bool shown = v != False, was = !c.widget->isHidden();
    if (!shown)
        c.form.passFocusOn(c.widget);
    c.widget->setVisible(shown);
    if (shown)
        c.form.returnFocus(c.widget);
    c.form.keepFocusOnAVisibleControl();
    if (shown == was)
        return;
    visibilityChanged(c, shown);
    if (shown)
        changed(c);
}

template <> String get<Prop::Caption>(const ControlObject& c)
{
    return toString(static_cast<const QLabel*>(c.widget)->text());
}

template <> void set<Prop::Caption>(ControlObject& c, const String& v)
{
    static_cast<QLabel*>(c.widget)->setText(toQString(v.str()));
    captionShown(c, v.str());
    changed(c);
}

template <> Long get<Prop::BackColor>(const ControlObject& c)
{
    return c.backColor;
}

template <> void set<Prop::BackColor>(ControlObject& c, const Long& v)
{
    require(v >= 0 && v <= 0xFFFFFF);
    c.backColor = v;
    paintBackground(c.widget, v);
    colourShown(c, v);
    changed(c);
}

template <> void set<Prop::ForeColor>(ControlObject& c, const Long& v)
{
    require(v >= 0 && v <= 0xFFFFFF);
    paintText(c.widget, v);
}

template <> Single get<Prop::Left>(const ControlObject& c)
{
    return c.left;
}

template <> void set<Prop::Left>(ControlObject& c, const Single& v)
{
    place(c, c.left, v);
}

template <> Single get<Prop::Top>(const ControlObject& c)
{
    return c.top;
}

template <> void set<Prop::Top>(ControlObject& c, const Single& v)
{
    place(c, c.top, v);
}

template <> Single get<Prop::Width>(const ControlObject& c)
{
    return c.design->width;
}

template <> Single get<Prop::Height>(const ControlObject& c)
{
    return c.design->height;
}

// The outer size, frame, title bar and menu bar included.
template <> Single get<Prop::OuterWidth>(const ControlObject& c)
{
    return twips(c.widget->frameGeometry().width());
}

template <> Single get<Prop::OuterHeight>(const ControlObject& c)
{
    return twips(c.widget->frameGeometry().height());
}

template <> Boolean get<Prop::Selected>(const ControlObject& c)
{
    return static_cast<const OptionWidget*>(c.widget)->isChecked() ? True : False;
}

// The group keeps one button selected: setting False changes nothing.
template <> void set<Prop::Selected>(ControlObject& c, const Boolean& v)
{
    static_cast<OptionWidget*>(c.widget)->setChecked(v != False);
}

template <> Integer get<Prop::Value>(const ControlObject& c)
{
    return bar(c).position();
}

template <> void set<Prop::Value>(ControlObject& c, const Integer& v)
{
    require(v >= bar(c).minimum() && v <= bar(c).maximum());
    bar(c).setValue(v.value());
}

template <> void set<Prop::Min>(ControlObject& c, const Integer& v)
{
    bar(c).setMinimum(v.value());
}

template <> void set<Prop::Max>(ControlObject& c, const Integer& v)
{
    bar(c).setMaximum(v.value());
}

template <> void set<Prop::SmallChange>(ControlObject& c, const Integer& v)
{
    require(v >= 1);
    bar(c).setSingleStep(v.value());
}

template <> void set<Prop::LargeChange>(ControlObject& c, const Integer& v)
{
    require(v >= 1);
    bar(c).setPageStep(v.value());
}

template <> void set<Prop::Enabled>(ControlObject& c, const Boolean& v)
{
    c.timer.set(v != False, c.timer.interval());
}

template <> Long get<Prop::Interval>(const ControlObject& c)
{
    return c.timer.interval();
}

template <> void set<Prop::Interval>(ControlObject& c, const Long& v)
{
    require(v >= 0 && v <= 65535);
    c.timer.set(c.timer.enabled(), v);
}

} // namespace rt::detail
