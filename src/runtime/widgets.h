#pragma once

// The Qt widgets behind the controls, with the behaviour players rely on
// where Qt's defaults differ.

#include "form_object.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace rt::detail {

// Click is a left press and release on the same control. Clicks are taken
// whether or not a handler is bound, so they never fall through to the window.
class ClickTracker
{
public:
    bool press(QMouseEvent* e);
    bool release(QMouseEvent* e, const QRect& area);

private:
    bool pressed_ = false;
};

class ClientArea : public QWidget
{
public:
    ClientArea(ControlObject& form, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    ControlObject& form_;
    ClickTracker click_;
};

class LabelWidget : public QLabel
{
public:
    LabelWidget(ControlObject& c, QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    ControlObject& c_;
    ClickTracker click_;
};

class CommandWidget : public QPushButton
{
public:
    CommandWidget(ControlObject& c, QWidget* parent);
};

class OptionWidget : public QRadioButton
{
public:
    OptionWidget(ControlObject& c, QWidget* parent);

    void setSelected(bool on);

protected:
    // The whole rectangle reacts, not only the circle and the text.
    bool hitButton(const QPoint& pos) const override;
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
};

} // namespace rt::detail
