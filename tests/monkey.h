// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <cstdint>
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
        : form_(form), rng_(seed), manual_(clock == Clock::Manual),
          window_(rt::testing::widget(form)),
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
        check("the clock's ticks");
        play();
        check("the event");
        if (manual_ && events_ % 64 == 0)
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
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    QPoint randomIn(const QWidget* w)
    {
        const QRect r = w->geometry();
        return w->parentWidget()->mapTo(
            window_, QPoint(uniform(r.left(), r.right()), uniform(r.top(), r.bottom())));
    }

    // A press at one point of the window and the release at another.
    void press(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        int chosen = 0; // the option this press and release select
        for (int n : {1, 2}) {
            QWidget* option = rt::testing::widget(n == 1 ? form_.Option1 : form_.Option2);
            if (button == Qt::LeftButton && window_->childAt(from) == option &&
                option->rect().contains(option->mapFrom(window_, to)))
                chosen = n;
        }
        closerTries_ = 0;
        closer_.start(manual_ ? 0 : uniform(0, 300));
        QWindow* handle = rt::testing::windowHandle(form_);
        QTest::mousePress(handle, button, {}, from);
        if (from != to) {
            check("the press");
            QTest::mouseMove(handle, to);
        }
        QTest::mouseRelease(handle, button, {}, to);
        closer_.stop();
        chosen_ = chosen ? chosen : chosen_;
    }

    void play()
    {
        const QRect whole = window_->rect();
        const Phase now = fixture::phaseOf(form_);
        // Weights lean on what the phase asks of a player, so that rounds are
        // played to the end as well as broken off.
        const int weights[] = {16,
                               20,
                               now == Phase::Answering ? 120 : 8,
                               1,
                               manual_ ? (now == Phase::Presenting ? 60 : 10) : 0,
                               manual_ ? (now == Phase::Verdict ? 12 : 3) : 0,
                               6,
                               5};
        const int kind =
            std::discrete_distribution<int>(std::begin(weights), std::end(weights))(rng_);
        const rt::Control* const controls[] = {
            &form_.Label1,  &form_.Label2,  &form_.Label3,  &form_.Label4,   &form_.Label5,
            &form_.Label6,  &form_.Label7,  &form_.Label8,  &form_.Command1, &form_.Label9,
            &form_.Label10, &form_.Label11, &form_.Option1, &form_.Option2,  &form_.HScroll1};
        const std::u16string& shown = form_.ShownSeq.str();
        const auto next = std::size_t(std::max(0, form_.ClickCount.value()));
        event_ = std::to_string(events_) + ": kind " + std::to_string(kind);
        if (kind == 0) { // anywhere, now and then with the right button
            const QPoint p(uniform(0, whole.right()), uniform(0, whole.bottom()));
            press(p, p, uniform(0, 15) ? Qt::LeftButton : Qt::RightButton);
        } else if (kind == 1) { // on a control, shown or not
            const QPoint p = randomIn(rt::testing::widget(*controls[uniform(0, 14)]));
            press(p, p);
        } else if (kind == 2) { // the next square shown, as a player who watched, or another
            const int n =
                next < shown.size() && uniform(0, 11) ? shown[next] - u'0' : uniform(1, 8);
            const QPoint p = randomIn(rt::testing::widget(form_.Square(n)));
            press(p, p);
        } else if (kind == 3) {
            QMenuBar* bar = fixture::menuBar(form_);
            const QPoint p = bar->mapTo(window_, bar->actionGeometry(bar->actions()[0]).center());
            press(p, p);
        } else if (kind == 4 || kind == 5) {
            tick(kind == 4 ? form_.Timer1 : form_.Timer2);
        } else if (kind == 6 && bar_->isVisible()) { // only a shown bar holds the focus
            static constexpr Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,
                                               Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                               Qt::Key_Home, Qt::Key_End,    Qt::Key_Space};
            QTest::keyClick(bar_, keys[uniform(0, 8)]);
        } else if (kind == 7) { // a drag, from the thumb or anywhere
            const QPoint from = uniform(0, 1)
                                    ? bar_->mapTo(window_, fixture::scrollBarPart(bar_).center())
                                    : QPoint(uniform(0, whole.right()), uniform(0, whole.bottom()));
            press(from, QPoint(uniform(0, whole.right()),
                               std::clamp(from.y() + uniform(-40, 40), 0, whole.bottom())));
        }
    }

    void tick(const rt::Timer& timer)
    {
        // Each colour takes at most three draws; now and then the extremes.
        while (rt::testing::scriptedDrawsLeft() < 3) {
            const int r = uniform(0, 39) ? uniform(0, 0xFFFFFF) : uniform(0, 1) * 0xFFFFFF;
            rt::testing::scriptDraws({float(r) * 0x1p-24f});
        }
        rt::testing::fireTick(timer);
    }

    // The credit is read and closed by the player a moment later (with a
    // manual clock the timers may tick beneath it); any other box or menu
    // that opens is a fault.
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
                closer_.start(manual_ ? 0 : 5);
            return;
        }
        ++credits_;
        if (box->text() != QStringLiteral("Kelvaro   < 7 ноября 2004 года >"))
            fail("the credit reads \"" + box->text().toStdString() + "\"");
        for (int ticks = manual_ ? uniform(0, 3) : 0; ticks > 0; --ticks) {
            tick(uniform(0, 4) ? form_.Timer1 : form_.Timer2);
            check("a tick beneath the credit");
        }
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    }

    void fail(const std::string& what)
    {
        if (failure_.empty())
            failure_ = "at event " + event_ + ", after " + where_ + ": " + what;
    }

    // The invariants, and the round's bookkeeping across phase changes.
    void check(const char* after)
    {
        if (!failure_.empty())
            return;
        where_ = after;
        const Phase now = fixture::phaseOf(form_);
        const int length = form_.SeqLength.value();
        const std::u16string& shown = form_.ShownSeq.str();
        const std::u16string& entered = form_.EnteredSeq.str();
        const auto digits = [](const std::u16string& s) {
            return std::all_of(s.begin(), s.end(),
                               [](char16_t c) { return c >= u'1' && c <= u'8'; });
        };
        if (now == Phase::Broken)
            return fail("the controls show no phase");
        if (form_.Label10.Visible == rt::True && now != Phase::Presenting)
            return fail("the indicator shows outside the presentation");
        if (!digits(shown) || !digits(entered))
            return fail("a sequence holds more than the digits 1 to 8");

        // One up at Start, one down on an error or a forfeit, nothing else.
        if (now != phase_) {
            if (now != Phase((int(phase_) + 1) % 4) &&
                !(phase_ == Phase::Answering && now == Phase::Idle))
                return fail("the game skipped a phase");
            if (now == Phase::Verdict) {
                const bool right = entered == shown;
                right ? ++rights_ : ++wrongs_;
                if (fixture::text(form_.Label9.Caption) !=
                        (right ? QStringLiteral("Правильно") : QStringLiteral("Ошибка")) ||
                    rt::testing::widget(form_.Label9)->palette().color(QPalette::WindowText) !=
                        fixture::colour(right ? Form1::DarkGreen : Form1::Red))
                    return fail("the verdict is wrong");
            }
            length_ += now == Phase::Presenting;
            length_ -= (phase_ == Phase::Answering && now == Phase::Idle) ||
                       (now == Phase::Verdict && entered != shown);
            if (now == Phase::Answering &&
                (int(shown.size()) != length || form_.TickCount != 0 || form_.ClickCount != 0))
                return fail("the presentation ended with the wrong colours or counters");
            longest_ = std::max(longest_, length);
            phase_ = now;
        }
        if (length < 0 || length != length_)
            return fail("SeqLength is " + std::to_string(length) + ", the rounds make it " +
                        std::to_string(length_));
        if (now == Phase::Presenting &&
            shown.size() != std::size_t(std::clamp(form_.TickCount.value(), 0, length)))
            return fail("the colours shown do not follow the ticks");
        if (now >= Phase::Answering &&
            entered.size() != std::size_t(std::max(0, form_.ClickCount.value())))
            return fail("ClickCount and the clicked digits disagree");
        const rt::Long interval = form_.Timer1.Interval;
        if (interval < 50 || interval > 1000 || form_.HScroll1.Value != rt::Integer(interval) ||
            fixture::text(form_.Label11.Caption) != QStringLiteral("Таймер - %1").arg(interval))
            return fail("the speed, its caption and the interval disagree");
        if (form_.RandomMode != (chosen_ == 2 ? rt::True : rt::False) ||
            (form_.Option1.Visible == rt::True &&
             (form_.Option2.Value != form_.RandomMode ||
              rt::Boolean(form_.Option1.Value) == form_.Option2.Value)))
            return fail("the mode or the selected option is not the last option chosen");
    }

    Form1& form_;
    std::mt19937_64 rng_;
    const bool manual_;
    QWidget* const window_;
    QScrollBar* const bar_;
    QTimer closer_;
    int closerTries_ = 0;

    std::uint64_t events_ = 0, credits_ = 0, rights_ = 0, wrongs_ = 0;
    std::string event_, where_, failure_;
    Phase phase_ = Phase::Idle;
    int length_ = 0, longest_ = 0;
    int chosen_ = 1; // the load selects Option1
};

} // namespace monkey
#endif
