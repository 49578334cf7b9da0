// How the speed's scroll bar looks: a thumb that stands out from its trough,
// and a mark while it has the keyboard.

#include "fixture.h"

#include <QtMath>

namespace {

// Relative luminance of an sRGB colour, 0 (black) to 1 (white).
double luminance(QRgb c)
{
    const auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : qPow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(c)) + 0.7152 * linear(qGreen(c)) + 0.0722 * linear(qBlue(c));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

} // namespace

class TestScrollBar : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    QScrollBar* bar() const
    {
        return static_cast<QScrollBar*>(rt::testing::widget(form->HScroll1));
    }
    QImage shot() const { return bar()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

private slots:
    void init()
    {
        form = fixture::openForm();
        QWidget* window = rt::testing::widget(*form);
        ACTIVATE_OR_SKIP(window);
    }
    void cleanup() { form.reset(); }

    // The contrast a control's parts need against their neighbours to be made
    // out (3:1, as accessibility guidelines ask of controls), at every speed.
    void thumbStandsOutFromTheTrough_data()
    {
        QTest::addColumn<int>("speed");
        QTest::newRow("fastest") << 50;
        QTest::newRow("at start") << 500;
        QTest::newRow("slowest") << 1000;
    }
    void thumbStandsOutFromTheTrough()
    {
        QFETCH(int, speed);
        form->HScroll1.Value = rt::Integer(speed);
        const QRect thumb = fixture::scrollBarPart(bar());
        const QRect before = fixture::scrollBarPart(bar(), QStyle::SC_ScrollBarSubPage);
        const QRect after = fixture::scrollBarPart(bar(), QStyle::SC_ScrollBarAddPage);
        const QRect trough = before.width() > after.width() ? before : after;
        QVERIFY(thumb.width() >= 8);
        const QImage image = shot();
        const QRgb thumbColour = image.pixel(thumb.center());
        const QRgb troughColour = image.pixel(trough.center());
        QVERIFY2(contrast(thumbColour, troughColour) >= 3.0,
                 qPrintable(QStringLiteral("thumb %1, trough %2")
                                .arg(QColor(thumbColour).name(), QColor(troughColour).name())));
        // The thumb fills its place: no trough shows through it.
        for (int x = thumb.left() + 2; x < thumb.right() - 1; x += 2)
            QVERIFY(contrast(image.pixel(x, thumb.center().y()), troughColour) >= 3.0);
    }

    void focusIsMarked()
    {
        QCOMPARE(rt::testing::widget(*form)->focusWidget(), bar());
        QVERIFY(bar()->hasFocus());
        const QImage focused = shot();
        QTest::keyClick(rt::testing::windowHandle(*form), Qt::Key_Tab);
        QVERIFY(!bar()->hasFocus());
        const QImage unfocused = shot();
        QVERIFY(focused != unfocused);
        // The mark runs round the edge, not only over the thumb.
        const QRect thumb = fixture::scrollBarPart(bar());
        int marked = 0;
        for (int x = 0; x < focused.width(); ++x)
            if (!thumb.contains(x, 0) && focused.pixel(x, 0) != unfocused.pixel(x, 0))
                ++marked;
        QVERIFY2(marked > focused.width() / 2, qPrintable(QString::number(marked)));
    }
};

TEVALIN_TEST_MAIN(TestScrollBar)
#include "test_scroll_bar.moc"
