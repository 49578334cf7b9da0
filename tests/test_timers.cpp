// Real timers, on the clock: ticks fall on a grid from the timer's start, a
// new Interval applies to a running timer, and ticks missed while the
// window's thread was busy are dropped rather than delivered in a burst.
// Only counts are checked, which hold on a busy machine.

#ifndef Q_MOC_RUN
#include "runtime/application.h"
#include "runtime/deadline.h"
#include "runtime/testing.h"
#include "window/form1.h"
#endif

#include <QTest>

#include <chrono>
#include <memory>
#include <thread>

class TestTimers : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    // Timer1 presenting a sequence too long to end: each tick counts one.
    void present(rt::Long interval)
    {
        form->SeqLength = 30000;
        form->Timer1.Interval = interval;
        form->Timer1.Enabled = rt::True;
    }

    int ticks() const { return form->TickCount.value(); }

private slots:
    void init()
    {
        form = std::make_unique<Form1>();
        form->show();
    }

    void cleanup() { form.reset(); }

    void theNextTickStaysOnTheGrid_data()
    {
        QTest::addColumn<qint64>("origin");
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<qint64>("next");
        QTest::newRow("before the first tick") << 1000ll << 500ll << 1200ll << 1500ll;
        QTest::newRow("at a tick") << 1000ll << 500ll << 1500ll << 2000ll;
        QTest::newRow("just after a tick") << 1000ll << 500ll << 1501ll << 2000ll;
        QTest::newRow("two ticks missed") << 1000ll << 500ll << 2600ll << 3000ll;
        QTest::newRow("shorter, its first tick passed") << 1000ll << 100ll << 1250ll << 1300ll;
        QTest::newRow("longer") << 1000ll << 800ll << 1250ll << 1800ll;
    }

    void theNextTickStaysOnTheGrid()
    {
        QFETCH(qint64, origin);
        QFETCH(qint64, interval);
        QFETCH(qint64, now);
        QFETCH(qint64, next);
        QCOMPARE(rt::detail::nextTick(origin, interval, now), next);
    }

    // One running timer: a new Interval applies at once (the first tick was
    // a minute away), ticks missed while the thread was busy are dropped,
    // and a stopped timer ticks no more.
    void aRunningTimerFollowsTheClock()
    {
        present(65535);
        form->Timer1.Interval = 10;
        QTRY_VERIFY_WITH_TIMEOUT(ticks() >= 1, 20000);
        const int before = ticks();
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // twenty ticks' time
        QCoreApplication::processEvents();
        QVERIFY2(ticks() - before <= 1, qPrintable(QString::number(ticks() - before)));
        QTRY_VERIFY_WITH_TIMEOUT(ticks() >= before + 3, 20000);
        form->Timer1.Enabled = rt::False;
        const int stoppedAt = ticks();
        QTest::qWait(50);
        QCOMPARE(ticks(), stoppedAt);
    }
};

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, Form1::description());
    TestTimers suite;
    return QTest::qExec(&suite, argc, argv);
}

#include "test_timers.moc"
