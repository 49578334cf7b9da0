// The runtime's Integer, its conversions and joins, and the random generator.

#ifndef Q_MOC_RUN
#include "runtime/error.h"
#include "runtime/services.h"
#include "runtime/types.h"
#endif

#include <QSet>
#include <QTest>

using namespace rt;

namespace {

// The run-time error f raises, 0 for none.
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
    void integerArithmeticOverflowsPastItsRange_data()
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
    void integerArithmeticOverflowsPastItsRange()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, sum);
        QFETCH(int, difference);
        Integer r;
        QCOMPARE(errorOf([&] { r = Integer(a) + b; }), sum ? 0 : int(Overflow));
        QCOMPARE(r.value(), sum ? sum : r.value());
        QCOMPARE(errorOf([&] { r = Integer(a) - b; }), difference ? 0 : int(Overflow));
        QCOMPARE(r.value(), difference ? difference : r.value());
        QCOMPARE(Integer(a) < Integer(b), a < b);
    }

    void conversionsRoundAndCheckTheRange()
    {
        QCOMPARE(errorOf([] { Integer(32768); }), int(Overflow));
        QCOMPARE(errorOf([] { Integer(-32769); }), int(Overflow));
        QCOMPARE(errorOf([] { -Integer(-32768); }), int(Overflow));
        QCOMPARE(errorOf([] { CInt(32767.5); }), int(Overflow));
        QCOMPARE(errorOf([] { CInt(qQNaN()); }), int(Overflow));
        // Halves go to the even neighbour.
        QCOMPARE(CInt(2.5).value() * 100 + CInt(3.5).value() * 10 + CInt(8.0).value(), 248);
        QCOMPARE(CInt(32767.4).value() + CInt(-32768.5).value(), -1);
        QCOMPARE(Int(-0.5), -1.0);
        QVERIFY(True == Integer(-1) && False == Integer(0));
    }

    void joinsGiveTheDigits()
    {
        QVERIFY((String(u"Таймер - ") & Integer(500)) == String(u"Таймер - 500"));
        QVERIFY((String(u"12") & Integer(-3)) == String(u"12-3"));
        QVERIFY(String(u"525") != String(u"552"));
    }

    // Reseeds closer together than any clock tick still give new draws, and
    // so do draws after one reseed (a random spot takes two).
    void drawsNeverRepeat()
    {
        QSet<float> draws;
        for (int i = 0; i < 1000; ++i) {
            Randomize();
            draws << Rnd() << Rnd();
        }
        QVERIFY(draws.size() > 1980);
        for (float r : draws)
            QVERIFY(r >= 0.0f && r < 1.0f);
    }
};

QTEST_APPLESS_MAIN(TestTypes)
#include "test_types.moc"
