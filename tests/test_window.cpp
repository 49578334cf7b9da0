// The window as designed: what it shows, in what font, and where clicks go.

#include "fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QMenuBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace {

struct Square
{
    const char* name;
    QRgb colour;
};

QColor fromBgr(rt::Long bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The control's rectangle in client pixels, straight from its twips.
QRect twipRect(double left, double top, double width, double height)
{
    return QRect(int(left / 15), int(top / 15), int(width / 15), int(height / 15));
}

const rt::ControlDescription& designOf(const char* name)
{
    for (const auto& c : Form1::description().controls)
        if (c.name == name)
            return c;
    qFatal("no control %s", name);
}

QRect designRect(const char* name)
{
    const auto& c = designOf(name);
    return twipRect(c.left, c.top, c.width, c.height);
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;
    QImage shot;

private slots:
    void init()
    {
        form = fixture::openForm();
        shot = fixture::clientArea(*form)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    void cleanup() { form.reset(); }

    void windowIsTitledFixedAndSized()
    {
        auto* window = static_cast<QMainWindow*>(rt::testing::widget(*form));
        QCOMPARE(window->windowTitle(), QStringLiteral("Тевалин"));
        QCOMPARE(fixture::clientArea(*form)->size(), QSize(1018, 736));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Тевалин"));
        QCOMPARE(QApplication::applicationVersion(), QStringLiteral("1.00"));
        const QIcon icon = window->windowIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.availableSizes().value(0), QSize(48, 48));
    }

    void outerSizeIsTheFrameInTwips()
    {
        const QRect frame = rt::testing::widget(*form)->frameGeometry();
        QCOMPARE(rt::Single(form->Width), rt::Single(frame.width() * 15));
        QCOMPARE(rt::Single(form->Height), rt::Single(frame.height() * 15));
        QVERIFY(rt::Single(form->Height) > 11040);
    }

    void menuBarHasOneCommandWithoutDropDown()
    {
        auto* window = static_cast<QMainWindow*>(rt::testing::widget(*form));
        const QList<QAction*> actions = window->menuBar()->actions();
        QCOMPARE(actions.size(), 1);
        QCOMPARE(actions[0]->text(), QStringLiteral("Разработчик"));
        QVERIFY(!actions[0]->menu());
    }

    void squaresHaveTheirColourOverTheirWholeRectangle_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        const Square squares[] = {{"Label1", 0xFF0000}, {"Label2", 0x00C000}, {"Label3", 0xC000C0},
                                  {"Label4", 0x00FFFF}, {"Label5", 0x0000FF}, {"Label6", 0xFFFF00},
                                  {"Label7", 0xFF8000}, {"Label8", 0xE0E0E0}};
        for (const Square& s : squares)
            QTest::newRow(s.name) << QString::fromLatin1(s.name) << QColor(s.colour);
    }
    void squaresHaveTheirColourOverTheirWholeRectangle()
    {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        const QRect r = designRect(name.toLatin1().constData());
        QCOMPARE(r.size(), QSize(93, 93));
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (shot.pixelColor(x, y) != colour)
                    QFAIL(qPrintable(QStringLiteral("%1 at (%2, %3) is %4")
                                         .arg(name)
                                         .arg(x)
                                         .arg(y)
                                         .arg(shot.pixelColor(x, y).name())));
        // And not a pixel more.
        QVERIFY(shot.pixelColor(r.left() - 1, r.top()) != colour);
        QVERIFY(shot.pixelColor(r.right() + 1, r.bottom()) != colour);
        QVERIFY(shot.pixelColor(r.left(), r.bottom() + 1) != colour);
    }

    void startButtonFaceIsSolidLightBlue()
    {
        const QRect r = designRect("Command1");
        QCOMPARE(r, QRect(464, 304, 93, 93));
        const QColor face = fromBgr(0xFFC0C0);
        // Bands along the edges, inside the border, clear of the caption.
        const QRect bands[] = {
            QRect(r.left() + 2, r.top() + 2, 89, 18), QRect(r.left() + 2, r.bottom() - 19, 89, 18),
            QRect(r.left() + 2, r.top() + 2, 6, 89), QRect(r.right() - 7, r.top() + 2, 6, 89)};
        for (const QRect& band : bands)
            for (int y = band.top(); y <= band.bottom(); ++y)
                for (int x = band.left(); x <= band.right(); ++x)
                    QCOMPARE(shot.pixelColor(x, y), face);
    }

    void restOfTheWindowIsWhite()
    {
        QRegion controls;
        for (const auto& c : Form1::description().controls)
            if (c.visible && c.kind != rt::Kind::Timer)
                controls += twipRect(c.left, c.top, c.width, c.height);
        // Controls on a white ground show white around their text.
        for (const char* name : {"Option1", "Option2", "Label11"})
            QVERIFY(shot.pixelColor(designRect(name).bottomRight() - QPoint(1, 1)) == Qt::white);
        int wrong = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (!controls.contains(QPoint(x, y)) && shot.pixelColor(x, y) != Qt::white)
                    ++wrong;
        QCOMPARE(wrong, 0);
    }

    void textsUseTahomaAtTheirPixelSizes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("Option1") << "Option1" << 24;
        QTest::newRow("Option2") << "Option2" << 24;
        QTest::newRow("Label11") << "Label11" << 24;
        QTest::newRow("Command1") << "Command1" << 29;
        QTest::newRow("Label9") << "Label9" << 37;
    }
    void textsUseTahomaAtTheirPixelSizes()
    {
        QFETCH(QString, name);
        QFETCH(int, pixelSize);
        QWidget* w = widgetNamed(name);
        const QFontInfo info(w->font());
        QCOMPARE(info.pixelSize(), pixelSize);
        QVERIFY(!info.italic());
        QCOMPARE(info.weight(), int(QFont::Normal));
        if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")))
            QCOMPARE(info.family(), QStringLiteral("Tahoma"));
    }

    void everyCaptionFitsItsControl_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("fixed") << "Option1"
                               << "Фиксированно";
        QTest::newRow("random") << "Option2"
                                << "Случайно";
        QTest::newRow("slowest speed") << "Label11"
                                       << "Таймер - 1000";
        QTest::newRow("start") << "Command1"
                               << "Старт";
        QTest::newRow("correct") << "Label9"
                                 << "Правильно";
        QTest::newRow("wrong") << "Label9"
                               << "Ошибка";
    }
    void everyCaptionFitsItsControl()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QWidget* w = widgetNamed(name);
        const QFontMetrics fm(w->font());
        int room = w->width();
        if (auto* option = qobject_cast<QRadioButton*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(option);
            room -= w->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, &opt, w) +
                    w->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &opt, w);
        }
        QVERIFY2(fm.horizontalAdvance(caption) <= room,
                 qPrintable(QStringLiteral("%1 px of text for %2 px of room in %3")
                                .arg(fm.horizontalAdvance(caption))
                                .arg(room)
                                .arg(QFontInfo(w->font()).family())));
        QVERIFY(fm.height() <= w->height());
    }

    void speedScrollBarHoldsTheFocus()
    {
        QCOMPARE(QApplication::focusWidget(), rt::testing::widget(form->HScroll1));
    }

    void startsIdleWithIndicatorAndVerdictHidden()
    {
        QVERIFY(form->Command1.Visible == rt::True);
        QVERIFY(form->Label10.Visible == rt::False);
        QVERIFY(form->Label9.Visible == rt::False);
        QVERIFY(!rt::testing::isRunning(form->Timer1));
        QVERIFY(!rt::testing::isRunning(form->Timer2));
        QCOMPARE(form->SeqLength, rt::Integer(0));
    }

    // Answering, where a click that reaches the window forfeits the round.
    void clicksReachTheWindowOnlyThroughBareOrHiddenPlaces_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("forfeits");
        QTest::newRow("speed caption swallows") << designRect("Label11").center() << false;
        QTest::newRow("option's blank end selects it") << QPoint(200, 22) << false;
        QTest::newRow("hidden Start lets through") << designRect("Command1").center() << true;
        QTest::newRow("between squares") << QPoint(400, 250) << true;
        QTest::newRow("band below the grid") << QPoint(509, 700) << true;
    }
    void clicksReachTheWindowOnlyThroughBareOrHiddenPlaces()
    {
        QFETCH(QPoint, at);
        QFETCH(bool, forfeits);
        fixture::clickControl(*form, form->Command1);
        fixture::presentAll(*form);
        QVERIFY(form->Label1.Visible == rt::True);
        fixture::clickAt(*form, at);
        QCOMPARE(form->Command1.Visible == rt::True, forfeits);
        QCOMPARE(form->SeqLength, rt::Integer(forfeits ? 0 : 1));
    }

    void optionButtonReactsAnywhereInItsRectangle()
    {
        const QRect r = designRect("Option2");
        fixture::clickAt(*form, QPoint(r.right() - 2, r.center().y()));
        QVERIFY(form->Option2.Value == rt::True);
        QVERIFY(form->Option1.Value == rt::False);
        QCOMPARE(form->RandomMode, rt::True);
    }

private:
    QWidget* widgetNamed(const QString& name)
    {
        rt::Control* controls[] = {&form->Option1, &form->Option2, &form->Label11, &form->Command1,
                                   &form->Label9};
        const char* names[] = {"Option1", "Option2", "Label11", "Command1", "Label9"};
        for (int i = 0; i < 5; ++i)
            if (name == QLatin1String(names[i]))
                return rt::testing::widget(*controls[i]);
        qFatal("no widget");
    }
};

TEVALIN_TEST_MAIN(TestWindow)
#include "test_window.moc"
