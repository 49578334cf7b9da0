// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The Qt widgets behind the controls, with the behaviour players rely on
// where Qt's defaults differ.

#include "form_object.h"

#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace rt::detail {

// The window's client area and the labels raise Click themselves; Qt's
// labels let clicks through to their parent. Click is a left press and
// release on the same control. Clicks are taken whether or not a handler is
// bound, so they never fall through to the window.
template <class Base> class ClickingWidget : public Base
{
public:
    ClickingWidget(ControlObject& c, QWidget* parent) : Base(parent), c_(c) {}

    ControlObject& control() const { return c_; }

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        e->accept();
        pressed_ = pressed_ || e->button() == Qt::LeftButton;
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        e->accept();
        if (e->button() != Qt::LeftButton)
            return;
        const bool clicked = pressed_ && this->rect().contains(e->position().toPoint());
        pressed_ = false;
        if (clicked)
            c_.raise(Event::Click);
    }

private:
    ControlObject& c_;
    bool pressed_ = false;
};

using ClientArea = ClickingWidget<QWidget>;
using LabelWidget = ClickingWidget<QLabel>;

// A label with no caption: a square of its back colour, on whole device
// pixels at any scale, so that every square is as wide as it is high.
class SquareWidget : public LabelWidget
{
public:
    SquareWidget(ControlObject& c, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
};

// Buttons take the focus from Tab, never from a click: the keyboard stays on
// the speed while the mouse plays.
class CommandWidget : public QPushButton
{
public:
    CommandWidget(ControlObject& c, QWidget* parent);

protected:
    // Return and Enter click as Space does, outside a dialog too.
    void keyPressEvent(QKeyEvent* e) override;
};

class OptionWidget : public QRadioButton
{
public:
    OptionWidget(ControlObject& c, QWidget* parent);

protected:
    // The whole rectangle reacts, not only the circle and the text.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class ScrollWidget : public QScrollBar
{
public:
    ScrollWidget(ControlObject& c, QWidget* parent);

    // The thumb's position, which differs from the value only during a drag.
    int position() const { return sliderPosition(); }

protected:
    // Left and Right in their natural direction (Qt inverts them), pages,
    // and the two ends.
    void keyPressEvent(QKeyEvent* e) override;
    // A thumb that stands out from the trough, and a frame while the bar has
    // the keyboard; the style gives neither on the window's white.
    void paintEvent(QPaintEvent* e) override;
};

} // namespace rt::detail
