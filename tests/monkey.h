// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A seeded random player: it plays Form1 through the real window as a player
// (and the manual clock) would, and checks after every event that the game is
// still sound. The same seed replays the same run: its choices and the game's
// draws both come from the seed. test_monkey plays it on manual timers, the
// soak benchmark on real ones.

#include "fixture.h"

#include <QAbstractButton>
#include <QMessageBox>

#ifndef Q_MOC_RUN
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>

namespace monkey {

using fixture::Phase;

struct Tally
{
    std::uint64_t events = 0, rights = 0, wrongs = 0, credits = 0;
    int longest = 0;
};

class Player
{
public:
    Player(Form1& form, std::uint64_t seed)
        : form_(form), rng_(seed), window_(rt::testing::widget(form)),
          bar_(static_cast<QScrollBar*>(rt::testing::widget(form.HScroll1)))
    {
        // The option last chosen, as Qt saw the click: a Value set in code
        // chooses nothing.
        for (int n : {1, 2})
            QObject::connect(static_cast<QAbstractButton*>(
                                 rt::testing::widget(n == 1 ? form.Option1 : form.Option2)),
                             &QAbstractButton::clicked, &closer_, [this, n] { chosen_ = n; });
        length_ = form_.SeqLength.value();
        // Real timers (the soak's) may tick within one move, between a press
        // and its release; manual ones never reach the probe.
        rt::testing::setTickProbe([this](auto, auto) { ++realTicks_; });
        check("the start");
    }
    ~Player() { rt::testing::setTickProbe(nullptr); }

    // One event, then the invariants; returns what broke, empty while all holds.
    const std::string& step()
    {
        if (QTest::lastMouseTimestamp > (1 << 30)) // an int that gains half a second a click
            QTest::lastMouseTimestamp = 0;
        check("the clock"); // real timers tick between events
        event_ = std::to_string(++tally_.events);
        play();
        check("the event");
        if (tally_.events % 64 == 0) {
            QCoreApplication::processEvents(); // what a real event loop does between events
            check("the posted events");
        }
        return failure_;
    }

    const Tally& tally() const { return tally_; }
    const std::string& failure() const { return failure_; }

private:
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    QPoint anywhere()
    {
        return {uniform(0, window_->width() - 1), uniform(0, window_->height() - 1)};
    }
    QPoint randomIn(const QWidget* w)
    {
        const QRect r = w->geometry();
        return w->parentWidget()->mapTo(
            window_, QPoint(uniform(r.left(), r.right()), uniform(r.top(), r.bottom())));
    }

    // A press at one point of the window and the release at another.
    void press(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        QWindow* handle = rt::testing::windowHandle(form_);
        QTest::mousePress(handle, button, {}, from);
        if (from != to) {
            check("the press");
            QTest::mouseMove(handle, to);
        }
        QTest::mouseRelease(handle, button, {}, to);
    }

    void play()
    {
        const Phase now = fixture::phaseOf(form_);
        // Weights lean on what the phase asks of a player, so that rounds are
        // played to the end as well as broken off.
        const int weights[] = {16,
                               20,
                               now == Phase::Answering ? 120 : 8,
                               1,
                               now == Phase::Presenting ? 60 : 10,
                               now == Phase::Verdict ? 12 : 3,
                               6,
                               5};
        const int kind =
            std::discrete_distribution<int>(std::begin(weights), std::end(weights))(rng_);
        event_ += ": kind " + std::to_string(kind);
        if (kind == 0) { // anywhere, now and then with the right button
            const QPoint p = anywhere();
            press(p, p, uniform(0, 15) ? Qt::LeftButton : Qt::RightButton);
        } else if (kind == 1) { // on a control, shown or not
            const auto controls =
                fixture::clientArea(form_)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
            const QPoint p = randomIn(controls[uniform(0, int(controls.size()) - 1)]);
            press(p, p);
        } else if (kind == 2) { // the next square shown, as a player who watched, or another
            const std::u16string& shown = form_.ShownSeq.str();
            const auto next = std::size_t(std::max(0, form_.ClickCount.value()));
            const int n =
                next < shown.size() && uniform(0, 11) ? shown[next] - u'0' : uniform(1, 8);
            const QPoint p = randomIn(rt::testing::widget(form_.Square(n)));
            press(p, p);
        } else if (kind == 3) {
            fixture::clickCredit(form_);
        } else if (kind == 4 || kind == 5) {
            tick(kind == 4 ? form_.Timer1 : form_.Timer2);
        } else if (kind == 6 && bar_->isVisible()) { // only a shown bar holds the focus
            // Home, End, the arrows, Page Up and Page Down follow one another.
            QTest::keyClick(bar_, Qt::Key(Qt::Key_Home + uniform(0, 7)));
        } else if (kind == 7) { // a drag, from the thumb or anywhere
            const QPoint from = uniform(0, 1)
                                    ? bar_->mapTo(window_, fixture::scrollBarPart(bar_).center())
                                    : anywhere();
            press(from, QPoint(anywhere().x(),
                               std::clamp(from.y() + uniform(-40, 40), 0, window_->height() - 1)));
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

    // The credit is read and closed by the player a moment later, the clock
    // perhaps ticking beneath it; any other box or menu that opens is a fault.
    void read(QWidget* opened)
    {
        auto* box = qobject_cast<QMessageBox*>(opened);
        if (!box)
            return fail(std::string("a ") + opened->metaObject()->className() + " opened");
        ++tally_.credits;
        if (box->text() != QStringLiteral("Kelvaro   < 7 ноября 2004 года >"))
            fail("the credit reads \"" + box->text().toStdString() + "\"");
        for (int ticks = uniform(0, 3); ticks > 0; --ticks) {
            tick(uniform(0, 4) ? form_.Timer1 : form_.Timer2);
            check("a tick beneath the credit");
        }
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
        const bool clockMoved = std::exchange(checkedTicks_, realTicks_) != realTicks_;
        if (now != phase_ && now != Phase((int(phase_) + 1) % 4) &&
            !(phase_ == Phase::Answering && now == Phase::Idle)) {
            if (!clockMoved)
                return fail("the game skipped a phase");
            phase_ = now; // more than one step, the real clock's and the player's: taken as is
            length_ = length;
        }
        if (now != phase_) {
            if (now == Phase::Verdict) {
                const bool right = entered == shown;
                ++(right ? tally_.rights : tally_.wrongs);
                const QWidget* verdict = rt::testing::widget(form_.Label9);
                if (fixture::text(form_.Label9.Caption) !=
                        (right ? QStringLiteral("Правильно") : QStringLiteral("Ошибка")) ||
                    verdict->palette().color(QPalette::WindowText) !=
                        (right ? QColor(0, 128, 0) : QColor(Qt::red)))
                    return fail("the verdict is wrong");
            }
            length_ += now == Phase::Presenting;
            length_ -= (phase_ == Phase::Answering && now == Phase::Idle) ||
                       (now == Phase::Verdict && entered != shown);
            if (now == Phase::Answering &&
                (int(shown.size()) != length || form_.TickCount != 0 || form_.ClickCount != 0))
                return fail("the presentation ended with the wrong colours or counters");
            tally_.longest = std::max(tally_.longest, length);
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
    QWidget* const window_;
    QScrollBar* const bar_;
    fixture::BoxCloser closer_{[this](QWidget* opened) { read(opened); }};

    Tally tally_;
    std::string event_ = "0", where_, failure_;
    Phase phase_ = Phase::Idle;
    int length_ = 0;
    long realTicks_ = 0, checkedTicks_ = 0;
    int chosen_ = 1; // the load selects Option1
};

} // namespace monkey
#endif
