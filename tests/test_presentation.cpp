// The presentation: one colour a tick, a blank tick, then the squares return.

#include "fixture.h"

#include "runtime/services.h"

#include <cmath>

using rt::False;
using rt::True;

namespace {

// Draws that pick square n: r * 8 + 1 rounded down.
float drawFor(int n)
{
    return (n - 1 + 0.5f) / 8;
}

const float LargestBelowOne = std::nextafter(1.0f, 0.0f);

} // namespace

class TestPresentation : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    void tick() { rt::testing::fireTick(form->Timer1); }

    void start(int length)
    {
        form->SeqLength = length - 1;
        fixture::clickControl(*form, form->Command1);
    }

private slots:
    void init() { form = fixture::openForm(); }
    void cleanup()
    {
        form.reset();
        QCOMPARE(rt::testing::scriptedDrawsLeft(), std::size_t(0));
    }

    void roundOfOneShowsBlanksAndReturnsOnTheThirdTick()
    {
        rt::testing::scriptDraws({drawFor(6)});
        start(1);

        tick();
        QVERIFY(form->Label10.Visible == True);
        QCOMPARE(rt::Long(form->Label10.BackColor), rt::Long(0x00FFFF));
        QVERIFY(form->ShownSeq == rt::String(u"6"));
        QVERIFY(form->Label1.Visible == False);

        tick();
        QVERIFY(form->Label10.Visible == False);
        QVERIFY(form->Label1.Visible == False);
        QVERIFY(rt::testing::isRunning(form->Timer1));

        tick();
        QVERIFY(!rt::testing::isRunning(form->Timer1));
        for (int n = 1; n <= 8; ++n)
            QVERIFY(form->Square(n).Visible == True);
        QVERIFY(form->Label10.Visible == False);
        QVERIFY(form->Command1.Visible == False); // answer entry: Start stays away
        QCOMPARE(form->TickCount, rt::Integer(0));
        QCOMPARE(form->ClickCount, rt::Integer(0));
    }

    void everyColourComesFromItsSquareAndItsDigitIsRecorded()
    {
        rt::testing::scriptDraws({drawFor(1), drawFor(2), drawFor(3), drawFor(4), drawFor(5),
                                  drawFor(6), drawFor(7), drawFor(8)});
        start(8);
        for (int n = 1; n <= 8; ++n) {
            tick();
            QCOMPARE(form->Pick, rt::Integer(n));
            QCOMPARE(rt::Long(form->Label10.BackColor), rt::Long(form->Square(n).BackColor));
        }
        QVERIFY(form->ShownSeq == rt::String(u"12345678"));
        QCOMPARE(fixture::presentAll(*form), 2);
    }

    void drawsMapOntoTheEightSquares_data()
    {
        QTest::addColumn<float>("draw");
        QTest::addColumn<int>("pick");
        QTest::newRow("zero") << 0.0f << 1;
        QTest::newRow("just below an eighth") << std::nextafter(0.125f, 0.0f) << 1;
        QTest::newRow("an eighth") << 0.125f << 2;
        QTest::newRow("largest draw") << LargestBelowOne << 8;
    }
    void drawsMapOntoTheEightSquares()
    {
        QFETCH(float, draw);
        QFETCH(int, pick);
        rt::testing::scriptDraws({draw});
        start(1);
        tick();
        QCOMPARE(form->Pick, rt::Integer(pick));
    }

    void fixedPlacementShowsEveryColourOnTheStartCell()
    {
        rt::testing::scriptDraws({drawFor(3), drawFor(3), drawFor(7)});
        start(3);
        for (int i = 0; i < 3; ++i) {
            tick();
            QCOMPARE(rt::Single(form->Label10.Left), 6960.0f);
            QCOMPARE(rt::Single(form->Label10.Top), 4560.0f);
            QCOMPARE(rt::testing::widget(form->Label10)->geometry(),
                     rt::testing::widget(form->Command1)->geometry());
        }
        fixture::presentAll(*form);
    }

    void randomPlacementStaysInItsRangeInWholeTwips_data()
    {
        QTest::addColumn<float>("r1");
        QTest::addColumn<float>("r2");
        QTest::newRow("corner") << 0.0f << 0.0f;
        QTest::newRow("middle") << 0.5f << 0.37f;
        QTest::newRow("far end") << LargestBelowOne << LargestBelowOne;
    }
    void randomPlacementStaysInItsRangeInWholeTwips()
    {
        QFETCH(float, r1);
        QFETCH(float, r2);
        fixture::clickControl(*form, form->Option2);
        rt::testing::traceRandom(true);
        rt::testing::scriptDraws({drawFor(2), r1, r2});
        start(1);
        tick();
        // A reseed before the colour, one before the two positions, none between.
        QCOMPARE(rt::testing::randomTrace(), std::string("RrRrr"));
        rt::testing::traceRandom(false);

        const double freeWidth = double(form->Width) - 1395 - 200;
        const double freeHeight = double(form->Height) - 1395 - 400;
        const double left = form->Label10.Left;
        const double top = form->Label10.Top;
        QCOMPARE(left, std::floor(double(r1) * freeWidth));
        QCOMPARE(top, std::floor(double(r2) * freeHeight));
        QVERIFY(left >= 0 && left < freeWidth);
        QVERIFY(top >= 0 && top < freeHeight);
        QVERIFY(form->Label10.Visible == True);
        QCOMPARE(rt::Long(form->Label10.BackColor), rt::Long(0x00C000));
        fixture::presentAll(*form);
    }

    void randomPlacementSelectsRandomAgainAtTheEnd()
    {
        fixture::clickControl(*form, form->Option2);
        rt::testing::scriptDraws({drawFor(1), 0.1f, 0.1f});
        start(1);
        fixture::presentAll(*form);
        QVERIFY(form->Option2.Value == True);
        QVERIFY(form->Option1.Value == False);
        QCOMPARE(form->RandomMode, True);
        QVERIFY(form->Option1.Visible == True);
        QVERIFY(form->HScroll1.Visible == True);
        QVERIFY(form->Label11.Visible == True);
    }

    void roundOfLengthZeroShowsNoColour()
    {
        start(0);
        tick();
        QVERIFY(form->Label10.Visible == False);
        QVERIFY(rt::testing::isRunning(form->Timer1));
        tick();
        QVERIFY(!rt::testing::isRunning(form->Timer1));
        QVERIFY(form->ShownSeq == rt::String(u""));
    }

    void reseedingNeverRepeatsTheDraws()
    {
        // Reseeds closer together than any clock tick still give new draws.
        QSet<float> draws;
        for (int i = 0; i < 1000; ++i) {
            rt::Randomize();
            draws.insert(rt::Rnd());
        }
        QVERIFY(draws.size() > 990);
        for (float r : draws)
            QVERIFY(r >= 0.0f && r < 1.0f);
    }
};

TEVALIN_TEST_MAIN(TestPresentation)
#include "test_presentation.moc"
