// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window helpers that the suites and the benchmarks share (library
// tevalin_window_helpers): the program's start-up, timers ticked by hand,
// scripted draws, and a player's hands on the real window.

#include <QMainWindow>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTest>
#include <QWindow>

// moc reads no further: it cannot parse the C++20 standard headers.
#ifndef Q_MOC_RUN
#include "runtime/application.h"
#include "runtime/services.h"
#include "runtime/testing.h"
#include "window/form1.h"
#include "window/identity.h"

#include <array>
#include <functional>
#include <memory>

namespace fixture {

// The board as the player sees it, in client pixels, read once from
// tests/board.tsv, which the scripts and benchmarks read too.
struct SquareSeen
{
    QRgb colour;
    QRect cell;
};
struct Board
{
    std::array<SquareSeen, 8> squares; // in key order
    QRect start;                       // "Старт", and the indicator's fixed spot
    QPoint bare; // clear of every control, below the grid: a click there is Form_Click
};
const Board& board();
inline const std::array<SquareSeen, 8>& Squares = board().squares;
inline const QRect StartCell = board().start;
inline const QPoint BareSpot = board().bare;

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
Phase phaseOf(Form1& f);
// Everything a click, the credit or a tick could change.
QString snapshot(Form1& f);

// Form1 shown and exposed, its timers still until a test ticks them.
std::unique_ptr<Form1> openForm();

inline QWidget* clientArea(const Form1& form)
{
    return static_cast<QMainWindow*>(rt::testing::widget(form))->centralWidget();
}

// A client point in the coordinates of the window (and of its handle).
inline QPoint inWindow(const Form1& form, QPoint client)
{
    return clientArea(form)->mapTo(rt::testing::widget(form), client);
}

inline QPoint centreOf(const rt::Control& c) // in client pixels
{
    return rt::testing::widget(c)->geometry().center();
}

// A click at a point of the client area, hit-tested by Qt as a real click is.
inline void clickAt(const Form1& form, QPoint client, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(rt::testing::windowHandle(form), button, {}, inWindow(form, client));
}

inline void clickControl(const Form1& form, const rt::Control& c)
{
    clickAt(form, centreOf(c));
}

inline void clickSquare(Form1& form, int n)
{
    clickControl(form, form.Square(n));
}

// The menu's one command, "Разработчик": the credit box opens (and, being
// modal, runs its own loop until a BoxCloser closes it).
void clickCredit(const Form1& form);

// While it lives, closes every modal box and popup menu that opens, as a
// player would, from inside the box's own loop: `seen` gets it first, once
// each time it opens, then a box is answered with its first button and
// anything else closed.
class BoxCloser : public QObject
{
public:
    explicit BoxCloser(std::function<void(QWidget*)> seen = {});

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override;

private:
    std::function<void(QWidget*)> seen_;
    QSet<QWidget*> handling_; // shown, not yet closed
};

// Ticks Timer1 until the presentation ends (at most a bound, so a fault
// cannot hang the suite); returns the ticks taken.
int presentAll(Form1& form, int bound = 1000);
// A draw that picks square n (r * 8 + 1, rounded down).
inline rt::Single drawFor(int n)
{
    return rt::Single((n - 0.5) / 8);
}
// The scripted draws a round did not take, dropped so that the next test
// starts without them.
std::size_t drawsLeftOver();

// Starts a round that shows the squares of `shown`, one digit each.
void start(Form1& form, const QString& shown);

inline void answer(Form1& form, const QString& clicks)
{
    for (QChar d : clicks)
        clickSquare(form, d.digitValue());
}

// Brings a round of `shown` from Start to a phase: presenting after its first
// colour, answering with nothing clicked, or the verdict on a right answer.
void bringTo(Form1& form, Phase phase, const QString& shown = QStringLiteral("27"));

// WCAG contrast of two sRGB colours: 1 (none) to 21.
double contrast(QRgb a, QRgb b);

// One part of a scroll bar (arrow, trough, thumb), in the bar's own pixels.
QRect scrollBarPart(const QScrollBar* bar, QStyle::SubControl part = QStyle::SC_ScrollBarSlider);

} // namespace fixture

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

// The program's start-up (fonts, style, application name), then the suite;
// TEVALIN_WITHOUT_TAHOMA set: as on a release without Wine's Tahoma.
#define TEVALIN_TEST_MAIN(Suite)                                                                   \
    int main(int argc, char* argv[])                                                               \
    {                                                                                              \
        if (qEnvironmentVariableIsSet("TEVALIN_WITHOUT_TAHOMA"))                                   \
            rt::testing::hideTahoma();                                                             \
        rt::Application app(argc, argv, identity());                                               \
        rt::testing::install();                                                                    \
        rt::testing::setManualTimers(true);                                                        \
        Suite suite;                                                                               \
        return QTest::qExec(&suite, argc, argv);                                                   \
    }
#endif
