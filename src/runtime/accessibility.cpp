// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "form_object.h"
#include "widgets.h"

#include <string>

namespace rt::detail {

void nameForAssistiveTechnology(QWidget* w, const ControlDescription& d)
{
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

} // namespace rt::detail
