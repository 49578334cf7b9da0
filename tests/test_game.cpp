// SPDX-License-Identifier: GPL-3.0-or-later
// A round from Start to verdict, played through the real window: the
// presentation tick by tick and where it shows, the judging, and where clicks
// go in every phase; and the settings, speed and placement, under the
// player's keys and mouse.

#include "fixture.h"

#include <QApplication>
#include <QMessageBox>

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

    // A round tick by tick: a colour a tick, picked by the draw (square
    // r * 8 + 1), a blank tick, the squares back; then the answer, judged at
    // the last click. What the verdict says and the next round's length are
    // the monkey's to check, at every verdict it reaches.
    void aRound_data()
    {
        QTest::addColumn<QList<float>>("draws");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("clicked");
        QList<float> each;
        for (int n = 1; n <= 8; ++n)
            each << fixture::drawFor(n);
        QTest::newRow("one colour, wrong") << QList<float>{fixture::drawFor(6)} << "6"
                                           << "1";
        QTest::newRow("every square, right") << each << "12345678"
                                             << "12345678";
        QTest::newRow("the edges of the eighths, wrong order")
            << QList<float>{0.0f, std::nextafter(0.125f, 0.0f), 0.125f, LargestBelowOne} << "1128"
            << "1218";
    }
    void aRound()
    {
        QFETCH(QList<float>, draws);
        QFETCH(QString, shown);
        QFETCH(QString, clicked);
        for (float r : draws)
            rt::testing::scriptDraws({r});
        form->SeqLength = rt::Integer(int(draws.size()) - 1);
        fixture::clickControl(*form, form->Command1);
        for (int i = 0; i < shown.size(); ++i) {
            tick();
            QCOMPARE(fixture::text(form->ShownSeq), shown.left(i + 1));
            QVERIFY(form->Label10.Visible == True);
            const QImage seen = rt::testing::widget(form->Label10)->grab().toImage();
            QCOMPARE(seen.pixel(seen.rect().center()) & 0xFFFFFF,
                     fixture::Squares[shown[i].digitValue() - 1].colour);
        }
        tick(); // a blank tick after the last colour
        QVERIFY(form->Label10.Visible == False);
        QCOMPARE(fixture::phaseOf(*form), Phase::Presenting);
        tick(); // then the squares come back for the answer
        QCOMPARE(fixture::phaseOf(*form), Phase::Answering);

        fixture::answer(*form, clicked.chopped(1));
        QCOMPARE(fixture::phaseOf(*form), Phase::Answering); // a wrong click is not told early
        fixture::answer(*form, clicked.right(1));
        QCOMPARE(fixture::phaseOf(*form), Phase::Verdict);
        QCOMPARE(fixture::text(form->EnteredSeq), clicked); // each square takes its own digit
    }

    void placement_data()
    {
        QTest::addColumn<bool>("random");
        QTest::addColumn<float>("r1");
        QTest::addColumn<float>("r2");
        QTest::newRow("fixed") << false << 0.0f << 0.0f;
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
        fixture::start(*form, QStringLiteral("2"));
        // Random spots may cover the settings, so they go for the presentation.
        const rt::Control* const settings[] = {&form->Option1, &form->Option2, &form->HScroll1,
                                               &form->Label11};
        for (const rt::Control* c : settings)
            QCOMPARE(rt::testing::widget(*c)->isVisible(), !random);
        if (random)
            rt::testing::scriptDraws({r1, r2});
        rt::testing::traceRandom(true);
        tick();
        // A reseed before the colour, and one before the two positions.
        QCOMPARE(rt::testing::randomTrace(), std::string(random ? "RrRrr" : "Rr"));
        rt::testing::traceRandom(false);

        // Fixed, exactly the Start button's cell; random, anywhere in the free
        // room of the outer window, less the indicator and a margin.
        const double freeWidth = double(form->Width) - 1395 - 200;
        const double freeHeight = double(form->Height) - 1395 - 400;
        if (!random) {
            QCOMPARE(QPointF(double(form->Label10.Left), double(form->Label10.Top)),
                     QPointF(6960, 4560));
            QCOMPARE(rt::testing::widget(form->Label10)->geometry(), fixture::StartCell);
        } else
            QCOMPARE(QPointF(double(form->Label10.Left), double(form->Label10.Top)),
                     QPointF(std::floor(r1 * freeWidth), std::floor(r2 * freeHeight)));
        QCOMPARE(fixture::presentAll(*form), 2);
        for (const rt::Control* c : settings)
            QVERIFY(rt::testing::widget(*c)->isVisible());
    }

    // Where a click goes in a round of "27", where the phase alone does not
    // decide it. A click that breaks the phases or the books (a square taken
    // while idle, Start shown beside the verdict) is the monkey's to find.
    void clickRouting_data()
    {
        QTest::addColumn<Phase>("phase");
        QTest::addColumn<QString>("place");
        QTest::addColumn<Effect>("effect");
        const auto row = [](const char* name, Phase p, const char* place, Effect e) {
            QTest::newRow(name) << p << QString::fromLatin1(place) << e;
        };
        row("presenting, centre", Phase::Presenting, "centre", Effect::Nothing);
        row("answering, bare", Phase::Answering, "bare", Effect::Forfeit);
        row("answering, hidden Start", Phase::Answering, "centre", Effect::Forfeit);
        row("answering, square", Phase::Answering, "square", Effect::SquareTaken);
        row("answering, caption", Phase::Answering, "caption", Effect::Nothing);
        row("answering, option", Phase::Answering, "option", Effect::OptionSelected);
        row("answering, right click on the bar", Phase::Answering, "right", Effect::Nothing);
        // The credit changes nothing, not even the answer under way.
        row("answering, credit", Phase::Answering, "credit", Effect::Nothing);
        // A square's digit key (main row or keypad) clicks it, Escape clicks
        // the bare window, wherever the focus is; a hidden square takes no
        // key, as it takes no click, and the verdict takes neither.
        row("verdict, square", Phase::Verdict, "square", Effect::Nothing);
        row("idle, key 2", Phase::Idle, "key 2", Effect::Nothing);
        row("presenting, key 2", Phase::Presenting, "key 2", Effect::Nothing);
        row("answering, key 2", Phase::Answering, "key 2", Effect::SquareTaken);
        row("answering, keypad 2", Phase::Answering, "keypad 2", Effect::SquareTaken);
        row("answering, key 2 from the option", Phase::Answering, "key 2 option",
            Effect::SquareTaken);
        row("idle, key 2 from Start", Phase::Idle, "key 2 start", Effect::Nothing);
        row("answering, Ctrl+2", Phase::Answering, "ctrl 2", Effect::Nothing);
        row("verdict, key 2", Phase::Verdict, "key 2", Effect::Nothing);
        row("idle, Escape", Phase::Idle, "escape", Effect::Nothing);
        row("presenting, Escape", Phase::Presenting, "escape", Effect::Nothing);
        row("answering, Escape", Phase::Answering, "escape", Effect::Forfeit);
        row("answering, Escape from the option", Phase::Answering, "escape option",
            Effect::Forfeit);
        row("verdict, Escape", Phase::Verdict, "escape", Effect::Nothing);
    }
    void clickRouting()
    {
        QFETCH(Phase, phase);
        QFETCH(QString, place);
        QFETCH(Effect, effect);
        QWindow* window = rt::testing::windowHandle(*form);
        if (place.endsWith(QLatin1String("option")) || place.endsWith(QLatin1String("start"))) {
            QTest::keyClick(window, Qt::Key_Tab);
            if (place.endsWith(QLatin1String("option")))
                QTest::keyClick(window, Qt::Key_Tab);
        }
        if (phase != Phase::Idle)
            fixture::bringTo(*form, phase);
        const rt::Integer length = form->SeqLength;
        const QString was = fixture::snapshot(*form);
        QWidget* focus = rt::testing::widget(*form)->focusWidget();

        const QRect option = rt::testing::widget(form->Option2)->geometry();
        const QMap<QString, QPoint> at{
            {QStringLiteral("bare"), fixture::BareSpot},
            {QStringLiteral("right"), rt::testing::widget(form->HScroll1)->geometry().center()},
            {QStringLiteral("centre"), fixture::StartCell.center()},
            {QStringLiteral("square"), fixture::Squares[1].cell.center()},
            {QStringLiteral("caption"), rt::testing::widget(form->Label11)->geometry().center()},
            {QStringLiteral("option"), QPoint(option.right() - 2, option.center().y())}};
        // What the click opens is noted and closed: the credit's box, or a
        // context menu of Qt's own that would wait for the player.
        QString opened;
        const fixture::BoxCloser closer([&opened](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            opened = box ? QStringLiteral("%1|%2|%3")
                               .arg(box->windowTitle(), box->text())
                               .arg(box->icon() == QMessageBox::Information)
                         : QString::fromLatin1(w->metaObject()->className());
        });
        if (place == QLatin1String("credit"))
            fixture::clickCredit(*form);
        else if (place.startsWith(QLatin1String("escape")))
            QTest::keyClick(window, Qt::Key_Escape);
        else if (place.startsWith(QLatin1String("key")))
            QTest::keyClick(window, Qt::Key_2);
        else if (place.startsWith(QLatin1String("keypad")))
            QTest::keyClick(window, Qt::Key_2, Qt::KeypadModifier);
        else if (place.startsWith(QLatin1String("ctrl")))
            QTest::keyClick(window, Qt::Key_2, Qt::ControlModifier);
        else
            fixture::clickAt(*form, at[place],
                             place == QLatin1String("right") ? Qt::RightButton : Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(opened, place == QLatin1String("credit")
                             ? QStringLiteral("Разработчик |Kelvaro   < 7 ноября 2004 года >|1")
                             : QString());
        QVERIFY(!QApplication::activeModalWidget());
        // A click or a key acts, and leaves the keyboard where it was.
        QCOMPARE(rt::testing::widget(*form)->focusWidget(), focus);

        switch (effect) {
        case Effect::Nothing:
            QCOMPARE(fixture::snapshot(*form), was);
            break;
        case Effect::Forfeit:
            QCOMPARE(fixture::phaseOf(*form), Phase::Idle);
            QCOMPARE(form->SeqLength, length - 1);
            break;
        case Effect::SquareTaken:
            QCOMPARE(fixture::text(form->EnteredSeq), QStringLiteral("2"));
            break;
        case Effect::OptionSelected:
            QCOMPARE(form->RandomMode, True);
            QCOMPARE(fixture::phaseOf(*form), phase);
            QCOMPARE(form->SeqLength, length);
            break;
        }
        fixture::presentAll(*form);
    }

    // The caption, the interval and the bar's accessible name follow the
    // thumb as it is dragged.
    void speedFollowsTheDraggedThumb()
    {
        auto* bar = static_cast<QScrollBar*>(rt::testing::widget(form->HScroll1));
        const QPoint thumb =
            bar->mapTo(rt::testing::widget(*form), fixture::scrollBarPart(bar).center());
        QWindow* window = rt::testing::windowHandle(*form);
        QTest::mousePress(window, Qt::LeftButton, {}, thumb);
        QTest::mouseMove(window, thumb + QPoint(24, 0));
        const int moved = bar->sliderPosition();
        QVERIFY(moved > 500);
        QCOMPARE(fixture::text(form->Label11.Caption), QStringLiteral("Таймер - %1").arg(moved));
        QCOMPARE(rt::Long(form->Timer1.Interval), rt::Long(moved));
        // And a screen reader reads the speed the thumb stands at.
        QCOMPARE(rt::testing::widget(form->HScroll1)->accessibleName(),
                 QStringLiteral("Время показа цвета: %1 мс").arg(moved));
        QTest::mouseRelease(window, Qt::LeftButton, {}, thumb + QPoint(24, 0));
    }
};

TEVALIN_TEST_MAIN(TestGame)
#include "test_game.moc"
