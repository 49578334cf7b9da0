// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "form_object.h"
#include "widgets.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QKeySequence>

#include <string>

namespace rt::detail {

void nameForAssistiveTechnology(QWidget* w, const ControlDescription& d)
{
    w->setAccessibleDescription(toQString(d.accessibleDescription));
    const QString name = toQString(d.accessibleName);
    if (d.kind != Kind::HScrollBar || !name.contains(QLatin1String("%1"))) {
        w->setAccessibleName(toQString(d.accessibleNameFor(d.caption)));
        return;
    }
    auto* bar = static_cast<ScrollWidget*>(w);
    // The value in the name follows the thumb, as the speed caption does.
    const auto rename = [bar, name] { bar->setAccessibleName(name.arg(bar->position())); };
    QObject::connect(bar, &QScrollBar::valueChanged, bar, rename);
    QObject::connect(bar, &QScrollBar::sliderMoved, bar, rename);
    rename();
}

void captionShown(const ControlObject& c, std::u16string_view caption)
{
    // Set after the text, so that assistive technology hears of the change
    // once, with the new name.
    if (c.design->nameFollowsCaption)
        c.widget->setAccessibleName(toQString(c.design->accessibleNameFor(caption)));
}

// The name says which square's colour the control shows, so that assistive
// technology can tell which colour appeared.
void colourShown(const ControlObject& c, Long bgr)
{
    if (!c.design->nameTellsColour)
        return;
    std::u16string name(c.design->accessibleName);
    for (const ControlDescription& other : c.form.description.controls)
        if (&other != c.design && other.backColor == bgr && !other.accessibleName.empty()) {
            name.append(u": ").append(other.accessibleName);
            break;
        }
    c.widget->setAccessibleName(toQString(name));
}

std::function<void(QAccessibleEvent* event)> accessibilityProbe;

namespace {

// A label as assistive technology sees it. A square the player clicks is a
// button whose press action clicks it, though it takes no focus; an
// announced control is a notification, which screen readers speak as it
// shows (Orca 43 ignores a label that is renamed).
class LabelAccessible : public QAccessibleWidget
{
public:
    explicit LabelAccessible(LabelWidget* w) : QAccessibleWidget(w), c_(w->control()) {}

    QAccessible::Role role() const override
    {
        if (c_.design->announced)
            return QAccessible::Notification;
        return pressable() ? QAccessible::Button : QAccessible::StaticText;
    }
    QStringList actionNames() const override
    {
        return pressable() ? QStringList{pressAction()} : QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        // As a click: a hidden square takes none, nor one in a window that a
        // modal box blocks.
        const QWidget* modal = QApplication::activeModalWidget();
        if (action == pressAction() && pressable() && !widget()->isHidden() &&
            (!modal || modal == widget()->window()))
            c_.raise(Event::Click);
    }
    QStringList keyBindingsForAction(const QString& action) const override
    {
        if (action != pressAction() || c_.design->key == Key::None)
            return {};
        return {QKeySequence(int(c_.design->key)).toString(QKeySequence::NativeText)};
    }

private:
    bool pressable() const { return bool(c_.handlers[std::size_t(Event::Click)]); }

    ControlObject& c_;
};

QAccessibleInterface* labelInterface(const QString&, QObject* o)
{
    auto* label = dynamic_cast<LabelWidget*>(o);
    return label ? new LabelAccessible(label) : nullptr;
}

QAccessible::UpdateHandler platform = nullptr; // Qt's bridge, or what else was installed
bool announcing = false;

void passOn(QAccessibleEvent* e);

// Qt tells that an announced control shows as soon as it is shown, before
// the handler has set what it shows: the runtime tells it once the handler
// returns.
void filter(QAccessibleEvent* e)
{
    if (e->type() == QAccessible::ObjectShow && !announcing)
        if (auto* label = dynamic_cast<LabelWidget*>(e->object());
            label && label->control().design->announced)
            return;
    passOn(e);
}

void passOn(QAccessibleEvent* e)
{
    if (accessibilityProbe)
        accessibilityProbe(e);
    // Qt's internals: updateAccessibility() hands an event to the installed
    // handler instead of its bridge, and to the bridge only while none is
    // installed, so the filter steps aside for one call. Checked on Qt 6.4.
    QAccessible::installUpdateHandler(platform);
    QAccessible::updateAccessibility(e);
    QAccessible::installUpdateHandler(filter);
}

} // namespace

void installAccessibility()
{
    QAccessible::installFactory(labelInterface);
    platform = QAccessible::installUpdateHandler(filter);
}

int handlersRunning = 0;

void changed(ControlObject& c)
{
    c.announce = c.announce || c.design->announced;
}

void announceChanges(FormObject& f)
{
    for (const auto& c : f.controls) {
        if (!c->announce)
            continue;
        c->announce = false;
        if (c->widget->isHidden())
            continue;
        announcing = true;
        QAccessibleEvent shown(c->widget, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
        announcing = false;
    }
}

void visibilityChanged(const ControlObject& c, bool visible)
{
    if (!QAccessible::isActive())
        return;
    // Qt's bridge's own connection to the accessibility bus, so that the
    // event comes from this application, on the path the bridge gives the
    // control. Qt's internals, neither of them API: the bridge names its
    // connection "a11y" and its objects /org/a11y/atspi/accessible/<unique
    // id>. Checked on Qt 6.4.
    QDBusConnection bus(QStringLiteral("a11y"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(c.widget);
    if (!bus.isConnected() || !iface)
        return;
    QDBusMessage m = QDBusMessage::createSignal(
        QStringLiteral("/org/a11y/atspi/accessible/%1").arg(QAccessible::uniqueId(iface)),
        QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("StateChanged"));
    m << QStringLiteral("visible") << int(visible) << 0 << QVariant::fromValue(QDBusVariant(0))
      << QVariantMap();
    bus.send(m);
}

} // namespace rt::detail
