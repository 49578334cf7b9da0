// SPDX-License-Identifier: GPL-3.0-or-later
// A round from Start to verdict, played through the real window: the
// presentation tick by tick and where it shows, the judging, and where clicks
// go in every phase.

#include "fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cmath>

using fixture::Phase;
using rt::False;
using rt::True;

namespace {

const float LargestBelowOne = std::nextafter(1.0f, 0.0f);

enum class Effect
{
    Nothing,
    Forfeit,
    SquareTaken,
    OptionSelected
};

// Everything a click or the credit could change.
QString snapshot(const Form1& f)
{
    return QStringLiteral("%1 %2 %3 %4 %5|%6 %7 %8 %9 ")
               .arg(int(fixture::phaseOf(f)))
               .arg(f.SeqLength.value())
               .arg(f.ClickCount.value())
               .arg(f.TickCount.value())
               .arg(fixture::text(f.ShownSeq), fixture::text(f.EnteredSeq))
               .arg(f.RandomMode.value())
               .arg(f.Option2.Value == True)
               .arg(rt::Integer(f.HScroll1.Value).value()) +
           fixture::text(f.Label9.Caption);
}

QRgb shownColour(const rt::Control& c)
{
    const QImage image = rt::testing::widget(c)->grab().toImage();
    return image.pixel(image.rect().center()) & 0xFFFFFF;
}

} // namespace

Q_DECLARE_METATYPE(Effect)
Q_DECLARE_METATYPE(fixture::Phase)

class TestGame : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    void tick() { rt::testing::fireTick(form->Timer1); }

private slots:
    void init() { form = fixture::openForm(); }
    void cleanup()
    {
        form.reset();
        QCOMPARE(fixture::drawsLeftOver(), std::size_t(0));
    }

    void presentationShowsOneColourATick_data()
    {
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QString>("shown");
        QList<float> each;
        for (int n = 1; n <= 8; ++n)
            each << fixture::drawFor(n);
        QTest::newRow("one") << QList<float>{fixture::drawFor(6)} << "6";
        QTest::newRow("every square") << each << "12345678";
        QTest::newRow("the edges of the eighths")
            << QList<float>{0.0f, std::nextafter(0.125f, 0.0f), 0.125f, LargestBelowOne} << "1128";
        QTest::newRow("length zero") << QList<float>{} << "";
    }
    void presentationShowsOneColourATick()
    {
        QFETCH(QList<float>, draws);
        QFETCH(QString, shown);
        for (float r : draws)
            rt::testing::scriptDraws({r});
        form->SeqLength = rt::Integer(int(draws.size()) - 1);
        fixture::clickControl(*form, form->Command1);
        for (int i = 0; i < shown.size(); ++i) {
            tick();
            const int n = shown[i].digitValue();
            QCOMPARE(form->Pick, rt::Integer(n));
            QCOMPARE(fixture::text(form->ShownSeq), shown.left(i + 1));
            QVERIFY(form->Label10.Visible == True);
            QCOMPARE(shownColour(form->Label10), fixture::Squares[n - 1].colour);
            QCOMPARE(fixture::phaseOf(*form), Phase::Presenting);
        }
        tick(); // a blank tick after the last colour
        QVERIFY(form->Label10.Visible == False);
        QCOMPARE(fixture::phaseOf(*form), Phase::Presenting);
        tick(); // then the squares come back for the answer
        QCOMPARE(fixture::phaseOf(*form), Phase::Answering);
        QVERIFY(form->Label10.Visible == False);
        QCOMPARE(form->TickCount, rt::Integer(0));
        QCOMPARE(form->ClickCount, rt::Integer(0));
    }

    void placement_data()
    {
        QTest::addColumn<bool>("random");
        QTest::addColumn<float>("r1");
        QTest::addColumn<float>("r2");
        QTest::newRow("fixed") << false << 0.0f << 0.0f;
        QTest::newRow("random, corner") << true << 0.0f << 0.0f;
        QTest::newRow("random, middle") << true << 0.5f << 0.37f;
        QTest::newRow("random, far end") << true << LargestBelowOne << LargestBelowOne;
    }
    void placement()
    {
        QFETCH(bool, random);
        QFETCH(float, r1);
        QFETCH(float, r2);
        if (random)
            fixture::clickControl(*form, form->Option2);
        form->ShownSeq = form->EnteredSeq = u"43"; // a round before
        fixture::start(*form, QStringLiteral("2"));
        QCOMPARE(form->SeqLength, rt::Integer(1));
        QVERIFY(form->ShownSeq == rt::String(u"") && form->EnteredSeq == rt::String(u""));
        QVERIFY(form->Label10.Visible == False); // the first colour comes a tick later
        // Random spots may cover the settings, so they go for the presentation.
        const rt::Boolean settings = random ? False : True;
        QVERIFY(form->Option1.Visible == settings && form->Option2.Visible == settings);
        QVERIFY(form->HScroll1.Visible == settings && form->Label11.Visible == settings);
        if (random)
            rt::testing::scriptDraws({r1, r2});
        rt::testing::traceRandom(true);
        tick();
        // A reseed before the colour, and one before the two positions.
        QCOMPARE(rt::testing::randomTrace(), std::string(random ? "RrRrr" : "Rr"));
        rt::testing::traceRandom(false);

        const QRect onScreen = rt::testing::widget(form->Label10)->geometry();
        if (!random) {
            QCOMPARE(onScreen, fixture::StartCell); // exactly the Start button's cell
        } else {
            // The free room of the outer window, less the indicator and a margin.
            const double freeWidth = double(form->Width) - 1395 - 200;
            const double freeHeight = double(form->Height) - 1395 - 400;
            QCOMPARE(double(form->Label10.Left), std::floor(double(r1) * freeWidth));
            QCOMPARE(double(form->Label10.Top), std::floor(double(r2) * freeHeight));
            QCOMPARE(onScreen.topLeft(),
                     QPoint(qRound(form->Label10.Left / 15.0), qRound(form->Label10.Top / 15.0)));
        }
        QCOMPARE(fixture::presentAll(*form), 2);
        // Random placement stays selected, the settings come back.
        QVERIFY(form->Option2.Value == (random ? True : False));
        QCOMPARE(form->RandomMode, random ? True : False);
        QVERIFY(form->Option1.Visible == True && form->HScroll1.Visible == True);
        QVERIFY(form->Label11.Visible == True && form->Option2.Visible == True);
    }

    void verdicts_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<int>("nextLength");
        const auto row = [](const char* name, const char* shown, const char* clicked,
                            const QString& verdict, int next) {
            QTest::newRow(name) << QString::fromLatin1(shown) << QString::fromLatin1(clicked)
                                << verdict << next;
        };
        const QString right = QStringLiteral("Правильно"), wrong = QStringLiteral("Ошибка");
        row("right order", "525", "525", right, 4);
        row("wrong order", "525", "552", wrong, 3);
        row("every square", "12345678", "12345678", right, 9);
        row("one colour, right", "8", "8", right, 2);
        row("one colour, wrong", "8", "1", wrong, 1);
    }
    void verdicts()
    {
        QFETCH(QString, shown);
        QFETCH(QString, clicked);
        QFETCH(QString, verdict);
        QFETCH(int, nextLength);
        fixture::start(*form, shown);
        fixture::presentAll(*form);
        fixture::answer(*form, clicked.chopped(1));
        QCOMPARE(fixture::phaseOf(*form), Phase::Answering); // a wrong click is not told early

        fixture::answer(*form, clicked.right(1));
        QCOMPARE(fixture::phaseOf(*form), Phase::Verdict);
        QCOMPARE(fixture::text(form->Label9.Caption), verdict);
        const rt::Long ink = verdict == QStringLiteral("Ошибка") ? 255 : 32768;
        QCOMPARE(rt::testing::widget(form->Label9)->palette().color(QPalette::WindowText),
                 fixture::colour(ink));

        rt::testing::fireTick(form->Timer2);
        QCOMPARE(fixture::phaseOf(*form), Phase::Idle);
        fixture::clickControl(*form, form->Command1);
        QCOMPARE(form->SeqLength, rt::Integer(nextLength));
        fixture::presentAll(*form);
        QCOMPARE(form->ShownSeq.length(), std::size_t(nextLength));
    }

    // Where a click goes in each phase of a round of "27".
    void clickRouting_data()
    {
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<QString>("before"); // squares clicked first
        QTest::addColumn<QString>("place");
        QTest::addColumn<Effect>("effect");
        const auto row = [](const char* name, Phase p, const char* before, const char* place,
                            Effect e) {
            QTest::newRow(name) << p << QString::fromLatin1(before) << QString::fromLatin1(place)
                                << e;
        };
        row("idle, bare", Phase::Idle, "", "bare", Effect::Nothing);
        row("idle, square", Phase::Idle, "", "square", Effect::Nothing);
        row("idle, option", Phase::Idle, "", "option", Effect::OptionSelected);
        row("idle, speed caption", Phase::Idle, "", "caption", Effect::Nothing);
        row("presenting, bare", Phase::Presenting, "", "bare", Effect::Nothing);
        row("presenting, centre", Phase::Presenting, "", "centre", Effect::Nothing);
        row("presenting, square", Phase::Presenting, "", "square", Effect::Nothing);
        row("answering, bare", Phase::Answering, "", "bare", Effect::Forfeit);
        row("answering, hidden Start", Phase::Answering, "", "centre", Effect::Forfeit);
        row("answering, one in, bare", Phase::Answering, "2", "bare", Effect::Forfeit);
        row("answering, square", Phase::Answering, "", "square", Effect::SquareTaken);
        row("answering, caption", Phase::Answering, "", "caption", Effect::Nothing);
        row("answering, option", Phase::Answering, "", "option", Effect::OptionSelected);
        row("answering, right click on the bar", Phase::Answering, "", "right", Effect::Nothing);
        row("verdict, bare", Phase::Verdict, "", "bare", Effect::Nothing);
        row("verdict, square", Phase::Verdict, "", "square", Effect::Nothing);
        // The credit changes nothing, whenever it is chosen.
        row("idle, credit", Phase::Idle, "", "credit", Effect::Nothing);
        row("presenting, credit", Phase::Presenting, "", "credit", Effect::Nothing);
        row("answering, credit", Phase::Answering, "", "credit", Effect::Nothing);
        row("verdict, credit", Phase::Verdict, "", "credit", Effect::Nothing);
    }
    void clickRouting()
    {
        QFETCH(Phase, phase);
        QFETCH(QString, before);
        QFETCH(QString, place);
        QFETCH(Effect, effect);
        fixture::bringTo(*form, phase);
        fixture::answer(*form, before);
        const rt::Integer length = form->SeqLength;
        const QString entered = fixture::text(form->EnteredSeq);
        const QString was = snapshot(*form);

        const QRect option = rt::testing::widget(form->Option2)->geometry();
        const QMap<QString, QPoint> at{
            {QStringLiteral("bare"), QPoint(509, 680)},
            {QStringLiteral("right"), rt::testing::widget(form->HScroll1)->geometry().center()},
            {QStringLiteral("centre"), fixture::StartCell.center()},
            {QStringLiteral("square"), fixture::Squares[1].cell.center()},
            {QStringLiteral("caption"), rt::testing::widget(form->Label11)->geometry().center()},
            {QStringLiteral("option"), QPoint(option.right() - 2, option.center().y())}};
        // What the click opens is noted and closed: the credit's box, or a
        // context menu of Qt's own that would wait for the player.
        QString opened;
        QTimer::singleShot(0, [&opened] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                opened = QStringLiteral("%1|%2|%3")
                             .arg(box->windowTitle(), box->text())
                             .arg(box->icon() == QMessageBox::Information);
                box->buttons().value(0)->click();
            } else if (QWidget* w = QApplication::activePopupWidget()) {
                opened = QString::fromLatin1(w->metaObject()->className());
                w->close();
            }
        });
        if (place == QLatin1String("credit"))
            fixture::clickCredit(*form);
        else
            fixture::clickAt(*form, at[place],
                             place == QLatin1String("right") ? Qt::RightButton : Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(opened, place == QLatin1String("credit")
                             ? QStringLiteral("Разработчик |Kelvaro   < 7 ноября 2004 года >|1")
                             : QString());
        QVERIFY(!QApplication::activeModalWidget());
        // A click acts, and leaves the keyboard where it was.
        if (form->HScroll1.Visible == True)
            QCOMPARE(rt::testing::widget(*form)->focusWidget(),
                     rt::testing::widget(form->HScroll1));

        switch (effect) {
        case Effect::Nothing:
            QCOMPARE(snapshot(*form), was);
            break;
        case Effect::Forfeit:
            QCOMPARE(fixture::phaseOf(*form), Phase::Idle);
            QCOMPARE(form->SeqLength, length - 1);
            fixture::answer(*form, QStringLiteral("27")); // no answer until the next Start
            QCOMPARE(fixture::phaseOf(*form), Phase::Idle);
            break;
        case Effect::SquareTaken:
            QCOMPARE(fixture::text(form->EnteredSeq), entered + QLatin1Char('2'));
            QCOMPARE(form->ClickCount, rt::Integer(int(entered.size()) + 1));
            break;
        case Effect::OptionSelected:
            QCOMPARE(form->RandomMode, True);
            QVERIFY(form->Option2.Value == True && form->Option1.Value == False);
            QCOMPARE(fixture::phaseOf(*form), phase);
            QCOMPARE(form->SeqLength, length);
            break;
        }
        fixture::presentAll(*form);
    }
};

TEVALIN_TEST_MAIN(TestGame)
#include "test_game.moc"
