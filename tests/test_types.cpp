#ifndef Q_MOC_RUN
#include "runtime/error.h"
#include "runtime/services.h"
#include "runtime/types.h"
#endif

#include <QSet>
#include <QTest>

using namespace rt;

namespace {

int errorOf(auto&& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number;
    }
    return 0;
}

} // namespace

class TestTypes : public QObject
{
    Q_OBJECT

private slots:
    void integerArithmeticRaisesOverflowPastItsRange_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("sum");        // 0 when a + b overflows
        QTest::addColumn<int>("difference"); // 0 when a - b overflows
        QTest::newRow("small") << 3 << 4 << 7 << -1;
        QTest::newRow("to the top") << 32766 << 1 << 32767 << 32765;
        QTest::newRow("past the top") << 32767 << 1 << 0 << 32766;
        QTest::newRow("to the bottom") << -32767 << -1 << -32768 << -32766;
        QTest::newRow("past the bottom") << -32768 << 1 << -32767 << 0;
    }
    void integerArithmeticRaisesOverflowPastItsRange()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, sum);
        QFETCH(int, difference);
        Integer r;
        QCOMPARE(errorOf([&] { r = Integer(a) + b; }), sum ? 0 : int(Overflow));
        if (sum)
            QCOMPARE(r.value(), sum);
        QCOMPARE(errorOf([&] { r = Integer(a) - b; }), difference ? 0 : int(Overflow));
        if (difference)
            QCOMPARE(r.value(), difference);
    }

    void outOfRangeOverflowsAndComparisonIsSigned()
    {
        QCOMPARE(errorOf([] { Integer(32768); }), int(Overflow));
        QCOMPARE(errorOf([] { Integer(-32769); }), int(Overflow));
        QCOMPARE(errorOf([] { -Integer(-32768); }), int(Overflow));
        QCOMPARE(Int(-0.5), -1.0);
        QVERIFY(Integer(-32768) < Integer(32767) && Integer(5) >= Integer(5));
        QVERIFY(True == Integer(-1) && False == Integer(0));
    }

    void cintRoundsHalvesToEvenAndChecksRange_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("overflows");
        QTest::newRow("whole") << 8.0 << 8 << false;
        QTest::newRow("half down to even") << 2.5 << 2 << false;
        QTest::newRow("half up to even") << 3.5 << 4 << false;
        QTest::newRow("largest") << 32767.4 << 32767 << false;
        QTest::newRow("rounds past the top") << 32767.5 << 0 << true;
        QTest::newRow("smallest") << -32768.5 << -32768 << false;
        QTest::newRow("not a number") << qQNaN() << 0 << true;
    }
    void cintRoundsHalvesToEvenAndChecksRange()
    {
        QFETCH(double, x);
        QFETCH(int, expected);
        QFETCH(bool, overflows);
        Integer r;
        QCOMPARE(errorOf([&] { r = CInt(x); }), overflows ? int(Overflow) : 0);
        if (!overflows)
            QCOMPARE(r.value(), expected);
    }

    void joiningAnIntegerGivesItsDigits()
    {
        QVERIFY((String(u"Таймер - ") & Integer(500)) == String(u"Таймер - 500"));
        QVERIFY((String(u"12") & Integer(-3)) == String(u"12-3"));
        QVERIFY(String(u"525") != String(u"552"));
    }

    // Reseeds closer together than any clock tick still give new draws.
    void reseedingNeverRepeatsTheDraws()
    {
        QSet<float> draws;
        for (int i = 0; i < 1000; ++i) {
            Randomize();
            draws.insert(Rnd());
        }
        QVERIFY(draws.size() > 990);
        for (float r : draws)
            QVERIFY(r >= 0.0f && r < 1.0f);
    }
};

QTEST_APPLESS_MAIN(TestTypes)
#include "test_types.moc"
