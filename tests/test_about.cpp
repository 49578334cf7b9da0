// The author credit: its exact texts, and that it changes nothing.

#include "fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

namespace {

float drawFor(int n)
{
    return (n - 1 + 0.5f) / 8;
}

struct Box
{
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool modal = false;
};

QString number(rt::Integer i)
{
    return QString::number(i.value());
}

// Everything the credit must leave as it was.
QString snapshot(Form1& f)
{
    QStringList s;
    s << number(f.TickCount) << number(f.SeqLength) << number(f.Pick) << number(f.ClickCount)
      << fixture::text(f.ShownSeq) << fixture::text(f.EnteredSeq) << number(f.RandomMode)
      << fixture::text(f.Label9.Caption) << number(f.HScroll1.Value) << number(f.Option1.Value)
      << QString::number(rt::testing::isRunning(f.Timer1))
      << QString::number(rt::testing::isRunning(f.Timer2))
      << QString::number(rt::Long(f.Timer1.Interval));
    for (int n = 1; n <= 8; ++n)
        s << number(f.Square(n).Visible);
    s << number(f.Command1.Visible) << number(f.Label9.Visible) << number(f.Label10.Visible)
      << number(f.HScroll1.Visible);
    return s.join(u',');
}

} // namespace

class TestAbout : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;

    // Chooses the menu command with the mouse; the box is read and closed
    // from inside its own event loop.
    Box chooseCredit()
    {
        Box seen;
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen = {box->windowTitle(), box->text(), box->icon(), int(box->buttons().size()),
                    box->isModal()};
            box->buttons().value(0)->click();
        });
        auto* window = static_cast<QMainWindow*>(rt::testing::widget(*form));
        QMenuBar* bar = window->menuBar();
        const QPoint at = bar->mapTo(window, bar->actionGeometry(bar->actions()[0]).center());
        QTest::mouseClick(rt::testing::windowHandle(*form), Qt::LeftButton, {}, at);
        return seen;
    }

private slots:
    void init() { form = fixture::openForm(); }
    void cleanup() { form.reset(); }

    void creditShowsTheAuthorWithItsExactTexts()
    {
        const Box box = chooseCredit();
        QCOMPARE(box.title, QStringLiteral("Разработчик "));
        QCOMPARE(box.text, QStringLiteral("Kelvaro   < 7 ноября 2004 года >"));
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, 1);
        QVERIFY(box.modal);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void creditChangesNothingInAnyPhase_data()
    {
        QTest::addColumn<QString>("phase");
        for (const char* phase : {"idle", "presenting", "answering", "verdict"})
            QTest::newRow(phase) << QString::fromLatin1(phase);
    }
    void creditChangesNothingInAnyPhase()
    {
        QFETCH(QString, phase);
        if (phase != QLatin1String("idle")) {
            rt::testing::scriptDraws({drawFor(4), drawFor(1)});
            form->SeqLength = 1;
            fixture::clickControl(*form, form->Command1);
            rt::testing::fireTick(form->Timer1);
        }
        if (phase == QLatin1String("answering") || phase == QLatin1String("verdict"))
            fixture::presentAll(*form);
        if (phase == QLatin1String("verdict")) {
            fixture::clickSquare(*form, 4);
            fixture::clickSquare(*form, 1);
        }
        const QString before = snapshot(*form);
        QCOMPARE(chooseCredit().title, QStringLiteral("Разработчик "));
        QCOMPARE(snapshot(*form), before);
        if (phase == QLatin1String("presenting"))
            fixture::presentAll(*form);
    }
};

TEVALIN_TEST_MAIN(TestAbout)
#include "test_about.moc"
