#include "widgets.h"

#include <QKeyEvent>

namespace rt::detail {

OptionWidget::OptionWidget(ControlObject& c, QWidget* parent) : QRadioButton(parent)
{
    connect(this, &QRadioButton::toggled, this, [&c](bool on) {
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

} // namespace rt::detail
