// Speed and placement: the state after load and the player's hands on the
// scroll bar and the option buttons.

#include "fixture.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

using rt::False;
using rt::True;

class TestSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    QScrollBar* scrollBar() const
    {
        return static_cast<QScrollBar*>(rt::testing::widget(form->HScroll1));
    }

    // Client-area pixels of one part of the scroll bar.
    QRect partOf(QStyle::SubControl part) const
    {
        QScrollBar* sb = scrollBar();
        const QRect r = fixture::scrollBarPart(sb, part);
        return r.translated(sb->pos());
    }

    QPoint inWindow(QPoint client) const
    {
        return fixture::clientArea(*form)->mapTo(rt::testing::widget(*form), client);
    }

    void expectSpeed(int ms)
    {
        QCOMPARE(form->HScroll1.Value, rt::Integer(ms));
        QCOMPARE(fixture::text(form->Label11.Caption), QStringLiteral("Таймер - %1").arg(ms));
        QCOMPARE(rt::Long(form->Timer1.Interval), rt::Long(ms));
    }

private slots:
    void init() { form = fixture::openForm(); }
    void cleanup() { form.reset(); }

    void loadLeavesHalfASecondAndFixedPlacement()
    {
        QCOMPARE(form->HScroll1.Min, rt::Integer(50));
        QCOMPARE(form->HScroll1.Max, rt::Integer(1000));
        QCOMPARE(form->HScroll1.SmallChange, rt::Integer(10));
        QCOMPARE(form->HScroll1.LargeChange, rt::Integer(50));
        expectSpeed(500);
        QVERIFY(form->Option1.Value == True);
        QVERIFY(form->Option2.Value == False);
        QCOMPARE(form->RandomMode, False);
        QVERIFY(!rt::testing::isRunning(form->Timer1));
    }

    void keysMoveTheSpeedWithinItsRange_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("speed");
        QTest::newRow("right") << QList<int>{Qt::Key_Right} << 510;
        QTest::newRow("left") << QList<int>{Qt::Key_Left} << 490;
        QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << 550;
        QTest::newRow("page up") << QList<int>{Qt::Key_PageUp} << 450;
        QTest::newRow("home") << QList<int>{Qt::Key_Home} << 50;
        QTest::newRow("end") << QList<int>{Qt::Key_End} << 1000;
        QTest::newRow("left past the start")
            << QList<int>{Qt::Key_Home, Qt::Key_Left, Qt::Key_PageUp} << 50;
        QTest::newRow("right past the end")
            << QList<int>{Qt::Key_End, Qt::Key_Right, Qt::Key_PageDown} << 1000;
        QTest::newRow("back from the end") << QList<int>{Qt::Key_End, Qt::Key_Left} << 990;
    }
    void keysMoveTheSpeedWithinItsRange()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, speed);
        for (int key : keys)
            QTest::keyClick(rt::testing::windowHandle(*form), Qt::Key(key));
        expectSpeed(speed);
    }

    void mouseOnArrowsAndTroughMovesTheSpeed_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<bool>("beforeThumb");
        QTest::addColumn<int>("speed");
        QTest::newRow("left arrow") << int(QStyle::SC_ScrollBarSubLine) << false << 490;
        QTest::newRow("right arrow") << int(QStyle::SC_ScrollBarAddLine) << false << 510;
        QTest::newRow("trough left of the thumb") << int(QStyle::SC_ScrollBarGroove) << true << 450;
        QTest::newRow("trough right of the thumb")
            << int(QStyle::SC_ScrollBarGroove) << false << 550;
    }
    void mouseOnArrowsAndTroughMovesTheSpeed()
    {
        QFETCH(int, part);
        QFETCH(bool, beforeThumb);
        QFETCH(int, speed);
        QPoint at = partOf(QStyle::SubControl(part)).center();
        if (part == QStyle::SC_ScrollBarGroove) {
            const QRect thumb = partOf(QStyle::SC_ScrollBarSlider);
            at = QPoint(beforeThumb ? thumb.left() - 4 : thumb.right() + 4, thumb.center().y());
        }
        QTest::mouseClick(rt::testing::windowHandle(*form), Qt::LeftButton, {}, inWindow(at));
        expectSpeed(speed);
    }

    void captionAndIntervalFollowTheDraggedThumb()
    {
        QWindow* window = rt::testing::windowHandle(*form);
        const QRect thumb = partOf(QStyle::SC_ScrollBarSlider);
        QPoint at = thumb.center();
        QTest::mousePress(window, Qt::LeftButton, {}, inWindow(at));
        int last = 500;
        for (int step = 0; step < 6; ++step) {
            at += QPoint(8, 0);
            QTest::mouseMove(window, inWindow(at));
            const int position = scrollBar()->sliderPosition();
            QVERIFY(position > last);
            last = position;
            expectSpeed(position);
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, inWindow(at));
        expectSpeed(last);
        QCOMPARE(scrollBar()->value(), last);
    }

    void optionsSetTheModeAndNothingElse()
    {
        fixture::clickControl(*form, form->Option2);
        QCOMPARE(form->RandomMode, True);
        QVERIFY(form->Option1.Value == False);
        fixture::clickControl(*form, form->Option1);
        QCOMPARE(form->RandomMode, False);
        QVERIFY(form->Option2.Value == False);
        expectSpeed(500);
        QVERIFY(form->Option1.Visible == True && form->HScroll1.Visible == True);
    }

    void speedChangedDuringAFixedPresentationAppliesToTheRemainingTicks()
    {
        form->SeqLength = 4;
        fixture::clickControl(*form, form->Command1);
        rt::testing::fireTick(form->Timer1);
        const QPoint leftArrow = partOf(QStyle::SC_ScrollBarSubLine).center();
        QTest::mouseClick(rt::testing::windowHandle(*form), Qt::LeftButton, {},
                          inWindow(leftArrow));
        expectSpeed(490);
        QVERIFY(rt::testing::isRunning(form->Timer1));
        fixture::presentAll(*form);
    }

    void selectingRandomMidPresentationSendsTheNextColoursToRandomSpots()
    {
        rt::testing::scriptDraws({0.1f, 0.2f, 0.9f, 0.9f});
        form->SeqLength = 1;
        fixture::clickControl(*form, form->Command1);
        rt::testing::fireTick(form->Timer1);
        QCOMPARE(rt::Single(form->Label10.Left), 6960.0f);
        fixture::clickControl(*form, form->Option2);
        rt::testing::fireTick(form->Timer1);
        QVERIFY(rt::Single(form->Label10.Left) > 10000.0f);
        QVERIFY(form->HScroll1.Visible == True); // Start did not hide the settings
        fixture::presentAll(*form);
        QVERIFY(form->Option2.Value == True);
    }

    void settingsAreHiddenDuringARandomPresentation()
    {
        fixture::clickControl(*form, form->Option2);
        fixture::clickControl(*form, form->Command1);
        QVERIFY(form->HScroll1.Visible == False);
        // Keys have nowhere to go: the speed stays.
        QTest::keyClick(rt::testing::windowHandle(*form), Qt::Key_Home);
        expectSpeed(500);
        fixture::presentAll(*form);
        QVERIFY(form->HScroll1.Visible == True);
        QCOMPARE(QApplication::focusWidget(), scrollBar()); // and the keys work again
        QVERIFY(form->Option2.Value == True);
        QCOMPARE(form->RandomMode, True);
    }
};

TEVALIN_TEST_MAIN(TestSettings)
#include "test_settings.moc"
