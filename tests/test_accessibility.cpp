// What assistive technology reads from the window: every control's name, the
// speed in the scroll bar's name and value, and the verdict as it appears.

#include "fixture.h"

#include <QAccessible>
#include <QAccessibleValueInterface>

namespace {

QAccessibleInterface* accessible(const rt::Control& c)
{
    return QAccessible::queryAccessibleInterface(rt::testing::widget(c));
}

QString nameOf(const rt::Control& c)
{
    QAccessibleInterface* iface = accessible(c);
    return iface ? iface->text(QAccessible::Name) : QString();
}

const rt::Control& controlNamed(const Form1& form, const QString& name)
{
    const std::pair<const char*, const rt::Control*> controls[] = {
        {"Command1", &form.Command1}, {"Option1", &form.Option1}, {"Option2", &form.Option2},
        {"Label9", &form.Label9},     {"Label10", &form.Label10}, {"Label11", &form.Label11},
        {"HScroll1", &form.HScroll1},
    };
    for (const auto& [n, c] : controls)
        if (name == QLatin1String(n))
            return *c;
    qFatal("no control %s in this suite", qPrintable(name));
}

// A draw that makes the presentation pick square n.
rt::Single drawFor(int n)
{
    return rt::Single((n - 0.5) / 8);
}

// One round of length one showing square `shown`, answered with `clicked`.
void playRound(Form1& form, int shown, int clicked)
{
    fixture::clickControl(form, form.Command1);
    rt::testing::scriptDraws({drawFor(shown)});
    fixture::presentAll(form);
    fixture::clickSquare(form, clicked);
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void squaresAreNamedByTheirColour_data()
    {
        QTest::addColumn<int>("square");
        QTest::addColumn<QString>("name");
        QTest::newRow("Label1") << 1 << QStringLiteral("красный");
        QTest::newRow("Label2") << 2 << QStringLiteral("зелёный");
        QTest::newRow("Label3") << 3 << QStringLiteral("фиолетовый");
        QTest::newRow("Label4") << 4 << QStringLiteral("голубой");
        QTest::newRow("Label5") << 5 << QStringLiteral("синий");
        QTest::newRow("Label6") << 6 << QStringLiteral("жёлтый");
        QTest::newRow("Label7") << 7 << QStringLiteral("оранжевый");
        QTest::newRow("Label8") << 8 << QStringLiteral("светло-серый");
    }

    void squaresAreNamedByTheirColour()
    {
        QFETCH(int, square);
        QFETCH(QString, name);
        auto form = fixture::openForm();
        QCOMPARE(nameOf(form->Square(rt::Integer(square))), name);
    }

    // The indicator says which colour it shows: its own name and the square's.
    void indicatorNameTellsTheColourShown_data() { squaresAreNamedByTheirColour_data(); }

    void indicatorNameTellsTheColourShown()
    {
        QFETCH(int, square);
        QFETCH(QString, name);
        auto form = fixture::openForm();
        fixture::clickControl(*form, form->Command1);
        rt::testing::scriptDraws({drawFor(square)});
        rt::testing::fireTick(form->Timer1);

        QAccessibleInterface* indicator = accessible(form->Label10);
        QVERIFY(!indicator->state().invisible);
        QCOMPARE(indicator->text(QAccessible::Name), QStringLiteral("Показываемый цвет: ") + name);
    }

    void controlsCarryTheirNameAndRole_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::newRow("Start") << "Command1" << QStringLiteral("Старт") << int(QAccessible::Button);
        QTest::newRow("fixed placement")
            << "Option1" << QStringLiteral("Место показа: фиксированно")
            << int(QAccessible::RadioButton);
        QTest::newRow("random placement") << "Option2" << QStringLiteral("Место показа: случайно")
                                          << int(QAccessible::RadioButton);
        QTest::newRow("indicator")
            << "Label10" << QStringLiteral("Показываемый цвет") << int(QAccessible::StaticText);
        QTest::newRow("speed caption")
            << "Label11" << QStringLiteral("Таймер - 500") << int(QAccessible::StaticText);
        QTest::newRow("verdict before any")
            << "Label9" << QStringLiteral("Результат") << int(QAccessible::StaticText);
        QTest::newRow("speed") << "HScroll1" << QStringLiteral("Время показа цвета: 500 мс")
                               << int(QAccessible::ScrollBar);
    }

    void controlsCarryTheirNameAndRole()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(int, role);
        auto form = fixture::openForm();
        QAccessibleInterface* iface = accessible(controlNamed(*form, control));
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), name);
        QCOMPARE(int(iface->role()), role);
    }

    // A control added to the description without a name shows up here.
    void everyControlOnTheWindowHasAName()
    {
        auto form = fixture::openForm();
        QAccessibleInterface* client =
            QAccessible::queryAccessibleInterface(fixture::clientArea(*form));
        QVERIFY(client);
        QCOMPARE(client->childCount(), 15);
        for (int i = 0; i < client->childCount(); ++i) {
            QAccessibleInterface* child = client->child(i);
            QVERIFY(child);
            QVERIFY2(!child->text(QAccessible::Name).isEmpty(),
                     qPrintable(child->object()->metaObject()->className()));
        }
    }

    void speedNameAndValueFollowTheScrollBar_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("speed");
        QTest::newRow("step right") << int(Qt::Key_Right) << 510;
        QTest::newRow("step left") << int(Qt::Key_Left) << 490;
        QTest::newRow("page right") << int(Qt::Key_PageDown) << 550;
        QTest::newRow("to the end") << int(Qt::Key_End) << 1000;
        QTest::newRow("to the start") << int(Qt::Key_Home) << 50;
    }

    void speedNameAndValueFollowTheScrollBar()
    {
        QFETCH(int, key);
        QFETCH(int, speed);
        auto form = fixture::openForm();
        QTest::keyClick(rt::testing::windowHandle(*form), Qt::Key(key));

        QAccessibleInterface* bar = accessible(form->HScroll1);
        QCOMPARE(bar->text(QAccessible::Name),
                 QStringLiteral("Время показа цвета: %1 мс").arg(speed));
        QVERIFY(bar->valueInterface());
        QCOMPARE(bar->valueInterface()->currentValue().toInt(), speed);
        QCOMPARE(nameOf(form->Label11), QStringLiteral("Таймер - %1").arg(speed));
    }

    void verdictNameIsTheVerdict_data()
    {
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("right square") << 3 << QStringLiteral("Правильно");
        QTest::newRow("wrong square") << 5 << QStringLiteral("Ошибка");
    }

    void verdictNameIsTheVerdict()
    {
        QFETCH(int, clicked);
        QFETCH(QString, verdict);
        auto form = fixture::openForm();
        QAccessibleInterface* label = accessible(form->Label9);
        QVERIFY(label->state().invisible);

        playRound(*form, 3, clicked);
        QCOMPARE(fixture::text(form->Label9.Caption), verdict);
        QCOMPARE(label->text(QAccessible::Name), verdict);
        QVERIFY(!label->state().invisible);
    }

    // The next verdict renames the label again; the name never lags behind.
    void verdictNameFollowsEveryVerdict()
    {
        auto form = fixture::openForm();
        playRound(*form, 2, 2);
        QCOMPARE(nameOf(form->Label9), QStringLiteral("Правильно"));
        rt::testing::fireTick(form->Timer2);
        QVERIFY(accessible(form->Label9)->state().invisible);

        fixture::clickControl(*form, form->Command1);
        rt::testing::scriptDraws({drawFor(6), drawFor(6)});
        fixture::presentAll(*form);
        fixture::clickSquare(*form, 6);
        fixture::clickSquare(*form, 1);
        QCOMPARE(nameOf(form->Label9), QStringLiteral("Ошибка"));
    }
};

TEVALIN_TEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
