// SPDX-License-Identifier: GPL-3.0-or-later
#include "look.h"

#include "convert.h"

#include <QColor>
#include <QWidget>

namespace rt::detail {

QString buttonStyle(Long face)
{
    // A style sheet gives the solid face; Fusion paints the palette as a gradient.
    // The caption takes the light palette's ink: a style sheet reads the
    // application's palette, which a dark theme makes light.
    const QColor c = toColor(face);
    return QStringLiteral("QPushButton { color: black; background-color: %1;"
                          " border: 1px solid %3; }"
                          "QPushButton:pressed { background-color: %2; }"
                          "QPushButton:focus { border: 2px solid %4; }")
        .arg(c.name(), c.darker(110).name(), QColor(BorderGrey).name(), QColor(FocusBlue).name());
}

void paintBackground(QWidget* w, Long bgr)
{
    // Fusion fills some controls with the Button role, the rest with Window.
    QPalette p = w->palette();
    p.setColor(QPalette::Window, toColor(bgr));
    p.setColor(QPalette::Button, toColor(bgr));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void paintText(QWidget* w, Long bgr)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, toColor(bgr));
    w->setPalette(p);
}

} // namespace rt::detail
