#include "widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>

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

bool OptionWidget::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
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
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        triggerAction(SliderSingleStepSub);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        triggerAction(SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        triggerAction(SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        triggerAction(SliderPageStepAdd);
        break;
    case Qt::Key_Home:
        triggerAction(SliderToMinimum);
        break;
    case Qt::Key_End:
        triggerAction(SliderToMaximum);
        break;
    default:
        QScrollBar::keyPressEvent(e);
        return;
    }
    e->accept();
}

namespace {
// The grey of the Start button's border, and the blue of its focus mark.
const QColor Thumb(0x7a, 0x7a, 0x7a);
const QColor FocusMark(0x3d, 0x6f, 0xb4);
} // namespace

void ScrollWidget::paintEvent(QPaintEvent* e)
{
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
