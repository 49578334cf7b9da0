// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets.h"

#include "look.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>

#include <utility>

namespace rt::detail {

CommandWidget::CommandWidget(ControlObject& c, QWidget* parent) : QPushButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QPushButton::clicked, this, [&c] { c.raise(Event::Click); });
}

void CommandWidget::keyPressEvent(QKeyEvent* e)
{
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat()) {
        e->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(e);
}

SquareWidget::SquareWidget(ControlObject& c, QWidget* parent) : LabelWidget(c, parent)
{
    // Qt fills no background from the edges it rounds: the paint below covers
    // the whole cell.
    setAttribute(Qt::WA_NoSystemBackground);
}

void SquareWidget::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    // The window's ground where rounding leaves a device pixel of the cell bare.
    p.fillRect(rect(), parentWidget()->palette().color(QPalette::Window));
    p.fillRect(onDevicePixels(p, rect()), palette().color(QPalette::Window));
}

OptionWidget::OptionWidget(ControlObject& c, QWidget* parent) : QRadioButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QRadioButton::toggled, this, [this, &c](bool on) {
        // The group is one stop for Tab, at the selected button; the arrow
        // keys choose within it.
        setFocusPolicy(on ? Qt::TabFocus : Qt::NoFocus);
        if (on)
            c.raise(Event::Click);
    });
}

ScrollWidget::ScrollWidget(ControlObject& c, QWidget* parent) : QScrollBar(Qt::Horizontal, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // A right click does nothing: Qt's own menu ("Scroll here", "Left edge" ...)
    // is no part of this window.
    setContextMenuPolicy(Qt::NoContextMenu);
    // Value follows the thumb only on release; Scroll reports the drag.
    setTracking(false);
    connect(this, &QScrollBar::valueChanged, this, [&c] { c.raise(Event::Change); });
    connect(this, &QScrollBar::sliderMoved, this, [&c] { c.raise(Event::Scroll); });
}

void ScrollWidget::keyPressEvent(QKeyEvent* e)
{
    static constexpr std::pair<int, SliderAction> Keys[] = {
        {Qt::Key_Left, SliderSingleStepSub},  {Qt::Key_Up, SliderSingleStepSub},
        {Qt::Key_Right, SliderSingleStepAdd}, {Qt::Key_Down, SliderSingleStepAdd},
        {Qt::Key_PageUp, SliderPageStepSub},  {Qt::Key_PageDown, SliderPageStepAdd},
        {Qt::Key_Home, SliderToMinimum},      {Qt::Key_End, SliderToMaximum}};
    for (const auto& [key, action] : Keys)
        if (e->key() == key) {
            triggerAction(action);
            e->accept();
            return;
        }
    QScrollBar::keyPressEvent(e);
}

void ScrollWidget::paintEvent(QPaintEvent* e)
{
    const QColor Thumb(BorderGrey);
    const QColor FocusMark(FocusBlue);
    QScrollBar::paintEvent(e);
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
    QPainter p(this);
    p.fillRect(thumb, isSliderDown() ? Thumb.darker(130) : Thumb);
    if (hasFocus()) {
        p.setPen(QPen(FocusMark, 2));
        p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }
}

} // namespace rt::detail
