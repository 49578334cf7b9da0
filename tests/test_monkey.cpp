// Monkey play: whatever a player does, in any order, the game stays in one of
// its four phases and keeps its books. Each seed's run is reproducible:
//
//     TEVALIN_MONKEY_SEED=3 build/tests/test_monkey       replays seed 3
//     TEVALIN_MONKEY_EVENTS=1000000 ...                   events over all seeds

#include "monkey.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr std::uint64_t DefaultEvents = 200000;
constexpr std::uint64_t Seeds[] = {1, 2, 3, 20041107};

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        return fallback;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(v, &end, 10);
    if (*end != '\0')
        qFatal("%s must be a whole number, not \"%s\"", name, v);
    return n;
}

} // namespace

class TestMonkey : public QObject
{
    Q_OBJECT

    std::uint64_t total_ = 0;
    QElapsedTimer clock_;

private slots:
    void initTestCase() { clock_.start(); }

    void randomPlayKeepsTheGameSound_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<quint64>("events");
        const std::uint64_t events = fromEnvironment("TEVALIN_MONKEY_EVENTS", DefaultEvents);
        if (std::getenv("TEVALIN_MONKEY_SEED")) {
            const std::uint64_t seed = fromEnvironment("TEVALIN_MONKEY_SEED", 0);
            QTest::addRow("seed %llu", static_cast<unsigned long long>(seed))
                << quint64(seed) << quint64(events);
            return;
        }
        const std::uint64_t each = (events + std::size(Seeds) - 1) / std::size(Seeds);
        for (std::uint64_t seed : Seeds)
            QTest::addRow("seed %llu", static_cast<unsigned long long>(seed))
                << quint64(seed) << quint64(each);
    }

    void randomPlayKeepsTheGameSound()
    {
        QFETCH(quint64, seed);
        QFETCH(quint64, events);
        auto form = fixture::openForm();
        monkey::Player player(*form, seed);
        std::printf("monkey: seed %llu, %llu events\n", static_cast<unsigned long long>(seed),
                    static_cast<unsigned long long>(events));
        std::fflush(stdout);
        while (player.events() < events && player.failure().empty())
            player.step();
        total_ += player.events();
        if (!player.failure().empty())
            QFAIL(qPrintable(QStringLiteral("seed %1 %2\nreplay: TEVALIN_MONKEY_SEED=%1 %3")
                                 .arg(seed)
                                 .arg(QString::fromStdString(player.failure()))
                                 .arg(QCoreApplication::applicationFilePath())));
        std::printf("monkey: seed %llu held through %llu events: %llu right and %llu wrong "
                    "verdicts, longest round %d, credit shown %llu times\n",
                    static_cast<unsigned long long>(seed),
                    static_cast<unsigned long long>(player.events()),
                    static_cast<unsigned long long>(player.verdicts(true)),
                    static_cast<unsigned long long>(player.verdicts(false)), player.longestRound(),
                    static_cast<unsigned long long>(player.creditsShown()));
        // Every kind of ending came up, or the run proved little.
        if (events < 10000)
            return;
        QVERIFY(player.verdicts(true) > 0);
        QVERIFY(player.verdicts(false) > 0);
        QVERIFY(player.creditsShown() > 0);
    }

    // Found by the monkey: Qt gives a scroll bar an English context menu of
    // its own, which no control of this window has.
    void rightClickOpensNoMenu_data()
    {
        QTest::addColumn<QString>("control");
        for (const char* c : {"HScroll1", "Label1", "Command1", "Option1", "Label11", "window"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }

    void rightClickOpensNoMenu()
    {
        QFETCH(QString, control);
        auto form = fixture::openForm();
        const std::map<QString, const rt::Control*> controls{
            {QStringLiteral("HScroll1"), &form->HScroll1},
            {QStringLiteral("Label1"), &form->Label1},
            {QStringLiteral("Command1"), &form->Command1},
            {QStringLiteral("Option1"), &form->Option1},
            {QStringLiteral("Label11"), &form->Label11}};
        QString opened;
        QTimer::singleShot(0, [&opened] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                opened = QString::fromLatin1(popup->metaObject()->className());
                popup->close();
            }
        });
        const auto c = controls.find(control);
        const QPoint at =
            c != controls.end() ? fixture::pixelRect(*form, *c->second).center() : QPoint(300, 700);
        fixture::clickAt(*form, at, Qt::RightButton);
        QCoreApplication::processEvents();
        QCOMPARE(opened, QString());
    }

    void cleanupTestCase()
    {
        std::printf("monkey: %llu events in all, in %.1f s\n",
                    static_cast<unsigned long long>(total_), double(clock_.elapsed()) / 1000);
    }
};

TEVALIN_TEST_MAIN(TestMonkey)
#include "test_monkey.moc"
