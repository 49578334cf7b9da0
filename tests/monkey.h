#pragma once

// A seeded random player: it plays Form1 as a player and the clock would,
// through the real window, and checks after every event that the game is
// still sound. The same seed replays the same run: its own choices come from
// the seed, and so do the game's draws (scripted before every tick).
//
// With a manual clock the player also ticks both timers; with real timers
// (the soak) the event loop ticks them and the player only clicks and keys.

#include "fixture.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>

// GCC 12 at -O3 warns falsely that "text" + std::string may overlap (its bug
// 105329); the messages below are built that way.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

#ifndef Q_MOC_RUN
#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <string>

namespace monkey {

enum class Phase
{
    Idle,
    Presenting,
    Answering,
    Verdict,
    Broken
};

inline const char* phaseName(Phase p)
{
    switch (p) {
    case Phase::Idle:
        return "idle";
    case Phase::Presenting:
        return "presenting";
    case Phase::Answering:
        return "answering";
    case Phase::Verdict:
        return "verdict";
    case Phase::Broken:
        break;
    }
    return "no phase";
}

enum class Clock
{
    Manual,
    Real
};

// The phase of the round, read from the controls and the timers alone.
inline Phase phaseOf(const Form1& f)
{
    const auto shown = [](rt::Boolean b) { return b == rt::True; };
    const bool start = shown(f.Command1.Visible);
    const rt::Label* const squares[] = {&f.Label1, &f.Label2, &f.Label3, &f.Label4,
                                        &f.Label5, &f.Label6, &f.Label7, &f.Label8};
    const auto count = std::count_if(std::begin(squares), std::end(squares),
                                     [&](const rt::Label* l) { return shown(l->Visible); });
    if (count != 0 && count != 8)
        return Phase::Broken; // some squares shown, some hidden
    const bool all = count == 8;
    const bool presenting = rt::testing::isRunning(f.Timer1);
    const bool verdict = shown(f.Label9.Visible);
    const bool judging = rt::testing::isRunning(f.Timer2);
    if (start && all && !presenting && !verdict && !judging)
        return Phase::Idle;
    if (!start && !all && presenting && !verdict && !judging)
        return Phase::Presenting;
    if (!start && all && !presenting && !verdict && !judging)
        return Phase::Answering;
    if (!start && all && !presenting && verdict && judging)
        return Phase::Verdict;
    return Phase::Broken;
}

inline const QString Correct = QStringLiteral("Правильно");
inline const QString Wrong = QStringLiteral("Ошибка");
inline const QString CreditTitle = QStringLiteral("Разработчик ");
inline const QString CreditText = QStringLiteral("Kelvaro   < 7 ноября 2004 года >");

class Player
{
public:
    Player(Form1& form, std::uint64_t seed, Clock clock = Clock::Manual)
        : form_(form), rng_(seed), clock_(clock), window_(rt::testing::widget(form)),
          menuBar_(static_cast<QMainWindow*>(window_)->menuBar()),
          bar_(static_cast<QScrollBar*>(rt::testing::widget(form.HScroll1)))
    {
        credit_ = menuBar_->actions().value(0);
        closer_.setSingleShot(true);
        QObject::connect(&closer_, &QTimer::timeout, &closer_, [this] { closeCredit(); });
        stray_.setSingleShot(true);
        QObject::connect(&stray_, &QTimer::timeout, &stray_, [this] { closeStray(); });
        phase_ = phase();
        length_ = form_.SeqLength.value();
        check("the start");
    }

    // One event, then the invariants. Empty while everything holds, else
    // what broke, with the events that led there.
    const std::string& step()
    {
        ++events_;
        // QTest's mouse clock is an int that gains half a second a click.
        if (QTest::lastMouseTimestamp > (1 << 30))
            QTest::lastMouseTimestamp = 0;
        // With real timers the clock moves between events: see its ticks first.
        if (clock_ == Clock::Real)
            check("the clock's ticks");
        play();
        check(event_.c_str());
        if (clock_ == Clock::Manual && events_ % FlushEvery == 0)
            flush();
        return failure_;
    }

    std::uint64_t events() const { return events_; }
    std::uint64_t creditsShown() const { return credits_; }
    std::uint64_t verdicts(bool correct) const { return correct ? rights_ : wrongs_; }
    int longestRound() const { return longest_; }
    const std::string& failure() const { return failure_; }

    // The posted work a real event loop would do between events: paints,
    // deferred deletes, and with real timers their ticks.
    static void flush() { QCoreApplication::processEvents(); }

    Phase phase() const { return phaseOf(form_); }

private:
    // How often the event loop gets its turn, in events.
    static constexpr std::uint64_t FlushEvery = 64;
    static constexpr std::size_t HistoryKept = 24;

    enum Event
    {
        ClickWindow,
        ClickControl,
        ClickRecalled,
        ClickCentre,
        ClickCredit,
        TickTimer1,
        TickTimer2,
        ScrollKey,
        ScrollClick,
        ScrollDrag,
        ClickOption,
        DragWindow,
        RightClick,
        EventKinds
    };

    static bool shown(rt::Boolean b) { return b == rt::True; }

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(int percent) { return uniform(0, 99) < percent; }

    Event pick()
    {
        // Weights per event kind, leaning on what the phase asks of a player
        // so that rounds get played to the end as well as broken off; the
        // clock's ticks only with a manual clock.
        const bool manual = clock_ == Clock::Manual;
        const Phase now = phase();
        std::array<int, EventKinds> w{};
        w[ClickWindow] = 16;
        w[ClickControl] = 16;
        w[ClickRecalled] = now == Phase::Answering ? 120 : 8;
        w[ClickCentre] = now == Phase::Idle ? 12 : 3;
        w[ClickCredit] = 1;
        w[TickTimer1] = manual ? (now == Phase::Presenting ? 60 : 10) : 0;
        w[TickTimer2] = manual ? (now == Phase::Verdict ? 12 : 3) : 0;
        w[ScrollKey] = 6;
        w[ScrollClick] = 3;
        w[ScrollDrag] = 2;
        w[ClickOption] = 4;
        w[DragWindow] = 2;
        w[RightClick] = 1;
        std::discrete_distribution<int> d(w.begin(), w.end());
        return Event(d(rng_));
    }

    void note(std::string what)
    {
        event_ = std::move(what);
        history_.push_back(std::to_string(events_) + ": " + event_);
        if (history_.size() > HistoryKept)
            history_.pop_front();
    }

    QPoint clientToWindow(QPoint p) const { return fixture::clientArea(form_)->mapTo(window_, p); }

    QPoint randomIn(const QRect& r)
    {
        return {uniform(r.left(), r.right()), uniform(r.top(), r.bottom())};
    }

    // Qt's test events warn about points outside the window.
    static QPoint within(const QRect& r, QPoint p)
    {
        return {std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom())};
    }

    static std::string at(QPoint p)
    {
        // Appended piece by piece: GCC 12 warns falsely on "(" + std::string.
        std::string s(1, '(');
        s += std::to_string(p.x());
        s += ", ";
        s += std::to_string(p.y());
        s += ')';
        return s;
    }

    QWidget* control(int i) const
    {
        const rt::Control* controls[] = {
            &form_.Label1,  &form_.Label2,  &form_.Label3,  &form_.Label4,   &form_.Label5,
            &form_.Label6,  &form_.Label7,  &form_.Label8,  &form_.Command1, &form_.Label9,
            &form_.Label10, &form_.Label11, &form_.Option1, &form_.Option2,  &form_.HScroll1,
        };
        return rt::testing::widget(*controls[i]);
    }
    static constexpr int Controls = 15;
    static constexpr const char* controlNames[Controls] = {
        "Label1",   "Label2", "Label3",  "Label4",  "Label5",  "Label6",  "Label7",   "Label8",
        "Command1", "Label9", "Label10", "Label11", "Option1", "Option2", "HScroll1",
    };

    bool onCredit(QPoint windowPoint) const
    {
        const QPoint p = menuBar_->mapFrom(window_, windowPoint);
        return menuBar_->isVisible() && menuBar_->rect().contains(p) &&
               menuBar_->actionAt(p) == credit_;
    }

    // A left press at one point of the window and the release at another;
    // the same point is a click.
    void press(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        QWindow* handle = rt::testing::windowHandle(form_);
        const int choice = choiceOf(from, to, button);
        // A release on the credit opens it after a press anywhere on the menu
        // bar; if it did not open, the closer finds nothing and is stopped.
        const bool credit = button == Qt::LeftButton && onCredit(to);
        if (credit)
            armCloser();
        else if (button != Qt::LeftButton || onCredit(from) || onCredit(to))
            stray_.start(0); // a context menu, say, would wait for the player forever
        if (from == to) {
            QTest::mouseClick(handle, button, {}, from);
        } else {
            // The event loop runs after each part: real timers may tick
            // between them.
            QTest::mousePress(handle, button, {}, from);
            check("  the press");
            QTest::mouseMove(handle, to);
            check("  the move");
            QTest::mouseRelease(handle, button, {}, to);
        }
        closer_.stop();
        stray_.stop();
        if (choice != 0)
            chosen_ = choice;
    }

    // The option a click selects, judged before the press: a press on a shown
    // option button and the release inside it.
    int choiceOf(QPoint from, QPoint to, Qt::MouseButton button) const
    {
        if (button != Qt::LeftButton)
            return 0;
        QWidget* target = window_->childAt(from);
        for (int n : {1, 2}) {
            QWidget* option = rt::testing::widget(n == 1 ? form_.Option1 : form_.Option2);
            if (target == option && option->isEnabled() &&
                option->rect().contains(option->mapFrom(window_, to)))
                return n;
        }
        return 0;
    }

    void scriptDraws()
    {
        if (clock_ != Clock::Manual)
            return;
        // Each colour takes at most three draws; the extremes come now and then.
        while (rt::testing::scriptedDrawsLeft() < 3) {
            const int kind = uniform(0, 39);
            const rt::Single r = kind == 0 ? 0.0f
                                 : kind == 1
                                     ? 0x1.fffffep-1f
                                     : std::uniform_real_distribution<rt::Single>(0, 1)(rng_);
            rt::testing::scriptDraws({r < 1 ? r : 0.0f});
        }
    }

    QRect thumb() const
    {
        const QRect r = fixture::scrollBarPart(bar_);
        return QRect(bar_->mapTo(window_, r.topLeft()), r.size());
    }

    void play()
    {
        const Event e = pick();
        const QRect whole = window_->rect();
        switch (e) {
        case ClickWindow: {
            const QPoint p = randomIn(whole);
            note("click at " + at(p));
            press(p, p);
            return;
        }
        case ClickControl: {
            const int i = uniform(0, Controls - 1);
            QWidget* w = control(i);
            const QPoint p = clientToWindow(randomIn(w->geometry()));
            note("click on " + std::string(controlNames[i]) + " " +
                 (w->isVisible() ? "shown" : "hidden") + " at " + at(p));
            press(p, p);
            return;
        }
        case ClickRecalled: {
            // A player who watched: the next square of the sequence, or now and
            // then a wrong one.
            const std::u16string& shownSeq = form_.ShownSeq.str();
            const auto next = static_cast<std::size_t>(std::max(0, form_.ClickCount.value()));
            int n = uniform(1, 8);
            if (next < shownSeq.size() && !chance(8))
                n = shownSeq[next] - u'0';
            const QPoint p =
                clientToWindow(randomIn(rt::testing::widget(form_.Square(n))->geometry()));
            note("click on square " + std::to_string(n) + " at " + at(p));
            press(p, p);
            return;
        }
        case ClickCentre: {
            const QPoint p =
                clientToWindow(rt::testing::widget(form_.Command1)->geometry().center());
            note("click on the centre cell");
            press(p, p);
            return;
        }
        case ClickCredit: {
            const QPoint p = menuBar_->mapTo(window_, menuBar_->actionGeometry(credit_).center());
            note("click on the credit");
            press(p, p);
            return;
        }
        case TickTimer1:
            note("tick of Timer1");
            scriptDraws();
            rt::testing::fireTick(form_.Timer1);
            return;
        case TickTimer2:
            note("tick of Timer2");
            rt::testing::fireTick(form_.Timer2);
            return;
        case ScrollKey: {
            static constexpr Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,
                                               Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                               Qt::Key_Home, Qt::Key_End,    Qt::Key_Space};
            const Qt::Key key = keys[uniform(0, int(std::size(keys)) - 1)];
            note("key " + std::to_string(int(key)) + " on the scroll bar");
            // Only a shown scroll bar can hold the focus.
            if (bar_->isVisible())
                QTest::keyClick(bar_, key);
            return;
        }
        case ScrollClick: {
            const QRect r(bar_->mapTo(window_, QPoint(0, 0)), bar_->size());
            const QPoint p = randomIn(r);
            note("click on the scroll bar at " + at(p));
            press(p, p);
            return;
        }
        case ScrollDrag: {
            const QPoint from = thumb().center();
            QWindow* handle = rt::testing::windowHandle(form_);
            note("drag of the thumb from " + at(from));
            QTest::mousePress(handle, Qt::LeftButton, {}, from);
            check("  the press");
            QPoint to = from;
            for (int moves = uniform(1, 5); moves > 0; --moves) {
                to =
                    QPoint(uniform(whole.left() + 600, whole.right()), from.y() + uniform(-40, 40));
                QTest::mouseMove(handle, to);
                check(("  drag to " + at(to)).c_str());
            }
            QTest::mouseRelease(handle, Qt::LeftButton, {}, to);
            return;
        }
        case ClickOption: {
            const int n = uniform(1, 2);
            QWidget* w = rt::testing::widget(n == 1 ? form_.Option1 : form_.Option2);
            const QPoint p = clientToWindow(randomIn(w->geometry()));
            note("click on Option" + std::to_string(n) + " at " + at(p));
            press(p, p);
            return;
        }
        case DragWindow: {
            const QPoint from = randomIn(whole);
            const QPoint to = chance(50)
                                  ? randomIn(whole)
                                  : within(whole, from + QPoint(uniform(-8, 8), uniform(-8, 8)));
            note("drag from " + at(from) + " to " + at(to));
            press(from, to);
            return;
        }
        case RightClick: {
            const QPoint p = randomIn(whole);
            note("right click at " + at(p));
            press(p, p, Qt::RightButton);
            return;
        }
        case EventKinds:
            break;
        }
    }

    // The credit is closed by the player a moment later; with a manual clock
    // the timers may tick beneath it first.
    void armCloser()
    {
        closerTries_ = 0;
        closer_.start(clock_ == Clock::Manual ? 0 : uniform(0, 300));
    }

    void closeCredit()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (++closerTries_ < 100)
                closer_.start(clock_ == Clock::Manual ? 0 : 5);
            return;
        }
        ++credits_;
        if (box->windowTitle() != CreditTitle || box->text() != CreditText ||
            box->icon() != QMessageBox::Information)
            fail("the credit reads \"" + box->windowTitle().toStdString() + "\": \"" +
                 box->text().toStdString() + "\"");
        check("  the credit shown");
        if (clock_ == Clock::Manual) {
            for (int ticks = uniform(0, 3); ticks > 0; --ticks) {
                const bool first = chance(80);
                if (first)
                    scriptDraws();
                rt::testing::fireTick(first ? form_.Timer1 : form_.Timer2);
                check(first ? "  tick of Timer1 beneath the credit"
                            : "  tick of Timer2 beneath the credit");
            }
        }
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }

    // Any window that opens beneath the player's hand uninvited is a fault;
    // closed, so that the run can say so.
    void closeStray()
    {
        QWidget* w = QApplication::activePopupWidget();
        if (!w)
            w = QApplication::activeModalWidget();
        if (!w)
            return;
        fail("a " + std::string(w->metaObject()->className()) + " opened");
        w->close();
    }

    void fail(const std::string& what)
    {
        if (!failure_.empty())
            return;
        failure_ = "at event " + std::to_string(events_) + " (" + event_ + "), checked after " +
                   where_ + ": " + what + "\nthe last events:";
        for (const auto& h : history_)
            failure_ += "\n  " + h;
    }

    // The invariants, and the round's bookkeeping across phase changes.
    void check(const char* after)
    {
        if (!failure_.empty())
            return;
        where_ = after;
        const Phase now = phase();
        if (now == Phase::Broken)
            return fail("the controls show no phase");
        const bool indicator = shown(form_.Label10.Visible);
        if (indicator && now != Phase::Presenting)
            return fail(std::string("the indicator shows while ") + phaseName(now));

        const int length = form_.SeqLength.value();
        const std::u16string& shownSeq = form_.ShownSeq.str();
        const std::u16string& enteredSeq = form_.EnteredSeq.str();
        const auto digits = [](const std::u16string& s) {
            return std::all_of(s.begin(), s.end(),
                               [](char16_t c) { return c >= u'1' && c <= u'8'; });
        };
        if (!digits(shownSeq) || !digits(enteredSeq))
            return fail("a sequence holds more than the digits 1 to 8");

        // How the length moves: one up at Start, one down on an error or a
        // forfeit, and nothing else.
        if (now != phase_) {
            const bool legal = (phase_ == Phase::Idle && now == Phase::Presenting) ||
                               (phase_ == Phase::Presenting && now == Phase::Answering) ||
                               (phase_ == Phase::Answering && now == Phase::Verdict) ||
                               (phase_ == Phase::Answering && now == Phase::Idle) ||
                               (phase_ == Phase::Verdict && now == Phase::Idle);
            if (!legal)
                return fail(std::string("the game went from ") + phaseName(phase_) + " to " +
                            phaseName(now));
            if (now == Phase::Presenting)
                ++length_;
            if (phase_ == Phase::Answering && now == Phase::Idle)
                --length_;
            if (now == Phase::Verdict) {
                const bool right = fixture::text(form_.Label9.Caption) == Correct;
                right ? ++rights_ : ++wrongs_;
                if (!right)
                    --length_;
            }
            if (now == Phase::Answering) {
                if (int(shownSeq.size()) != length || length < 1)
                    return fail("a round of " + std::to_string(length) + " showed " +
                                std::to_string(shownSeq.size()) + " colours");
                if (form_.TickCount != 0 || form_.ClickCount != 0)
                    return fail("the counters were not zeroed at the end of the presentation");
                longest_ = std::max(longest_, length);
            }
            phase_ = now;
        }
        if (length < 0)
            return fail("SeqLength fell to " + std::to_string(length));
        if (length != length_)
            return fail("SeqLength is " + std::to_string(length) + ", the rounds played make it " +
                        std::to_string(length_));

        if (now == Phase::Presenting) {
            const int ticks = form_.TickCount.value();
            if (shownSeq.size() != std::size_t(std::max(0, std::min(ticks, length))))
                return fail("after " + std::to_string(ticks) + " ticks of a round of " +
                            std::to_string(length) + " the sequence has " +
                            std::to_string(shownSeq.size()) + " colours");
        }
        if (now == Phase::Answering || now == Phase::Verdict) {
            if (enteredSeq.size() != std::size_t(std::max(0, form_.ClickCount.value())))
                return fail("ClickCount and the clicked digits disagree");
        }
        if (now == Phase::Verdict) {
            const QString verdict = fixture::text(form_.Label9.Caption);
            const bool right = enteredSeq == shownSeq;
            if (verdict != (right ? Correct : Wrong))
                return fail("the verdict reads \"" + verdict.toStdString() + "\" for " +
                            (right ? "a right answer" : "a wrong answer"));
            if (form_.Label9.ForeColor != (right ? Form1::DarkGreen : Form1::Red))
                return fail("the verdict has the wrong colour");
        }

        const rt::Long interval = form_.Timer1.Interval;
        if (interval < 50 || interval > 1000)
            return fail("Timer1's interval is " + std::to_string(interval));
        const QString caption = fixture::text(form_.Label11.Caption);
        if (caption != QStringLiteral("Таймер - %1").arg(interval))
            return fail("the speed caption reads \"" + caption.toStdString() +
                        "\" at an interval of " + std::to_string(interval));
        if (rt::Integer(form_.HScroll1.Value).value() != interval)
            return fail("the scroll bar stands at another speed than the timer's");

        if (form_.RandomMode != (chosen_ == 2 ? rt::True : rt::False))
            return fail("RandomMode disagrees with the last option chosen (Option" +
                        std::to_string(chosen_) + ")");
        const bool optionsShown = shown(form_.Option1.Visible) && shown(form_.Option2.Visible);
        if (optionsShown && (form_.Option1.Value != (chosen_ == 1 ? rt::True : rt::False) ||
                             form_.Option2.Value != (chosen_ == 2 ? rt::True : rt::False)))
            return fail("the selected option is not the last one chosen");
    }

    Form1& form_;
    std::mt19937_64 rng_;
    const Clock clock_;
    QWidget* const window_;
    QMenuBar* const menuBar_;
    QScrollBar* const bar_;
    QAction* credit_ = nullptr;
    QTimer closer_;
    QTimer stray_;
    int closerTries_ = 0;

    std::uint64_t events_ = 0;
    std::string event_;
    std::string where_;
    std::deque<std::string> history_;
    std::string failure_;

    Phase phase_ = Phase::Idle;
    int length_ = 0;
    int chosen_ = 1; // the load selects Option1
    std::uint64_t credits_ = 0, rights_ = 0, wrongs_ = 0;
    int longest_ = 0;
};

} // namespace monkey
#endif

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
