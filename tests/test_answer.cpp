// Answer entry and judging, the verdict's second, and the forfeit.

#include "fixture.h"

#include <QLabel>

using rt::False;
using rt::True;

namespace {

float drawFor(int n)
{
    return (n - 1 + 0.5f) / 8;
}

} // namespace

class TestAnswer : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    // Plays the presentation of `shown` (digits) at the current length + 1.
    void present(const QString& shown)
    {
        for (QChar d : shown)
            rt::testing::scriptDraws({drawFor(d.digitValue())});
        form->SeqLength = rt::Integer(int(shown.size()) - 1);
        fixture::clickControl(*form, form->Command1);
        fixture::presentAll(*form);
        QCOMPARE(fixture::text(form->ShownSeq), shown);
    }

    void answer(const QString& clicks)
    {
        for (QChar d : clicks)
            fixture::clickSquare(*form, d.digitValue());
    }

    QString verdict() const
    {
        return form->Label9.Visible == True ? fixture::text(form->Label9.Caption) : QString();
    }

private slots:
    void init() { form = fixture::openForm(); }
    void cleanup() { form.reset(); }

    void answerIsJudgedAfterAsManyClicksAsColours_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<rt::Long>("colour");
        QTest::addColumn<int>("nextLength");
        QTest::newRow("right order") << "525"
                                     << "525"
                                     << "Правильно" << rt::Long(32768) << 4;
        QTest::newRow("wrong order") << "525"
                                     << "552"
                                     << "Ошибка" << rt::Long(255) << 3;
        QTest::newRow("one colour, right") << "8"
                                           << "8"
                                           << "Правильно" << rt::Long(32768) << 2;
        QTest::newRow("one colour, wrong") << "8"
                                           << "1"
                                           << "Ошибка" << rt::Long(255) << 1;
    }
    void answerIsJudgedAfterAsManyClicksAsColours()
    {
        QFETCH(QString, shown);
        QFETCH(QString, clicks);
        QFETCH(QString, verdict);
        QFETCH(rt::Long, colour);
        QFETCH(int, nextLength);
        present(shown);

        answer(clicks.left(clicks.size() - 1));
        QCOMPARE(this->verdict(), QString()); // a wrong click is not told early
        QVERIFY(!rt::testing::isRunning(form->Timer2));

        answer(clicks.right(1));
        QCOMPARE(this->verdict(), verdict);
        QCOMPARE(rt::Long(form->Label9.ForeColor), colour);
        const auto* label = static_cast<QLabel*>(rt::testing::widget(form->Label9));
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
        QVERIFY(rt::testing::isRunning(form->Timer2));
        QVERIFY(form->Command1.Visible == False);

        rt::testing::fireTick(form->Timer2);
        QCOMPARE(this->verdict(), QString());
        QVERIFY(form->Command1.Visible == True);
        QVERIFY(!rt::testing::isRunning(form->Timer2));

        fixture::clickControl(*form, form->Command1);
        QCOMPARE(form->SeqLength, rt::Integer(nextLength));
    }

    void clickOnASquareDuringTheVerdictChangesNothing()
    {
        present(QStringLiteral("3"));
        answer(QStringLiteral("3"));
        QCOMPARE(verdict(), QStringLiteral("Правильно"));
        answer(QStringLiteral("4"));
        answer(QStringLiteral("3"));
        QCOMPARE(verdict(), QStringLiteral("Правильно"));
        QCOMPARE(form->SeqLength, rt::Integer(1));
        QVERIFY(form->EnteredSeq == rt::String(u"3"));
        QCOMPARE(form->ClickCount, rt::Integer(1));
    }

    void tenRightRoundsGrowTheSequenceByOneEach()
    {
        QString shown;
        for (int round = 1; round <= 10; ++round) {
            shown += QChar(u'1' + (round * 5) % 8);
            present(shown);
            answer(shown);
            QCOMPARE(verdict(), QStringLiteral("Правильно"));
            rt::testing::fireTick(form->Timer2);
            QCOMPARE(form->SeqLength, rt::Integer(round));
        }
    }

    void clickOnTheBareWindowForfeitsOnlyDuringAnswerEntry_data()
    {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("forfeits");
        const QPoint below(509, 680);  // the band below the grid
        const QPoint centre(510, 350); // the Start button's cell, bare while it is hidden
        QTest::newRow("idle") << "idle" << below << false;
        QTest::newRow("presenting") << "presenting" << below << false;
        QTest::newRow("presenting, centre") << "presenting" << centre << false;
        QTest::newRow("answering") << "answering" << below << true;
        QTest::newRow("answering, centre") << "answering" << centre << true;
        QTest::newRow("answering, one click in") << "answering after a click" << below << true;
        QTest::newRow("verdict") << "verdict" << below << false;
    }
    void clickOnTheBareWindowForfeitsOnlyDuringAnswerEntry()
    {
        QFETCH(QString, phase);
        QFETCH(QPoint, at);
        QFETCH(bool, forfeits);
        form->SeqLength = 1; // a round of two colours
        if (phase != QLatin1String("idle")) {
            rt::testing::scriptDraws({drawFor(2), drawFor(7)});
            fixture::clickControl(*form, form->Command1);
            rt::testing::fireTick(form->Timer1);
            if (phase != QLatin1String("presenting"))
                fixture::presentAll(*form);
        }
        if (phase == QLatin1String("answering after a click"))
            answer(QStringLiteral("2"));
        if (phase == QLatin1String("verdict"))
            answer(QStringLiteral("27"));
        const rt::Integer before = form->SeqLength;
        const QString verdictBefore = verdict();

        fixture::clickAt(*form, at);

        QCOMPARE(form->SeqLength, forfeits ? before - 1 : before);
        QCOMPARE(verdict(), verdictBefore);
        if (forfeits) {
            QVERIFY(form->Command1.Visible == True);
            QVERIFY(form->Label1.Visible == True);
            // Until the next start the squares take no answer.
            answer(QStringLiteral("27"));
            QCOMPARE(verdict(), QString());
        }
        if (phase == QLatin1String("presenting"))
            fixture::presentAll(*form);
    }
};

TEVALIN_TEST_MAIN(TestAnswer)
#include "test_answer.moc"
