// SPDX-License-Identifier: GPL-3.0-or-later
// Monkey play: whatever a player does, in any order, the game stays in one of
// its four phases and keeps its books. Each seed's run is reproducible:
//
//     TEVALIN_MONKEY_SEED=3 build/tests/test_monkey       replays seed 3
//     TEVALIN_MONKEY_EVENTS=1000000 ...                   events over all seeds

#include "monkey.h"

#include <cstdio>

namespace {

constexpr unsigned long long DefaultEvents = 50000;
constexpr unsigned long long Seeds[] = {1, 2, 3, 20041107};

unsigned long long fromEnvironment(const char* name, unsigned long long fallback)
{
    const QByteArray v = qgetenv(name);
    bool ok = false;
    const unsigned long long n = v.toULongLong(&ok);
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
        const auto events = fromEnvironment("TEVALIN_MONKEY_EVENTS", DefaultEvents);
        if (const auto seed = fromEnvironment("TEVALIN_MONKEY_SEED", 0)) {
            QTest::addRow("seed %llu", seed) << quint64(seed) << quint64(events);
            return;
        }
        for (auto seed : Seeds)
            QTest::addRow("seed %llu", seed)
                << quint64(seed) << quint64((events + std::size(Seeds) - 1) / std::size(Seeds));
    }
    void randomPlayKeepsTheGameSound()
    {
        QFETCH(quint64, seed);
        QFETCH(quint64, events);
        auto form = fixture::openForm();
        monkey::Player player(*form, seed);
        while (player.events() < events && player.failure().empty())
            player.step();
        if (!player.failure().empty())
            QFAIL(qPrintable(QStringLiteral("seed %1 %2\nreplay: TEVALIN_MONKEY_SEED=%1 %3")
                                 .arg(seed)
                                 .arg(QString::fromStdString(player.failure()),
                                      QCoreApplication::applicationFilePath())));
        const auto n = [](std::uint64_t v) { return static_cast<unsigned long long>(v); };
        std::printf("monkey: seed %llu held through %llu events: %llu right and %llu wrong "
                    "verdicts, longest round %d, credit shown %llu times\n",
                    n(seed), n(player.events()), n(player.verdicts(true)),
                    n(player.verdicts(false)), player.longestRound(), n(player.creditsShown()));
        std::fflush(stdout);
        // Every kind of ending came up, or the run proved little.
        if (events >= 10000)
            QVERIFY(player.verdicts(true) > 0 && player.verdicts(false) > 0 &&
                    player.creditsShown() > 0);
    }
};

TEVALIN_TEST_MAIN(TestMonkey)
#include "test_monkey.moc"
