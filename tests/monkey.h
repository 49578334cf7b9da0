#pragma once

// A seeded random player: it plays Form1 through the real window as a player
// (and, with a manual clock, the clock) would, and checks after every event
// that the game is still sound. The same seed replays the same run: its
// choices and the game's draws both come from the seed.

#include "fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#ifndef Q_MOC_RUN
#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <string>

namespace monkey {

using fixture::Phase;

enum class Clock
{
    Manual,
    Real
};

class Player
{
public:
    Player(Form1& form, std::uint64_t seed, Clock clock = Clock::Manual)
        : form_(form), rng_(seed), clock_(clock), window_(rt::testing::widget(form)),
          bar_(static_cast<QScrollBar*>(rt::testing::widget(form.HScroll1)))
    {
        closer_.setSingleShot(true);
        QObject::connect(&closer_, &QTimer::timeout, &closer_, [this] { closeBoxes(); });
        length_ = form_.SeqLength.value();
        check("the start");
    }

    // One event, then the invariants; returns what broke, empty while all holds.
    const std::string& step()
    {
        ++events_;
        if (QTest::lastMouseTimestamp > (1 << 30)) // an int that gains half a second a click
            QTest::lastMouseTimestamp = 0;
        if (clock_ == Clock::Real)
            check("the clock's ticks");
        play();
        check(event_.c_str());
        if (clock_ == Clock::Manual && events_ % 64 == 0)
            flush();
        return failure_;
    }

    std::uint64_t events() const { return events_; }
    std::uint64_t creditsShown() const { return credits_; }
    std::uint64_t verdicts(bool right) const { return right ? rights_ : wrongs_; }
    int longestRound() const { return longest_; }
    const std::string& failure() const { return failure_; }
    // The posted work a real event loop does between events.
    static void flush() { QCoreApplication::processEvents(); }

private:
    enum Event
    {
        ClickAnywhere,
        ClickControl,
        ClickRecalled,
        ClickCredit,
        TickTimer1,
        TickTimer2,
        Key,
        Drag,
        RightClick,
        Kinds
    };

    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    QPoint randomIn(const QRect& r)
    {
        return {uniform(r.left(), r.right()), uniform(r.top(), r.bottom())};
    }
    QPoint inWindow(const QWidget* w, QPoint p) const { return w->mapTo(window_, p); }

    // Weights lean on what the phase asks of a player, so that rounds are
    // played to the end as well as broken off.
    Event pick()
    {
        const bool manual = clock_ == Clock::Manual;
        const Phase now = fixture::phaseOf(form_);
        const std::array<int, Kinds> w{16,
                                       20,
                                       now == Phase::Answering ? 120 : 8,
                                       1,
                                       manual ? (now == Phase::Presenting ? 60 : 10) : 0,
                                       manual ? (now == Phase::Verdict ? 12 : 3) : 0,
                                       6,
                                       5,
                                       1};
        return Event(std::discrete_distribution<int>(w.begin(), w.end())(rng_));
    }

    void note(const std::string& what)
    {
        event_ = std::to_string(events_) + ": " + what;
        history_.push_back(event_);
        if (history_.size() > 16)
            history_.pop_front();
    }

    // A press at one point of the window and the release at another.
    void press(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        QWindow* handle = rt::testing::windowHandle(form_);
        int chosen = 0;
        for (int n : {1, 2}) {
            QWidget* option = rt::testing::widget(n == 1 ? form_.Option1 : form_.Option2);
            if (button == Qt::LeftButton && window_->childAt(from) == option &&
                option->rect().contains(option->mapFrom(window_, to)))
                chosen = n;
        }
        closerTries_ = 0;
        closer_.start(clock_ == Clock::Manual ? 0 : uniform(0, 300));
        if (from == to) {
            QTest::mouseClick(handle, button, {}, from);
        } else {
            QTest::mousePress(handle, button, {}, from);
            check("  the press");
            QTest::mouseMove(handle, to);
            QTest::mouseRelease(handle, button, {}, to);
        }
        closer_.stop();
        if (chosen != 0)
            chosen_ = chosen;
    }

    void play()
    {
        const QRect whole = window_->rect();
        const rt::Control* const controls[] = {
            &form_.Label1,  &form_.Label2,  &form_.Label3,  &form_.Label4,   &form_.Label5,
            &form_.Label6,  &form_.Label7,  &form_.Label8,  &form_.Command1, &form_.Label9,
            &form_.Label10, &form_.Label11, &form_.Option1, &form_.Option2,  &form_.HScroll1};
        switch (pick()) {
        case ClickAnywhere: {
            const QPoint p = randomIn(whole);
            note("click at " + std::to_string(p.x()) + "," + std::to_string(p.y()));
            return press(p, p);
        }
        case ClickControl: {
            const int i = uniform(0, int(std::size(controls)) - 1);
            QWidget* w = rt::testing::widget(*controls[i]);
            const QPoint p = inWindow(w->parentWidget(), randomIn(w->geometry()));
            note("click on control " + std::to_string(i));
            return press(p, p);
        }
        case ClickRecalled: {
            // A player who watched: the next square shown, now and then another.
            const std::u16string& shown = form_.ShownSeq.str();
            const auto next = std::size_t(std::max(0, form_.ClickCount.value()));
            const int n =
                next < shown.size() && uniform(0, 11) > 0 ? shown[next] - u'0' : uniform(1, 8);
            QWidget* w = rt::testing::widget(form_.Square(n));
            note("click on square " + std::to_string(n));
            const QPoint p = inWindow(w->parentWidget(), randomIn(w->geometry()));
            return press(p, p);
        }
        case ClickCredit: {
            QMenuBar* bar = fixture::menuBar(form_);
            const QPoint p = inWindow(bar, bar->actionGeometry(bar->actions().value(0)).center());
            note("click on the credit");
            return press(p, p);
        }
        case TickTimer1:
            note("tick of Timer1");
            return tick(form_.Timer1);
        case TickTimer2:
            note("tick of Timer2");
            return tick(form_.Timer2);
        case Key: {
            static constexpr Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,
                                               Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                               Qt::Key_Home, Qt::Key_End,    Qt::Key_Space};
            const Qt::Key key = keys[uniform(0, int(std::size(keys)) - 1)];
            note("key " + std::to_string(int(key)) + " on the scroll bar");
            if (bar_->isVisible()) // only a shown scroll bar can hold the focus
                QTest::keyClick(bar_, key);
            return;
        }
        case Drag: {
            const QRect thumb = fixture::scrollBarPart(bar_);
            const QPoint from = uniform(0, 1) ? inWindow(bar_, thumb.center()) : randomIn(whole);
            const QPoint to(uniform(whole.left(), whole.right()), from.y() + uniform(-40, 40));
            note("drag from " + std::to_string(from.x()) + " to " + std::to_string(to.x()));
            return press(from, QPoint(to.x(), std::clamp(to.y(), 0, whole.bottom())));
        }
        case RightClick: {
            const QPoint p = randomIn(whole);
            note("right click");
            return press(p, p, Qt::RightButton);
        }
        case Kinds:
            break;
        }
    }

    void tick(const rt::Timer& timer)
    {
        // Each colour takes at most three draws; now and then the extremes.
        while (rt::testing::scriptedDrawsLeft() < 3) {
            const int kind = uniform(0, 39);
            rt::testing::scriptDraws({kind == 0   ? 0.0f
                                      : kind == 1 ? 0x1.fffffep-1f
                                                  : float(uniform(0, (1 << 24) - 1)) * 0x1p-24f});
        }
        rt::testing::fireTick(timer);
    }

    // The credit is read and closed by the player a moment later (with a
    // manual clock the timers may tick beneath it); any other box or menu
    // that opened is a fault.
    void closeBoxes()
    {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            fail(std::string("a ") + popup->metaObject()->className() + " opened");
            popup->close();
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) { // it may open later in the same press, say on the release
            if (++closerTries_ < 100)
                closer_.start(clock_ == Clock::Manual ? 0 : 5);
            return;
        }
        ++credits_;
        if (box->windowTitle() != QStringLiteral("Разработчик ") ||
            box->text() != QStringLiteral("Kelvaro   < 7 ноября 2004 года >"))
            fail("the credit reads \"" + box->text().toStdString() + "\"");
        for (int ticks = clock_ == Clock::Manual ? uniform(0, 3) : 0; ticks > 0; --ticks) {
            tick(uniform(0, 4) ? form_.Timer1 : form_.Timer2);
            check("  a tick beneath the credit");
        }
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }

    void fail(const std::string& what)
    {
        if (!failure_.empty())
            return;
        failure_ =
            "at event " + event_ + ", checked after " + where_ + ": " + what + "\nthe last events:";
        for (const auto& h : history_)
            failure_ += "\n  " + h;
    }

    // The invariants, and the round's bookkeeping across phase changes.
    void check(const char* after)
    {
        if (!failure_.empty())
            return;
        where_ = after;
        const Phase now = fixture::phaseOf(form_);
        if (now == Phase::Broken)
            return fail("the controls show no phase");
        if (form_.Label10.Visible == rt::True && now != Phase::Presenting)
            return fail("the indicator shows outside the presentation");
        const int length = form_.SeqLength.value();
        const std::u16string& shown = form_.ShownSeq.str();
        const std::u16string& entered = form_.EnteredSeq.str();
        for (const std::u16string* s : {&shown, &entered})
            if (!std::all_of(s->begin(), s->end(),
                             [](char16_t c) { return c >= u'1' && c <= u'8'; }))
                return fail("a sequence holds more than the digits 1 to 8");

        // One up at Start, one down on an error or a forfeit, nothing else.
        if (now != phase_) {
            const bool legal = (phase_ == Phase::Idle && now == Phase::Presenting) ||
                               (phase_ == Phase::Presenting && now == Phase::Answering) ||
                               (phase_ == Phase::Answering && now != Phase::Presenting) ||
                               (phase_ == Phase::Verdict && now == Phase::Idle);
            if (!legal)
                return fail("the game skipped a phase");
            length_ += now == Phase::Presenting ? 1 : 0;
            length_ -= phase_ == Phase::Answering && now == Phase::Idle ? 1 : 0;
            if (now == Phase::Verdict) {
                const bool right = entered == shown;
                right ? ++rights_ : ++wrongs_;
                length_ -= right ? 0 : 1;
                if (fixture::text(form_.Label9.Caption) !=
                        (right ? QStringLiteral("Правильно") : QStringLiteral("Ошибка")) ||
                    form_.Label9.ForeColor != (right ? Form1::DarkGreen : Form1::Red))
                    return fail("the verdict is wrong");
            }
            if (now == Phase::Answering) {
                if (int(shown.size()) != length || form_.TickCount != 0 || form_.ClickCount != 0)
                    return fail("the presentation ended with the wrong colours or counters");
                longest_ = std::max(longest_, length);
            }
            phase_ = now;
        }
        if (length < 0 || length != length_)
            return fail("SeqLength is " + std::to_string(length) + ", the rounds make it " +
                        std::to_string(length_));
        if (now == Phase::Presenting &&
            shown.size() != std::size_t(std::clamp(form_.TickCount.value(), 0, length)))
            return fail("the colours shown do not follow the ticks");
        if ((now == Phase::Answering || now == Phase::Verdict) &&
            entered.size() != std::size_t(std::max(0, form_.ClickCount.value())))
            return fail("ClickCount and the clicked digits disagree");

        const rt::Long interval = form_.Timer1.Interval;
        if (interval < 50 || interval > 1000 || form_.HScroll1.Value != rt::Integer(interval) ||
            fixture::text(form_.Label11.Caption) != QStringLiteral("Таймер - %1").arg(interval))
            return fail("the speed, its caption and the interval disagree");
        if (form_.RandomMode != (chosen_ == 2 ? rt::True : rt::False))
            return fail("RandomMode disagrees with the last option chosen");
        if (form_.Option1.Visible == rt::True &&
            form_.Option2.Value != (chosen_ == 2 ? rt::True : rt::False))
            return fail("the selected option is not the last one chosen");
    }

    Form1& form_;
    std::mt19937_64 rng_;
    const Clock clock_;
    QWidget* const window_;
    QScrollBar* const bar_;
    QTimer closer_;
    int closerTries_ = 0;

    std::uint64_t events_ = 0, credits_ = 0, rights_ = 0, wrongs_ = 0;
    std::string event_, where_, failure_;
    std::deque<std::string> history_;
    Phase phase_ = Phase::Idle;
    int length_ = 0, longest_ = 0;
    int chosen_ = 1; // the load selects Option1
};

} // namespace monkey
#endif
