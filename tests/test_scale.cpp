// The window on a display scaled by two (CTest runs this suite with
// QT_SCALE_FACTOR=2): the same layout at twice the pixels, every text in
// proportion and whole.

#include "fixture.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <cstdlib>
#include <utility>

namespace {

constexpr int Scale = 2;
// How far a channel may stray from the background before a pixel counts as ink.
constexpr int InkThreshold = 96;
// Hinting and antialiasing move a text's ink edge by a pixel or two.
constexpr int InkTolerance = 4;
// The Start button's border and a pixel of slack, in pixels at scale one.
constexpr int ButtonBorder = 2;

QColor fromBgr(rt::Long bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QRect scaled(const QRect& r)
{
    return QRect(r.topLeft() * Scale, r.size() * Scale);
}

QImage grabClientArea(const Form1& form)
{
    return fixture::clientArea(form)->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool isInk(QRgb pixel, const QColor& background)
{
    return std::abs(qRed(pixel) - background.red()) > InkThreshold ||
           std::abs(qGreen(pixel) - background.green()) > InkThreshold ||
           std::abs(qBlue(pixel) - background.blue()) > InkThreshold;
}

// The bounding box of the pixels inside `area` that stand out from the background.
QRect inkBox(const QImage& image, const QRect& area, const QColor& background)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (isInk(image.pixel(x, y), background))
                box |= QRect(x, y, 1, 1);
    return box;
}

int pixelsUnlike(const QImage& image, const QRect& area, const QColor& colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) != colour.rgb();
    return count;
}

QString captionOf(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    return static_cast<const QAbstractButton*>(w)->text();
}

const rt::Control& controlNamed(const Form1& form, const QString& name)
{
    const std::pair<const char*, const rt::Control*> controls[] = {
        {"Command1", &form.Command1}, {"Option1", &form.Option1}, {"Option2", &form.Option2},
        {"Label9", &form.Label9},     {"Label11", &form.Label11},
    };
    for (const auto& [n, c] : controls)
        if (name == QLatin1String(n))
            return *c;
    qFatal("no control %s in this suite", qPrintable(name));
}

// Where the caption is drawn, in the client area's pixels at scale one: an
// option button's text beside its circle, a button's inside its border.
QRect textArea(const QWidget* w)
{
    if (auto* option = qobject_cast<const QRadioButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(option);
        opt.text = option->text();
        return w->style()
            ->subElementRect(QStyle::SE_RadioButtonContents, &opt, w)
            .translated(w->pos());
    }
    if (qobject_cast<const QPushButton*>(w))
        return w->geometry().adjusted(ButtonBorder, ButtonBorder, -ButtonBorder, -ButtonBorder);
    return w->geometry();
}

QColor backgroundOf(const QWidget* w)
{
    // The Start button's face comes from its style sheet, not its palette.
    if (qobject_cast<const QPushButton*>(w))
        return fromBgr(0xFFC0C0);
    return w->palette().color(QPalette::Window);
}

// One round of length one, answered right: the verdict "Правильно" shows.
void showVerdict(Form1& form)
{
    fixture::clickControl(form, form.Command1);
    rt::testing::scriptDraws({rt::Single(0.5 / 8)});
    fixture::presentAll(form);
    fixture::clickSquare(form, 1);
}

} // namespace

class TestScale : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        auto form = fixture::openForm();
        if (rt::testing::widget(*form)->devicePixelRatio() != Scale)
            QFAIL("run with QT_SCALE_FACTOR=2: the window is not scaled");
    }

    void clientAreaIsTwiceItsSize()
    {
        auto form = fixture::openForm();
        QCOMPARE(fixture::clientArea(*form)->size(), QSize(1018, 736));
        QCOMPARE(grabClientArea(*form).size(), QSize(1018 * Scale, 736 * Scale));
    }

    void squaresFillTheirDoubledCells_data()
    {
        QTest::addColumn<QRect>("cell"); // in pixels at scale one
        QTest::addColumn<rt::Long>("colour");
        QTest::newRow("red") << QRect(240, 96, 93, 93) << rt::Long(0x0000FF);
        QTest::newRow("green") << QRect(688, 304, 93, 93) << rt::Long(0x00C000);
        QTest::newRow("purple") << QRect(240, 512, 93, 93) << rt::Long(0xC000C0);
        QTest::newRow("cyan") << QRect(688, 512, 93, 93) << rt::Long(0xFFFF00);
        QTest::newRow("blue") << QRect(464, 512, 93, 93) << rt::Long(0xFF0000);
        QTest::newRow("yellow") << QRect(688, 96, 93, 93) << rt::Long(0x00FFFF);
        QTest::newRow("orange") << QRect(464, 96, 93, 93) << rt::Long(0x0080FF);
        QTest::newRow("light grey") << QRect(240, 304, 93, 93) << rt::Long(0xE0E0E0);
    }

    // Every pixel of the doubled cell has the square's colour, and the
    // window's white starts right outside it: nothing moved, nothing grew.
    void squaresFillTheirDoubledCells()
    {
        QFETCH(QRect, cell);
        QFETCH(rt::Long, colour);
        auto form = fixture::openForm();
        const QImage image = grabClientArea(*form);
        const QRect doubled = scaled(cell);

        QCOMPARE(pixelsUnlike(image, doubled, fromBgr(colour)), 0);
        const QColor white(Qt::white);
        QCOMPARE(image.pixel(doubled.left() - 1, doubled.center().y()), white.rgb());
        QCOMPARE(image.pixel(doubled.right() + 1, doubled.center().y()), white.rgb());
        QCOMPARE(image.pixel(doubled.center().x(), doubled.top() - 1), white.rgb());
        QCOMPARE(image.pixel(doubled.center().x(), doubled.bottom() + 1), white.rgb());
    }

    void textStaysWholeAndInProportion_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("fixed placement") << "Option1";
        QTest::newRow("random placement") << "Option2";
        QTest::newRow("speed caption") << "Label11";
        QTest::newRow("Start") << "Command1";
        QTest::newRow("verdict") << "Label9";
    }

    // The caption's ink is as wide and as tall as the font says, doubled: a
    // clipped caption would come up short, one at the wrong size long.
    void textStaysWholeAndInProportion()
    {
        QFETCH(QString, control);
        auto form = fixture::openForm();
        if (control == QLatin1String("Label9"))
            showVerdict(*form);
        QWidget* w = rt::testing::widget(controlNamed(*form, control));
        QVERIFY(w->isVisible());
        const QString caption = captionOf(w);
        QVERIFY(!caption.isEmpty());

        const QImage image = grabClientArea(*form);
        const QRect ink = inkBox(image, scaled(textArea(w)), backgroundOf(w));
        // The font as the scaled display draws it: twice the pixel size.
        QFont doubled = w->font();
        doubled.setPixelSize(w->font().pixelSize() * Scale);
        const QRect font = QFontMetrics(doubled).tightBoundingRect(caption);
        QVERIFY2(std::abs(ink.width() - font.width()) <= InkTolerance,
                 qPrintable(QStringLiteral("ink %1 px wide, the font's %2 px")
                                .arg(ink.width())
                                .arg(font.width())));
        QVERIFY2(std::abs(ink.height() - font.height()) <= InkTolerance,
                 qPrintable(QStringLiteral("ink %1 px tall, the font's %2 px")
                                .arg(ink.height())
                                .arg(font.height())));
    }
};

TEVALIN_TEST_MAIN(TestScale)
#include "test_scale.moc"
