// SPDX-License-Identifier: GPL-3.0-or-later
// How the program ends, each case the real program in its own process:
// closing the window (on X11 through the X server, as a window manager does)
// ends it cleanly in every phase; a run-time error in a
// handler shows its message and ends it at once, with nothing run after it.
// The processes run side by side, all started before the first case.

#include <QMap>
#include <QProcess>
#include <QTest>

#include <memory>

namespace {

const char* const Runs[][2] = {
    {"close idle", "reached idle\nexit 0\n"},
    {"close presenting", "reached presenting\nexit 0\n"},
    {"close answering", "reached answering\nexit 0\n"},
    {"close verdict", "reached verdict\nexit 0\n"},
    {"close credit", "reached credit\nexit 0\n"},
    {"error Form_Load", nullptr},
    {"error Form_Click", nullptr},
    {"error Command1_Click", nullptr},
    {"error Label4_Click", nullptr},
    {"error Option2_Click", nullptr},
    {"error HScroll1_Change", nullptr},
    {"error HScroll1_Scroll", nullptr},
    {"error Timer1_Timer", nullptr},
    {"error Timer2_Timer", nullptr},
    {"error mk_Click", nullptr},
    {"oom Label4_Click",
     "raise Label4_Click\nbox: Тевалин|Run-time error '7':  Out of memory\nbeneath: nothing ran\n"},
    {"overflow Command1_Click",
     "box: Тевалин|Run-time error '6':  Overflow\nbeneath: nothing ran\n"},
};

} // namespace

class TestFaultPaths : public QObject
{
    Q_OBJECT

    QMap<QString, std::shared_ptr<QProcess>> runs;

private slots:
    void initTestCase()
    {
        for (const auto& run : Runs) {
            auto p = std::make_shared<QProcess>();
            const QStringList args = QString::fromLatin1(run[0]).split(u' ');
            p->start(QStringLiteral(FAULT_HELPER), args);
            runs.insert(QString::fromLatin1(run[0]), p);
        }
    }

    void endings_data()
    {
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("status");
        for (const auto& [run, output] : Runs) {
            // An error is raised once, shown, and nothing runs beneath the
            // box, neither the rest of the handler nor the program after.
            const QString handler = QString::fromLatin1(run).section(u' ', 1);
            QTest::newRow(run) << QString::fromLatin1(run)
                               << (output ? QString::fromUtf8(output)
                                          : QStringLiteral("raise %1\nbox: Тевалин|Run-time "
                                                           "error '380':  Invalid property "
                                                           "value\nbeneath: nothing ran\n")
                                                .arg(handler))
                               << (QByteArray(run).startsWith("close") ? 0 : 1);
        }
    }
    void endings()
    {
        QFETCH(QString, run);
        QFETCH(QString, output);
        QFETCH(int, status);
        QProcess& p = *runs.value(run);
        if (!p.waitForFinished(30000))
            p.kill();
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), output);
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), status);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(!err.contains(QLatin1String("Sanitizer")) &&
                     !err.contains(QLatin1String("runtime error:")),
                 qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestFaultPaths)
#include "test_fault_paths.moc"
