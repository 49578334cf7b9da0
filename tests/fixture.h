#pragma once

// What every suite shares: the runtime started as the program starts it,
// timers ticked by hand, and a player's hands on the real window.

// moc reads no further: it cannot parse the C++20 standard headers.
#ifndef Q_MOC_RUN
#include "runtime/application.h"
#include "runtime/testing.h"
#include "window/form1.h"
#endif

#include <QMainWindow>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWindow>

#include <memory>

#ifndef Q_MOC_RUN
namespace fixture {

// Form1 shown and exposed, its timers still until a test ticks them.
inline std::unique_ptr<Form1> openForm()
{
    auto form = std::make_unique<Form1>();
    form->show();
    QWidget* window = rt::testing::widget(*form);
    if (!QTest::qWaitForWindowExposed(window))
        qFatal("the window was never exposed");
    return form;
}

inline QWidget* clientArea(const Form1& form)
{
    return static_cast<QMainWindow*>(rt::testing::widget(form))->centralWidget();
}

// A click at a point of the client area, in pixels, hit-tested by Qt as a
// real click is.
inline void clickAt(const Form1& form, QPoint client, Qt::MouseButton button = Qt::LeftButton)
{
    QWidget* window = rt::testing::widget(form);
    const QPoint at = clientArea(form)->mapTo(window, client);
    QTest::mouseClick(rt::testing::windowHandle(form), button, {}, at);
}

// A click at twips of the client area.
inline void clickAtTwips(const Form1& form, double left, double top)
{
    clickAt(form, QPoint(int(left / 15), int(top / 15)));
}

inline QRect pixelRect(const Form1& form, const rt::Control& c)
{
    (void)form;
    return rt::testing::widget(c)->geometry();
}

inline void clickControl(const Form1& form, const rt::Control& c)
{
    clickAt(form, pixelRect(form, c).center());
}

inline void clickSquare(Form1& form, int n)
{
    clickControl(form, form.Square(n));
}

// Ticks Timer1 until the presentation ends (at most a bound, so a fault
// cannot hang the suite); returns the ticks taken.
inline int presentAll(Form1& form, int bound = 1000)
{
    int ticks = 0;
    while (rt::testing::isRunning(form.Timer1) && ticks < bound) {
        rt::testing::fireTick(form.Timer1);
        ++ticks;
    }
    return ticks;
}

// One part of a scroll bar (arrow, trough, thumb), in the bar's own pixels.
inline QRect scrollBarPart(const QScrollBar* bar,
                           QStyle::SubControl part = QStyle::SC_ScrollBarSlider)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.activeSubControls = QStyle::SC_None;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    if (opt.orientation == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

inline QString text(const rt::String& s)
{
    return QString::fromStdU16String(s.str());
}

} // namespace fixture

// The program's start-up (fonts, style, application name), then the suite.
#define TEVALIN_TEST_MAIN(Suite)                                                                   \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        rt::Application app(argc, argv, Form1::description());                                     \
        rt::testing::setManualTimers(true);                                                        \
        Suite suite;                                                                               \
        return QTest::qExec(&suite, argc, argv);                                                   \
    }
#endif
