// "Старт" opens a round: the sequence lengthens and the window clears for
// the presentation.

#include "fixture.h"

using rt::False;
using rt::True;

class TestRoundStart : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

private slots:
    void init() { form = fixture::openForm(); }
    void cleanup() { form.reset(); }

    void startLengthensTheSequenceAndHidesTheSquares_data()
    {
        QTest::addColumn<bool>("random");
        QTest::newRow("fixed placement") << false;
        QTest::newRow("random placement") << true;
    }
    void startLengthensTheSequenceAndHidesTheSquares()
    {
        QFETCH(bool, random);
        if (random)
            fixture::clickControl(*form, form->Option2);
        form->ShownSeq = u"43";
        form->EnteredSeq = u"12";
        form->SeqLength = 2;

        fixture::clickControl(*form, form->Command1);

        QCOMPARE(form->SeqLength, rt::Integer(3));
        QVERIFY(form->ShownSeq == rt::String(u""));
        QVERIFY(form->EnteredSeq == rt::String(u""));
        for (int n = 1; n <= 8; ++n)
            QVERIFY(form->Square(n).Visible == False);
        QVERIFY(form->Command1.Visible == False);
        QVERIFY(rt::testing::isRunning(form->Timer1));
        QCOMPARE(rt::Long(form->Timer1.Interval), rt::Long(500));
        // Random spots may cover the settings, so they go for the presentation.
        const rt::Boolean settingsShown = random ? False : True;
        QVERIFY(form->Option1.Visible == settingsShown);
        QVERIFY(form->Option2.Visible == settingsShown);
        QVERIFY(form->HScroll1.Visible == settingsShown);
        QVERIFY(form->Label11.Visible == settingsShown);
        // The presentation starts a tick later; nothing is shown yet.
        QVERIFY(form->Label10.Visible == False);
        QCOMPARE(form->TickCount, rt::Integer(0));
    }

    void firstRoundAfterLoadHasOneColour()
    {
        fixture::clickControl(*form, form->Command1);
        QCOMPARE(form->SeqLength, rt::Integer(1));
        fixture::presentAll(*form);
        QCOMPARE(form->ShownSeq.length(), std::size_t(1));
    }
};

TEVALIN_TEST_MAIN(TestRoundStart)
#include "test_round_start.moc"
