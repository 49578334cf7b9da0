// SPDX-License-Identifier: GPL-3.0-or-later
// What assistive technology is told of the window: the squares as buttons
// that the press action and their keys click, and, while a screen reader
// listens (an AT-SPI bus: scripts/test-orca), each colour and the verdict as
// notifications once they are set, and a control's visibility in full.

#include "fixture.h"

#include <QAccessible>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QRegularExpression>

using fixture::Phase;

#define SKIP_UNLESS_LISTENED()                                                                     \
    if (!QAccessible::isActive())                                                                  \
    QSKIP("no assistive technology listens: run over an AT-SPI bus (scripts/test-orca)")

namespace {

QAccessibleInterface* face(const rt::Control& c)
{
    return QAccessible::queryAccessibleInterface(rt::testing::widget(c));
}

QString path(const rt::Control& c)
{
    return QStringLiteral("/org/a11y/atspi/accessible/%1").arg(QAccessible::uniqueId(face(c)));
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;
    QStringList told;                // "<event> <control>: <name>" as passed to Qt's bridge
    QMap<QString, QList<int>> shown; // path: the "visible" values sent, in order

    void tick() { rt::testing::fireTick(form->Timer1); }

public slots:
    void stateChanged(const QDBusMessage& m)
    {
        const QVariantList a = m.arguments();
        if (a.value(0).toString() == QLatin1String("visible"))
            shown[m.path()] << a.value(1).toInt();
    }

private slots:
    void initTestCase()
    {
        // The bridge starts once the session's accessibility bus answers.
        if (qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
            QVERIFY(QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000));
    }
    void init()
    {
        form = fixture::openForm();
        told.clear();
        const QWidget* watched[] = {rt::testing::widget(form->Label9),
                                    rt::testing::widget(form->Label10)};
        rt::testing::setAccessibilityProbe([this, watched](QAccessibleEvent* e) {
            const auto kind = e->type() == QAccessible::ObjectShow   ? "shown"
                              : e->type() == QAccessible::ObjectHide ? "hidden"
                                                                     : nullptr;
            for (const QWidget* w : watched)
                if (kind && e->object() == w)
                    told << QStringLiteral("%1 %2: %3")
                                .arg(QLatin1String(kind), w == watched[0] ? "Label9" : "Label10",
                                     e->accessibleInterface()->text(QAccessible::Name));
        });
    }
    void cleanup()
    {
        rt::testing::setAccessibilityProbe({});
        form.reset();
        QCOMPARE(fixture::drawsLeftOver(), std::size_t(0));
    }

    // Orca 51 keeps its settings for an application under the application's
    // name, all but a-z, 0-9 and - dropped, and ignores one whose name leaves
    // nothing: a Cyrillic name silenced the game.
    void theApplicationHasANameScreenReadersKeep()
    {
        const QString name = QAccessible::queryAccessibleInterface(qApp)->text(QAccessible::Name);
        QVERIFY2(QRegularExpression(QStringLiteral("^[a-z0-9-]+$")).match(name).hasMatch(),
                 qPrintable(name));
    }

    // Announced as buttons that press, with their key, though Tab passes
    // them by; the press action is a click, so a hidden square takes none,
    // nor one under a modal box.
    void squaresAreButtons()
    {
        for (int n = 1; n <= 8; ++n) {
            QAccessibleInterface* square = face(form->Square(n));
            QCOMPARE(square->role(), QAccessible::Button);
            QCOMPARE(square->text(QAccessible::Description), QStringLiteral("Клавиша %1").arg(n));
            QAccessibleActionInterface* actions = square->actionInterface();
            QVERIFY(actions);
            QCOMPARE(actions->actionNames(),
                     QStringList{QAccessibleActionInterface::pressAction()});
            QCOMPARE(actions->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
                     QStringList{QString::number(n)});
            QVERIFY(!square->state().focusable);
        }
        for (const rt::Control* c : {&form->Label9, &form->Label10})
            QCOMPARE(face(*c)->role(), QAccessible::Notification);
        QCOMPARE(face(form->Label11)->role(), QAccessible::StaticText);

        const QString press = QAccessibleActionInterface::pressAction();
        fixture::bringTo(*form, Phase::Presenting);
        face(form->Label2)->actionInterface()->doAction(press);
        QCOMPARE(fixture::text(form->EnteredSeq), QString());
        fixture::presentAll(*form);
        face(form->Label2)->actionInterface()->doAction(press);
        QCOMPARE(fixture::text(form->EnteredSeq), QStringLiteral("2"));
        // Nor does a square take one while the credit box holds the window.
        const fixture::BoxCloser closer(
            [&](QWidget*) { face(form->Label7)->actionInterface()->doAction(press); });
        fixture::clickCredit(*form);
        QCOMPARE(fixture::text(form->EnteredSeq), QStringLiteral("2"));
    }

    // Two rounds: every colour told as it shows, a repeated one again, then
    // the verdict with its own word, never the one before.
    void aRoundIsTold()
    {
        SKIP_UNLESS_LISTENED();
        fixture::start(*form, QStringLiteral("2"));
        fixture::presentAll(*form);
        fixture::answer(*form, QStringLiteral("2"));
        rt::testing::fireTick(form->Timer2);
        QCOMPARE(told, (QStringList{"shown Label10: Показываемый цвет: зелёный",
                                    "hidden Label10: Показываемый цвет: зелёный",
                                    "shown Label9: Правильно", "hidden Label9: Правильно"}));

        told.clear();
        fixture::start(*form, QStringLiteral("552"));
        for (int i = 0; i < 5; ++i)
            tick();
        fixture::answer(*form, QStringLiteral("525"));
        QCOMPARE(told, (QStringList{"shown Label10: Показываемый цвет: синий",
                                    "shown Label10: Показываемый цвет: синий",
                                    "shown Label10: Показываемый цвет: зелёный",
                                    "hidden Label10: Показываемый цвет: зелёный",
                                    "shown Label9: Ошибка"}));
        rt::testing::fireTick(form->Timer2);
    }

    // The round goes on beneath the credit box, and is told as it goes, not
    // once the box closes: the box's loop is a level of its own.
    void aRoundIsToldUnderTheCredit()
    {
        SKIP_UNLESS_LISTENED();
        fixture::start(*form, QStringLiteral("25"));
        QStringList underTheBox;
        const fixture::BoxCloser closer([&](QWidget*) {
            for (int i = 0; i < 3; ++i)
                tick();
            underTheBox = told;
        });
        fixture::clickCredit(*form);
        QCOMPARE(underTheBox, (QStringList{"shown Label10: Показываемый цвет: зелёный",
                                           "shown Label10: Показываемый цвет: синий",
                                           "hidden Label10: Показываемый цвет: синий"}));
        QCOMPARE(told, underTheBox);
        // And once it is closed, as before it opened.
        fixture::presentAll(*form);
        fixture::answer(*form, QStringLiteral("25"));
        QCOMPARE(told.last(), QStringLiteral("shown Label9: Правильно"));
        rt::testing::fireTick(form->Timer2);
    }

    // A round started from the keyboard is heard alone: from Space on Start
    // to the verdict no control with a name takes the focus, which a screen
    // reader would speak among the colours; once the verdict goes, Start
    // takes it back.
    void nothingButTheRoundIsFocused_data()
    {
        QTest::addColumn<bool>("random");
        QTest::newRow("fixed") << false;
        QTest::newRow("random") << true;
    }
    void nothingButTheRoundIsFocused()
    {
        SKIP_UNLESS_LISTENED();
        QFETCH(bool, random);
        QWidget* window = rt::testing::widget(*form);
        QWindow* keys = rt::testing::windowHandle(*form);
        ACTIVATE_OR_SKIP(window);
        form->Option2.Value = random ? rt::True : rt::False;
        QWidget* start = rt::testing::widget(form->Command1);
        for (int i = 0; i < 3 && window->focusWidget() != start; ++i)
            QTest::keyClick(keys, Qt::Key_Tab);
        QCOMPARE(window->focusWidget(), start);

        QStringList focused; // the names, in order
        rt::testing::setAccessibilityProbe([&focused](QAccessibleEvent* e) {
            const QString name = e->accessibleInterface()->text(QAccessible::Name);
            if (e->type() == QAccessible::Focus && !name.isEmpty())
                focused << name;
        });
        rt::testing::scriptDraws({fixture::drawFor(2), fixture::drawFor(5)});
        form->SeqLength = 1;
        QTest::keyClick(keys, Qt::Key_Space);
        QCOMPARE(fixture::phaseOf(*form), Phase::Presenting);
        fixture::presentAll(*form);
        fixture::answer(*form, QStringLiteral("25"));
        QCOMPARE(focused.join(u'|'), QString());
        rt::testing::fireTick(form->Timer2);
        QCOMPARE(focused.join(u'|'), QStringLiteral("Старт"));
    }

    // A control that hides or shows is told as neither, or both, showing and
    // visible: Qt tells "showing", the runtime "visible", on the bridge's
    // own connection and path.
    void visibilityIsToldInFull()
    {
        SKIP_UNLESS_LISTENED();
        QDBusConnection bus(QStringLiteral("a11y"));
        QVERIFY(bus.isConnected());
        QVERIFY(bus.connect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"),
                            QStringLiteral("StateChanged"), this,
                            SLOT(stateChanged(QDBusMessage))));
        shown.clear();
        fixture::start(*form, QStringLiteral("7"));
        fixture::presentAll(*form);
        fixture::clickAt(*form, fixture::BareSpot); // a forfeit: Start shows again
        for (int n = 1; n <= 8; ++n)
            QTRY_COMPARE(shown.value(path(form->Square(n))), (QList<int>{0, 1}));
        QTRY_COMPARE(shown.value(path(form->Command1)), (QList<int>{0, 1}));
        QTRY_COMPARE(shown.value(path(form->Label10)), (QList<int>{1, 0}));
        bus.disconnect(QString(), QString(), QStringLiteral("org.a11y.atspi.Event.Object"),
                       QStringLiteral("StateChanged"), this, SLOT(stateChanged(QDBusMessage)));
    }
};

TEVALIN_TEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
