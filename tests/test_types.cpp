// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime's Integer and its conversions, the random generator, and
// its timers on the clock: ticks fall on a grid from the timer's start, a new
// Interval applies to a running timer, and ticks missed while the window's
// thread was busy are dropped rather than delivered in a burst (only counts
// are checked, which hold on a busy machine), nor squeezed after a late tick
// or a late frame.

#include "fixture.h"

#ifndef Q_MOC_RUN
#include "runtime/deadline.h"
#include "runtime/error.h"
#endif

#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <thread>
#include <vector>

using namespace rt;
using namespace std::chrono_literals;

namespace {

std::int64_t clockNs()
{
    return std::chrono::steady_clock::now().time_since_epoch() / 1ns;
}

// Each frame of a window takes 15 ms longer to paint, as it may on a busy
// machine; when each ended is noted.
struct SlowFrames : QObject
{
    std::vector<std::int64_t> ended;
    bool eventFilter(QObject* window, QEvent* e) override
    {
        if (e->type() != QEvent::UpdateRequest)
            return false;
        window->event(e);
        std::this_thread::sleep_for(15ms);
        ended.push_back(clockNs());
        return true;
    }
};

} // namespace

class TestTypes : public QObject
{
    Q_OBJECT

private slots:
    // Every result inside the range, and only those, is an Integer.
    void integersOverflowPastTheirRange()
    {
        QCOMPARE((Integer(32766) + 1).value(), 32767);
        QCOMPARE((Integer(-32767) - 1).value(), -32768);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, Integer(32767) + 1);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, Integer(-32768) - 1);
        QVERIFY_THROWS_EXCEPTION(RuntimeError, -Integer(-32768));
        // Halves go to the even neighbour.
        QCOMPARE(CInt(2.5).value() * 100 + CInt(3.5).value() * 10 + CInt(8.0).value(), 248);
        QCOMPARE(CInt(32767.4).value() + CInt(-32768.5).value(), -1);
        QCOMPARE(Int(-0.5), -1.0);
    }

    // A number no Integer holds is an overflow, reported before any
    // conversion to a machine integer: that conversion's result would be
    // undefined, and the processor flags it as invalid.
    void conversionsOverflowPastTheRange_data()
    {
        QTest::addColumn<double>("x");
        QTest::newRow("just past the top") << 32767.5;
        QTest::newRow("just past the bottom") << -32768.500001;
        QTest::newRow("past a machine integer") << 4294967301.0;
        QTest::newRow("far past") << -1e300;
        QTest::newRow("infinite") << qInf();
        QTest::newRow("not a number") << qQNaN();
    }
    void conversionsOverflowPastTheRange()
    {
        QFETCH(double, x);
        std::feclearexcept(FE_INVALID);
        try {
            CInt(x);
            QFAIL("no error");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.number, int(Overflow));
        }
        QVERIFY(!std::fetestexcept(FE_INVALID));
    }

    // Reseeds closer together than any clock tick still give new draws, and
    // so do draws after one reseed (a random spot takes two).
    void drawsNeverRepeatAndFillTheRange()
    {
        QSet<float> draws;
        for (int i = 0; i < 1000; ++i) {
            Randomize();
            draws << Rnd() << Rnd();
        }
        QVERIFY(draws.size() > 1980);
        // They fill [0, 1): a square or a random spot can be anywhere.
        for (float r : draws)
            QVERIFY(r >= 0.0f && r < 1.0f);
        QVERIFY(*std::min_element(draws.begin(), draws.end()) < 0.05f);
        QVERIFY(*std::max_element(draws.begin(), draws.end()) > 0.95f);
    }

    // The tick after one due at 1000 ms, every 500 ms: on the grid while
    // the moment its change showed leaves most of an interval to it, else an
    // interval on.
    void theNextTickLeavesTheColourItsTime_data()
    {
        QTest::addColumn<qint64>("shown");
        QTest::addColumn<qint64>("next");
        QTest::newRow("on time") << 1000ll << 1500ll;
        QTest::newRow("a little late") << 1060ll << 1500ll;
        QTest::newRow("very late") << 1300ll << 1800ll;
        QTest::newRow("two ticks missed") << 2300ll << 2800ll;
        QTest::newRow("two ticks missed, just past the grid") << 2010ll << 2500ll;
    }
    void theNextTickLeavesTheColourItsTime()
    {
        QFETCH(qint64, shown);
        QFETCH(qint64, next);
        QCOMPARE(rt::detail::tickAfter(1000, 500, shown), next);
    }

    // One running timer, driven by the runtime's clock: a new Interval
    // applies at once (the first tick was a minute away), ticks missed while
    // the thread was busy are dropped, and a stopped timer ticks no more.
    void aRunningTimerFollowsTheClock()
    {
        using namespace std::chrono_literals;
        // An hour ahead of the kernel's clock: the real timer never fires.
        const auto start = std::chrono::steady_clock::now().time_since_epoch() + 1h;
        rt::testing::setManualTimers(false);
        rt::testing::setClock(start);
        const auto manualAgain = qScopeGuard([] {
            rt::testing::setClock(std::nullopt);
            rt::testing::setManualTimers(true);
        });
        Form1 form;
        form.show();
        const auto ticks = [&form] { return form.TickCount.value(); };
        form.SeqLength = 30000; // a presentation too long to end: each tick counts one
        form.Timer1.Interval = 65535;
        form.Timer1.Enabled = True;
        rt::testing::setClock(start + 5ms);
        form.Timer1.Interval = 10;
        QCOMPARE(rt::testing::nextTickDue(form.Timer1), start + 10ms);
        rt::testing::setClock(start + 10ms);
        rt::testing::clockReached(form.Timer1);
        QCOMPARE(ticks(), 1);
        QCOMPARE(rt::testing::nextTickDue(form.Timer1), start + 20ms);
        // Taken up twenty ticks late: one tick, and the next on the grid.
        rt::testing::setClock(start + 211ms);
        rt::testing::clockReached(form.Timer1);
        QCOMPARE(ticks(), 2);
        QCOMPARE(rt::testing::nextTickDue(form.Timer1), start + 220ms);
        form.Timer1.Enabled = False;
        rt::testing::setClock(start + 220ms);
        rt::testing::clockReached(form.Timer1);
        QCOMPARE(ticks(), 2);
    }

    // A colour painted late still stays most of its interval, 20 ms: the next
    // tick comes no sooner than 17.5 ms after the frame.
    void aLateFrameIsNotCutShort()
    {
        rt::testing::setManualTimers(false);
        const auto manualAgain = qScopeGuard([] {
            rt::testing::setManualTimers(true);
            rt::testing::setTickProbe(nullptr);
        });
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(rt::testing::widget(form)));
        SlowFrames frames;
        rt::testing::widget(form)->installEventFilter(&frames);
        std::vector<std::int64_t> ticks;
        rt::testing::setTickProbe([&](auto, auto) { ticks.push_back(clockNs()); });
        for (int k = 0; k < 12; ++k) // a new square every tick
            rt::testing::scriptDraws({fixture::drawFor(k % 2 ? 3 : 1)});
        form.SeqLength = 12;
        form.Timer1.Interval = 20;
        form.Timer1.Enabled = True;
        QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 10, 20000);
        form.Timer1.Enabled = False;
        for (std::size_t k = 1; k < ticks.size(); ++k) { // the frame of tick k - 1, then tick k
            const auto frame =
                std::upper_bound(frames.ended.begin(), frames.ended.end(), ticks[k - 1]);
            QVERIFY(frame != frames.ended.end());
            QVERIFY2(ticks[k] - *frame >= 17'500'000, qPrintable(QString::number(k)));
        }
        fixture::drawsLeftOver();
    }
};

TEVALIN_TEST_MAIN(TestTypes)
#include "test_types.moc"
