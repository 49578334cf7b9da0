// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard: Tab walks the controls in the designed order, Start answers
// Space, Return and Enter, and the speed keeps the arrow and page keys however
// many rounds were played (test_game checks that no click takes the focus).
// Whatever has the keys shows it, and the speed's thumb stands out from its
// trough.

#include "fixture.h"

#include <QApplication>
#include <QKeySequence>
#include <QtMath>

namespace {

QWidget* focusOf(const Form1& form)
{
    return rt::testing::widget(form)->focusWidget();
}

void press(const Form1& form, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    // Through the window, as the keyboard delivers it: to whatever has the focus.
    QTest::keyClick(rt::testing::windowHandle(form), key, modifiers);
}

// WCAG contrast of two sRGB colours: 1 (none) to 21.
double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb c) {
        double l = 0;
        for (auto [v, w] : {std::pair{qRed(c), 0.2126}, {qGreen(c), 0.7152}, {qBlue(c), 0.0722}}) {
            const double s = v / 255.0;
            l += w * (s <= 0.04045 ? s / 12.92 : qPow((s + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// Ends the round under way: the right answer, a wrong one, or a click on the
// bare window.
void finishRound(Form1& form, const QString& ending)
{
    fixture::presentAll(form);
    if (ending == QLatin1String("forfeit")) {
        fixture::clickAt(form, QPoint(506, 666)); // the empty band below the grid
        return;
    }
    QString clicks = fixture::text(form.ShownSeq);
    if (ending == QLatin1String("wrong"))
        clicks[0] = QChar(u'1' + clicks[0].digitValue() % 8);
    fixture::answer(form, clicks);
    rt::testing::fireTick(form.Timer2);
}

} // namespace

class TestFocus : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    QWidget* scrollBar() const { return rt::testing::widget(form->HScroll1); }

private slots:
    void init()
    {
        form = fixture::openForm();
        QWidget* window = rt::testing::widget(*form);
        ACTIVATE_OR_SKIP(window);
    }
    void cleanup() { form.reset(); }

    // The option buttons are one stop, at the selected one, as a group of
    // option buttons is on any desktop; the arrows move within it.
    void tabWalksTheDesignedOrder_data()
    {
        QTest::addColumn<bool>("random");
        QTest::newRow("fixed placement") << false;
        QTest::newRow("random placement") << true;
    }
    void tabWalksTheDesignedOrder()
    {
        QFETCH(bool, random);
        if (random)
            form->Option2.Value = rt::True;
        const QWidget* order[] = {scrollBar(), rt::testing::widget(form->Command1),
                                  rt::testing::widget(random ? form->Option2 : form->Option1)};
        const int n = int(std::size(order));
        QCOMPARE(focusOf(*form), order[0]);
        for (int i = 1; i <= n; ++i) {
            press(*form, Qt::Key_Tab);
            QCOMPARE(focusOf(*form), order[i % n]);
        }
        for (int i = n - 1; i >= 0; --i) {
            press(*form, Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(focusOf(*form), order[i]);
        }
        // Walking over the option buttons chose nothing.
        QVERIFY(form->RandomMode == (random ? rt::True : rt::False));
    }

    // Start answers its keys; the focus on a control the presentation hides
    // (Start itself, or an option under random placement) goes to the first
    // control shown. However many rounds end, however they end, the speed
    // keeps the keys, and they reach nothing else.
    void keysStartARoundAndStayOnTheSpeed_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<Qt::Key>("key"); // Key_unknown: Start clicked
        QTest::addColumn<bool>("random");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<int>("rounds");
        QTest::newRow("Space, fixed, right") << 1 << Qt::Key_Space << false << "right" << 1;
        QTest::newRow("Return, fixed, three wrong") << 1 << Qt::Key_Return << false << "wrong" << 3;
        QTest::newRow("Enter, fixed, forfeit") << 1 << Qt::Key_Enter << false << "forfeit" << 1;
        QTest::newRow("Space, random, right") << 1 << Qt::Key_Space << true << "right" << 1;
        QTest::newRow("clicked, random, wrong") << 0 << Qt::Key_unknown << true << "wrong" << 1;
        QTest::newRow("clicked, on the random option, three forfeits")
            << 2 << Qt::Key_unknown << true << "forfeit" << 3;
    }
    void keysStartARoundAndStayOnTheSpeed()
    {
        QFETCH(int, tabs);
        QFETCH(Qt::Key, key);
        QFETCH(bool, random);
        QFETCH(QString, ending);
        QFETCH(int, rounds);
        if (random)
            form->Option2.Value = rt::True;
        for (int i = 0; i < tabs; ++i)
            press(*form, Qt::Key_Tab);
        const QWidget* focused[] = {scrollBar(), rt::testing::widget(form->Command1),
                                    rt::testing::widget(form->Option2)};
        QCOMPARE(focusOf(*form), focused[tabs]);

        if (key == Qt::Key_unknown)
            fixture::clickControl(*form, form->Command1);
        else
            press(*form, key);
        QCOMPARE(form->SeqLength, rt::Integer(1));
        QVERIFY(form->Command1.Visible == rt::False);
        QVERIFY(rt::testing::isRunning(form->Timer1));
        if (random) {
            // Nothing hidden takes keys; the speed cannot move unseen.
            QWidget* focus = focusOf(*form);
            QVERIFY2(!focus || focus->isVisible(), focus ? focus->metaObject()->className() : "");
            press(*form, Qt::Key_Right);
            QCOMPARE(rt::Integer(form->HScroll1.Value).value(), 500);
        }
        finishRound(*form, ending);
        for (int i = 1; i < rounds; ++i) {
            fixture::clickControl(*form, form->Command1);
            finishRound(*form, ending);
        }
        QVERIFY(form->Command1.Visible == rt::True);

        QCOMPARE(focusOf(*form), scrollBar());
        // Where each key takes the speed is test_settings' table.
        for (auto [key, speed] : {std::pair{Qt::Key_Right, 510}, {Qt::Key_Left, 500}}) {
            press(*form, key);
            QCOMPARE(rt::Integer(form->HScroll1.Value).value(), speed);
        }
        QVERIFY(form->Option2.Value == (random ? rt::True : rt::False));
    }

    // Whichever control has the keyboard shows it; on the scroll bar the mark
    // runs round the edge, not only over the thumb.
    void focusIsMarked_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::newRow("the scroll bar") << 0;
        QTest::newRow("Старт") << 1;
        QTest::newRow("Фиксированно") << 2;
    }
    void focusIsMarked()
    {
        QFETCH(int, tabs);
        for (int i = 0; i < tabs; ++i)
            press(*form, Qt::Key_Tab);
        QWidget* focus = focusOf(*form);
        QVERIFY(focus && focus->hasFocus());
        const QImage marked = focus->grab().toImage();
        press(*form, Qt::Key_Tab);
        QVERIFY(!focus->hasFocus());
        const QImage unmarked = focus->grab().toImage();
        QVERIFY(unmarked != marked);
        if (focus != scrollBar())
            return;
        const QRect thumb = fixture::scrollBarPart(static_cast<QScrollBar*>(focus));
        int edge = 0;
        for (int x = 0; x < marked.width(); ++x)
            edge += !thumb.contains(x, 0) && marked.pixel(x, 0) != unmarked.pixel(x, 0);
        QVERIFY2(edge > marked.width() / 2, qPrintable(QString::number(edge)));
    }

    // The 3:1 that accessibility guidelines ask of a control's parts, at every
    // speed; the thumb fills its place, with no trough showing through.
    void thumbStandsOutFromTheTrough_data()
    {
        QTest::addColumn<int>("speed");
        for (int speed : {50, 500, 1000})
            QTest::addRow("%d", speed) << speed;
    }
    void thumbStandsOutFromTheTrough()
    {
        QFETCH(int, speed);
        form->HScroll1.Value = rt::Integer(speed);
        auto* bar = static_cast<QScrollBar*>(scrollBar());
        const QRect thumb = fixture::scrollBarPart(bar);
        const QRect before = fixture::scrollBarPart(bar, QStyle::SC_ScrollBarSubPage);
        const QRect after = fixture::scrollBarPart(bar, QStyle::SC_ScrollBarAddPage);
        QVERIFY(thumb.width() >= 8);
        const QImage image = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb trough = image.pixel((before.width() > after.width() ? before : after).center());
        for (int x = thumb.left() + 2; x < thumb.right() - 1; x += 2)
            QVERIFY2(contrast(image.pixel(x, thumb.center().y()), trough) >= 3.0,
                     qPrintable(QColor(image.pixel(x, thumb.center().y())).name() + " on " +
                                QColor(trough).name()));
    }
};

TEVALIN_TEST_MAIN(TestFocus)
#include "test_focus.moc"
