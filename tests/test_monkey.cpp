// SPDX-License-Identifier: GPL-3.0-or-later
// Monkey play: whatever a player does, in any order, the game stays in one of
// its four phases and keeps its books. Each seed's run is reproducible:
//
//     TEVALIN_MONKEY_SEED=3 build/tests/test_monkey       replays seed 3
//     build/tests/test_monkey "randomPlayKeepsTheGameSound:seed 3"
//                                       seed 3's share of the events (as CTest)
//     TEVALIN_MONKEY_EVENTS=1000000 ...                   events over all seeds

#include "monkey.h"

#include <cstdio>

namespace {

quint64 fromEnvironment(const char* name, quint64 fallback)
{
    const QByteArray v = qgetenv(name);
    bool ok = false;
    const quint64 n = v.toULongLong(&ok);
    if (!v.isEmpty() && !ok)
        qFatal("%s must be a whole number, not \"%s\"", name, v.constData());
    return ok ? n : fallback;
}

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

private slots:
    void randomPlayKeepsTheGameSound_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<quint64>("events");
        const quint64 seed = fromEnvironment("TEVALIN_MONKEY_SEED", 0);
        const QList<quint64> seeds = seed ? QList{seed} : QList<quint64>{MONKEY_SEEDS};
        const quint64 events = fromEnvironment("TEVALIN_MONKEY_EVENTS", 50000);
        for (quint64 s : seeds)
            QTest::addRow("seed %llu", s) << s << (events + seeds.size() - 1) / seeds.size();
    }
    void randomPlayKeepsTheGameSound()
    {
        QFETCH(quint64, seed);
        QFETCH(quint64, events);
        auto form = fixture::openForm();
        monkey::Player player(*form, seed);
        while (player.tally().events < events && player.step().empty()) {
        }
        QVERIFY2(player.failure().empty(),
                 qPrintable(QStringLiteral("seed %1 %2\nreplay: TEVALIN_MONKEY_SEED=%1 %3")
                                .arg(seed)
                                .arg(QString::fromStdString(player.failure()),
                                     QCoreApplication::applicationFilePath())));
        const monkey::Tally& t = player.tally();
        std::printf("monkey: seed %llu held through %llu events: %llu right and %llu wrong "
                    "verdicts, longest round %d, credit shown %llu times\n",
                    seed, quint64(t.events), quint64(t.rights), quint64(t.wrongs), t.longest,
                    quint64(t.credits));
        std::fflush(stdout);
        // Every kind of ending came up, or the run proved little.
        if (events >= 10000)
            QVERIFY(t.rights > 0 && t.wrongs > 0 && t.credits > 0);
    }
};

TEVALIN_TEST_MAIN(TestMonkey)
#include "test_monkey.moc"
