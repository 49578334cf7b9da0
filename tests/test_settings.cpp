// SPDX-License-Identifier: GPL-3.0-or-later
// Speed and placement: the player's keys and mouse on the scroll bar and the
// option buttons, between rounds and during one.

#include "fixture.h"

#include <QApplication>

using fixture::Phase;
using rt::False;
using rt::True;

class TestSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    QScrollBar* bar() const
    {
        return static_cast<QScrollBar*>(rt::testing::widget(form->HScroll1));
    }
    // A part of the scroll bar, in client pixels.
    QRect part(QStyle::SubControl sc) const
    {
        return fixture::scrollBarPart(bar(), sc).translated(bar()->pos());
    }
    void key(Qt::Key k) { QTest::keyClick(rt::testing::windowHandle(*form), k); }
    void expectSpeed(int ms)
    {
        QCOMPARE(form->HScroll1.Value, rt::Integer(ms));
        QCOMPARE(fixture::text(form->Label11.Caption), QStringLiteral("Таймер - %1").arg(ms));
        QCOMPARE(rt::Long(form->Timer1.Interval), rt::Long(ms));
    }

private slots:
    void init() { form = fixture::openForm(); }
    void cleanup()
    {
        form.reset();
        QCOMPARE(fixture::drawsLeftOver(), std::size_t(0));
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("right") << int(Qt::Key_Right) << 500 << 510;
        QTest::newRow("down") << int(Qt::Key_Down) << 500 << 510;
        QTest::newRow("left") << int(Qt::Key_Left) << 500 << 490;
        QTest::newRow("up") << int(Qt::Key_Up) << 500 << 490;
        QTest::newRow("page down") << int(Qt::Key_PageDown) << 500 << 550;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << 500 << 450;
        QTest::newRow("home") << int(Qt::Key_Home) << 500 << 50;
        QTest::newRow("end") << int(Qt::Key_End) << 500 << 1000;
        QTest::newRow("left at the start") << int(Qt::Key_Left) << 50 << 50;
        QTest::newRow("page up near the start") << int(Qt::Key_PageUp) << 60 << 50;
        QTest::newRow("right at the end") << int(Qt::Key_Right) << 1000 << 1000;
        QTest::newRow("page down near the end") << int(Qt::Key_PageDown) << 980 << 1000;
        QTest::newRow("left from the end") << int(Qt::Key_Left) << 1000 << 990;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, from);
        QFETCH(int, to);
        form->HScroll1.Value = from;
        expectSpeed(from);
        this->key(Qt::Key(key));
        expectSpeed(to);
    }

    void mouse_data()
    {
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("side"); // in the trough: left (-1) or right (1) of the thumb
        QTest::addColumn<int>("to");
        QTest::newRow("left arrow") << int(QStyle::SC_ScrollBarSubLine) << 0 << 490;
        QTest::newRow("right arrow") << int(QStyle::SC_ScrollBarAddLine) << 0 << 510;
        QTest::newRow("trough, left") << int(QStyle::SC_ScrollBarSlider) << -1 << 450;
        QTest::newRow("trough, right") << int(QStyle::SC_ScrollBarSlider) << 1 << 550;
        QTest::newRow("thumb, dragged") << int(QStyle::SC_ScrollBarSlider) << 0 << 0;
    }
    void mouse()
    {
        QFETCH(int, part);
        QFETCH(int, side);
        QFETCH(int, to);
        const QRect r = this->part(QStyle::SubControl(part));
        if (to != 0) {
            fixture::clickAt(*form, QPoint(side < 0   ? r.left() - 4
                                           : side > 0 ? r.right() + 4
                                                      : r.center().x(),
                                           r.center().y()));
            return expectSpeed(to);
        }
        // The caption and the interval follow the thumb as it moves.
        QWindow* window = rt::testing::windowHandle(*form);
        const auto inWindow = [this](QPoint p) {
            return fixture::clientArea(*form)->mapTo(rt::testing::widget(*form), p);
        };
        QPoint at = r.center();
        QTest::mousePress(window, Qt::LeftButton, {}, inWindow(at));
        for (int last = 500; last < 520;) {
            QTest::mouseMove(window, inWindow(at += QPoint(8, 0)));
            QVERIFY(bar()->sliderPosition() > last);
            last = bar()->sliderPosition();
            QCOMPARE(fixture::text(form->Label11.Caption), QStringLiteral("Таймер - %1").arg(last));
            QCOMPARE(rt::Long(form->Timer1.Interval), rt::Long(last));
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, inWindow(at));
        expectSpeed(bar()->sliderPosition());
    }

    void fixedPlacementIsChosenAgain()
    {
        fixture::clickControl(*form, form->Option2);
        fixture::clickControl(*form, form->Option1);
        QCOMPARE(form->RandomMode, False);
        QVERIFY(form->Option1.Value == True && form->Option2.Value == False);
        QCOMPARE(rt::testing::widget(*form)->focusWidget(), bar()); // the clicks took no focus
    }

    // In fixed placement the settings stay; a change applies at the next tick.
    void settingsChangedDuringAFixedPresentation()
    {
        fixture::bringTo(*form, Phase::Presenting, QStringLiteral("12"));
        QCOMPARE(rt::testing::widget(form->Label10)->geometry(), fixture::StartCell);
        fixture::clickAt(*form, part(QStyle::SC_ScrollBarSubLine).center());
        expectSpeed(490);
        fixture::clickControl(*form, form->Option2);
        rt::testing::scriptDraws({0.9f, 0.9f});
        rt::testing::fireTick(form->Timer1);
        QVERIFY(rt::Single(form->Label10.Left) > 10000.0f);
        fixture::presentAll(*form);
        QVERIFY(form->Option2.Value == True);
    }
};

TEVALIN_TEST_MAIN(TestSettings)
#include "test_settings.moc"
