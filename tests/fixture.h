// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every suite shares: the program's start-up, timers ticked by hand,
// scripted draws, and a player's hands on the real window.

// moc reads no further: it cannot parse the C++20 standard headers.
#ifndef Q_MOC_RUN
#include "runtime/application.h"
#include "runtime/services.h"
#include "runtime/testing.h"
#include "window/form1.h"
#include "window/identity.h"
#endif

#include <QAbstractButton>
#include <QMainWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWindow>
#include <QtMath>

#include <memory>

#ifndef Q_MOC_RUN
namespace fixture {

// The eight squares as the player sees them: colour and cell, in client
// pixels. The Start button sits in the middle cell.
struct SquareSeen
{
    QRgb colour;
    QRect cell;
};
inline const SquareSeen Squares[8] = {
    {0xFF0000, {240, 96, 93, 93}},  {0x00C000, {688, 304, 93, 93}}, {0xC000C0, {240, 512, 93, 93}},
    {0x00FFFF, {688, 512, 93, 93}}, {0x0000FF, {464, 512, 93, 93}}, {0xFFFF00, {688, 96, 93, 93}},
    {0xFF8000, {464, 96, 93, 93}},  {0xE0E0E0, {240, 304, 93, 93}},
};
inline const QRect StartCell(464, 304, 93, 93);

inline QString text(const rt::String& s)
{
    return QString::fromStdU16String(s.str());
}

enum class Phase
{
    Idle,
    Presenting,
    Answering,
    Verdict,
    Broken
};

// The phase of a round, read from the controls and the timers alone.
inline Phase phaseOf(const Form1& f)
{
    const rt::Label* const squares[] = {&f.Label1, &f.Label2, &f.Label3, &f.Label4,
                                        &f.Label5, &f.Label6, &f.Label7, &f.Label8};
    int shown = 0;
    for (const rt::Label* l : squares)
        shown += l->Visible == rt::True;
    const bool start = f.Command1.Visible == rt::True, all = shown == 8;
    const bool verdict = f.Label9.Visible == rt::True;
    if ((shown != 0 && !all) || verdict != rt::testing::isRunning(f.Timer2))
        return Phase::Broken;
    if (rt::testing::isRunning(f.Timer1))
        return start || all || verdict ? Phase::Broken : Phase::Presenting;
    if (!all)
        return Phase::Broken;
    if (start)
        return verdict ? Phase::Broken : Phase::Idle;
    return verdict ? Phase::Verdict : Phase::Answering;
}

// Form1 shown and exposed, its timers still until a test ticks them.
inline std::unique_ptr<Form1> openForm()
{
    auto form = std::make_unique<Form1>();
    form->show();
    if (!QTest::qWaitForWindowExposed(rt::testing::widget(*form)))
        qFatal("the window was never exposed");
    return form;
}

inline QWidget* clientArea(const Form1& form)
{
    return static_cast<QMainWindow*>(rt::testing::widget(form))->centralWidget();
}

inline QMenuBar* menuBar(const Form1& form)
{
    return static_cast<QMainWindow*>(rt::testing::widget(form))->menuBar();
}

// A click at a point of the client area, hit-tested by Qt as a real click is.
inline void clickAt(const Form1& form, QPoint client, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint at = clientArea(form)->mapTo(rt::testing::widget(form), client);
    QTest::mouseClick(rt::testing::windowHandle(form), button, {}, at);
}

inline void clickControl(const Form1& form, const rt::Control& c)
{
    clickAt(form, rt::testing::widget(c)->geometry().center());
}

inline void clickSquare(Form1& form, int n)
{
    clickControl(form, form.Square(n));
}

inline void clickCredit(const Form1& form)
{
    QMenuBar* bar = menuBar(form);
    const QPoint at = bar->actionGeometry(bar->actions().value(0)).center();
    QTest::mouseClick(rt::testing::windowHandle(form), Qt::LeftButton, {},
                      bar->mapTo(rt::testing::widget(form), at));
}

// Ticks Timer1 until the presentation ends (at most a bound, so a fault
// cannot hang the suite); returns the ticks taken.
inline int presentAll(Form1& form, int bound = 1000)
{
    int ticks = 0;
    for (; rt::testing::isRunning(form.Timer1) && ticks < bound; ++ticks)
        rt::testing::fireTick(form.Timer1);
    return ticks;
}

// A draw that picks square n (r * 8 + 1, rounded down).
inline rt::Single drawFor(int n)
{
    return rt::Single((n - 0.5) / 8);
}

// The scripted draws a round did not take, dropped so that the next test
// starts without them.
inline std::size_t drawsLeftOver()
{
    const std::size_t left = rt::testing::scriptedDrawsLeft();
    while (rt::testing::scriptedDrawsLeft() > 0)
        rt::Rnd();
    return left;
}

// Starts a round that shows the squares of `shown`, one digit each.
inline void start(Form1& form, const QString& shown)
{
    for (QChar d : shown)
        rt::testing::scriptDraws({drawFor(d.digitValue())});
    form.SeqLength = rt::Integer(int(shown.size()) - 1);
    clickControl(form, form.Command1);
}

inline void answer(Form1& form, const QString& clicks)
{
    for (QChar d : clicks)
        clickSquare(form, d.digitValue());
}

// Brings a round of `shown` from Start to a phase: presenting after its first
// colour, answering with nothing clicked, or the verdict on a right answer.
inline void bringTo(Form1& form, Phase phase, const QString& shown = QStringLiteral("27"))
{
    start(form, shown);
    rt::testing::fireTick(form.Timer1);
    if (phase != Phase::Presenting)
        presentAll(form);
    if (phase == Phase::Verdict)
        answer(form, shown);
    if (phaseOf(form) != phase)
        qFatal("the round did not reach the phase asked for");
}

// Makes the window the active one, as the keyboard needs. A Wayland
// compositor without a keyboard seat (the headless weston that CI runs)
// activates no window: there, and only there, the keyboard's tests skip.
#define ACTIVATE_OR_SKIP(window)                                                                   \
    do {                                                                                           \
        (window)->activateWindow();                                                                \
        if (QGuiApplication::platformName() == QLatin1String("wayland") &&                         \
            !QTest::qWaitFor([&] { return (window)->isActiveWindow(); }, 300))                     \
            QSKIP("this compositor activates no window: it has no keyboard");                      \
        QVERIFY(QTest::qWaitForWindowActive(window));                                              \
    } while (false)

// WCAG contrast of two sRGB colours: 1 (none) to 21.
inline double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        double l = 0;
        for (auto [v, w] : {std::pair{qRed(c), 0.2126}, {qGreen(c), 0.7152}, {qBlue(c), 0.0722}}) {
            const double s = v / 255.0;
            l += w * (s <= 0.04045 ? s / 12.92 : qPow((s + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// One part of a scroll bar (arrow, trough, thumb), in the bar's own pixels.
inline QRect scrollBarPart(const QScrollBar* bar,
                           QStyle::SubControl part = QStyle::SC_ScrollBarSlider)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    if (opt.orientation == Qt::Horizontal)
        opt.state |= QStyle::State_Horizontal;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
}

} // namespace fixture

// The program's start-up (fonts, style, application name), then the suite.
#define TEVALIN_TEST_MAIN(Suite)                                                                   \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        rt::Application app(argc, argv, identity());                                               \
        rt::testing::install();                                                                    \
        rt::testing::setManualTimers(true);                                                        \
        Suite suite;                                                                               \
        return QTest::qExec(&suite, argc, argv);                                                   \
    }
#endif
