// Property access in the runtime's units. A property a control does not have,
// or a value it cannot take, is a run-time error.

#include "controls.h"
#include "error.h"
#include "form_object.h"
#include "widgets.h"

#include <QMainWindow>

namespace rt::detail {

namespace {

constexpr Single TwipsPerPixel = 15;

[[noreturn]] void unsupported()
{
    raiseError(PropertyNotSupported);
}

bool isTrue(Boolean b)
{
    return b != False;
}

Boolean toBoolean(bool b)
{
    return b ? True : False;
}

Long checkedColor(Long bgr)
{
    if (bgr < 0 || bgr > 0xFFFFFF)
        raiseError(InvalidPropertyValue);
    return bgr;
}

ScrollWidget& scrollBar(const ControlObject& c)
{
    if (c.kind != Kind::HScrollBar)
        unsupported();
    return static_cast<ScrollWidget&>(*c.widget);
}

void place(ControlObject& c)
{
    c.widget->setGeometry(pixels(c.left), pixels(c.top), pixels(c.width), pixels(c.height));
}

// The control's entry in the stored description; the form and menus have none.
const ControlDescription* designOf(const ControlObject& c)
{
    for (const ControlDescription& d : c.form.description.controls)
        if (d.name == c.name)
            return &d;
    return nullptr;
}

// A name that follows the caption is set after the text, so that assistive
// technology hears of the change once, with the new name.
void captionShown(const ControlObject& c, const String& caption)
{
    const ControlDescription* d = designOf(c);
    if (!d || !d->nameFollowsCaption)
        return;
    const std::u16string_view name = d->accessibleNameFor(caption.str());
    c.widget->setAccessibleName(toQString(name));
}

// So that assistive technology can say which colour appeared.
void colourShown(const ControlObject& c, Long bgr)
{
    const ControlDescription* d = designOf(c);
    if (!d || !d->nameTellsColour)
        return;
    std::u16string name(d->accessibleName);
    for (const ControlDescription& other : c.form.description.controls)
        if (&other != d && other.backColor == bgr && !other.accessibleName.empty()) {
            name.append(u": ").append(other.accessibleName);
            break;
        }
    c.widget->setAccessibleName(QString::fromStdU16String(name));
}

} // namespace

template <> Boolean get<Boolean>(const ControlObject& c, int prop)
{
    switch (prop) {
    case Prop::Visible:
        if (!c.widget || c.kind == Kind::Form)
            unsupported();
        return toBoolean(!c.widget->isHidden());
    case Prop::Enabled:
        if (c.kind == Kind::Timer)
            return toBoolean(c.timerEnabled);
        if (!c.widget)
            unsupported();
        return toBoolean(c.widget->isEnabled());
    case Prop::Value:
        if (c.kind == Kind::OptionButton)
            return toBoolean(static_cast<OptionWidget*>(c.widget)->isChecked());
        return Integer(scrollBar(c).position());
    case Prop::Min:
        return Integer(scrollBar(c).minimum());
    case Prop::Max:
        return Integer(scrollBar(c).maximum());
    case Prop::SmallChange:
        return Integer(scrollBar(c).singleStep());
    case Prop::LargeChange:
        return Integer(scrollBar(c).pageStep());
    }
    unsupported();
}

template <> void set<Boolean>(ControlObject& c, int prop, const Boolean& v)
{
    switch (prop) {
    case Prop::Visible:
        if (!c.widget || c.kind == Kind::Form)
            unsupported();
        if (!isTrue(v))
            c.form.passFocusOn(c.widget);
        c.widget->setVisible(isTrue(v));
        c.form.keepFocusOnAVisibleControl();
        return;
    case Prop::Enabled:
        if (c.kind == Kind::Timer) {
            if (c.timerEnabled != isTrue(v)) {
                c.timerEnabled = isTrue(v);
                c.updateTimer();
            }
            return;
        }
        if (!c.widget)
            unsupported();
        c.widget->setEnabled(isTrue(v));
        return;
    case Prop::Value:
        if (c.kind == Kind::OptionButton) {
            static_cast<OptionWidget*>(c.widget)->setSelected(isTrue(v));
            return;
        }
        if (v < Integer(scrollBar(c).minimum()) || v > Integer(scrollBar(c).maximum()))
            raiseError(InvalidPropertyValue);
        scrollBar(c).setValue(v.value());
        return;
    case Prop::Min:
        scrollBar(c).setMinimum(v.value());
        return;
    case Prop::Max:
        scrollBar(c).setMaximum(v.value());
        return;
    case Prop::SmallChange:
    case Prop::LargeChange:
        if (v < 1)
            raiseError(InvalidPropertyValue);
        if (prop == Prop::SmallChange)
            scrollBar(c).setSingleStep(v.value());
        else
            scrollBar(c).setPageStep(v.value());
        return;
    }
    unsupported();
}

template <> Single get<Single>(const ControlObject& c, int prop)
{
    if (c.kind == Kind::Form) {
        const QRect outer = c.widget->frameGeometry();
        if (prop == Prop::Width)
            return Single(outer.width()) * TwipsPerPixel;
        if (prop == Prop::Height)
            return Single(outer.height()) * TwipsPerPixel;
        unsupported();
    }
    if (!c.widget)
        unsupported();
    switch (prop) {
    case Prop::Left:
        return c.left;
    case Prop::Top:
        return c.top;
    case Prop::Width:
        return c.width;
    case Prop::Height:
        return c.height;
    }
    unsupported();
}

template <> void set<Single>(ControlObject& c, int prop, const Single& v)
{
    if (c.kind == Kind::Form)
        raiseError(PropertyIsReadOnly);
    if (!c.widget)
        unsupported();
    if (!std::isfinite(v))
        raiseError(InvalidPropertyValue);
    switch (prop) {
    case Prop::Left:
        c.left = v;
        break;
    case Prop::Top:
        c.top = v;
        break;
    case Prop::Width:
    case Prop::Height:
        if (v < 0)
            raiseError(InvalidPropertyValue);
        (prop == Prop::Width ? c.width : c.height) = v;
        break;
    default:
        unsupported();
    }
    place(c);
}

template <> Long get<Long>(const ControlObject& c, int prop)
{
    switch (prop) {
    case Prop::BackColor:
        return c.backColor;
    case Prop::ForeColor:
        return c.foreColor;
    case Prop::Interval:
        if (c.kind != Kind::Timer)
            unsupported();
        return c.interval;
    }
    unsupported();
}

template <> void set<Long>(ControlObject& c, int prop, const Long& v)
{
    switch (prop) {
    case Prop::BackColor:
    case Prop::ForeColor: {
        if (c.kind != Kind::Label)
            unsupported();
        (prop == Prop::BackColor ? c.backColor : c.foreColor) = checkedColor(v);
        (prop == Prop::BackColor ? paintBackground : paintText)(c.widget, v);
        if (prop == Prop::BackColor)
            colourShown(c, v);
        return;
    }
    case Prop::Interval:
        if (c.kind != Kind::Timer)
            unsupported();
        if (v < 0 || v > 65535)
            raiseError(InvalidPropertyValue);
        c.interval = v;
        if (c.timerEnabled)
            c.updateTimer();
        return;
    }
    unsupported();
}

template <> String get<String>(const ControlObject& c, int prop)
{
    if (prop != Prop::Caption || !c.widget)
        unsupported();
    QString text;
    if (auto* label = qobject_cast<QLabel*>(c.widget))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(c.widget))
        text = button->text();
    else if (c.kind == Kind::Form)
        text = c.widget->windowTitle();
    else
        unsupported();
    return String(std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                 static_cast<std::size_t>(text.size())));
}

template <> void set<String>(ControlObject& c, int prop, const String& v)
{
    if (prop != Prop::Caption || !c.widget)
        unsupported();
    const QString text = toQString(v.str());
    if (auto* label = qobject_cast<QLabel*>(c.widget))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(c.widget))
        button->setText(text);
    else
        unsupported();
    captionShown(c, v);
}

} // namespace rt::detail
