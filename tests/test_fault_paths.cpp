// How the program ends, each case the real program in its own process:
// closing the window ends it cleanly in every phase; a run-time error in a
// handler shows its message and ends it at once, with nothing run after it.
// The processes run side by side, started before the first case.

#include <QMap>
#include <QProcess>
#include <QTest>

#include <memory>

namespace {

const char* const Phases[] = {"idle", "presenting", "answering", "verdict", "credit"};
const char* const Handlers[] = {
    "Form_Load",       "Form_Click",      "Command1_Click", "Label4_Click", "Option2_Click",
    "HScroll1_Change", "HScroll1_Scroll", "Timer1_Timer",   "Timer2_Timer", "mk_Click"};

} // namespace

class TestFaultPaths : public QObject
{
    Q_OBJECT

    QMap<QString, std::shared_ptr<QProcess>> runs;

    void launch(const QString& program, const QStringList& args)
    {
        auto p = std::make_shared<QProcess>();
        p->start(program, args);
        runs.insert(args.join(u' '), p);
    }

    // The output of a finished run, with its status last.
    QString outputOf(const QString& run)
    {
        QProcess& p = *runs.value(run);
        if (!p.waitForFinished(30000))
            p.kill();
        const QString err = QString::fromUtf8(p.readAllStandardError());
        if (err.contains(QLatin1String("Sanitizer")) ||
            err.contains(QLatin1String("runtime error:")))
            return err;
        return QString::fromUtf8(p.readAllStandardOutput()) +
               QStringLiteral("status %1")
                   .arg(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1);
    }

private slots:
    void initTestCase()
    {
        for (const char* phase : Phases)
            launch(QStringLiteral(FAULT_HELPER),
                   {QStringLiteral("close"), QString::fromLatin1(phase)});
        for (const char* handler : Handlers)
            launch(QStringLiteral(FAULT_HELPER),
                   {QStringLiteral("error"), QString::fromLatin1(handler)});
        launch(QStringLiteral(RUNTIME_ERROR_CHILD), {QStringLiteral("overflow")});
    }

    void closingTheWindowEndsTheProgramCleanly_data()
    {
        QTest::addColumn<QString>("phase");
        for (const char* phase : Phases)
            QTest::newRow(phase) << QString::fromLatin1(phase);
    }
    void closingTheWindowEndsTheProgramCleanly()
    {
        QFETCH(QString, phase);
        const QString out = outputOf(QStringLiteral("close ") + phase);
        QVERIFY2(out.contains(QStringLiteral("reached ") + phase), qPrintable(out));
        QVERIFY2(out.endsWith(QStringLiteral("exit 0\nstatus 0")), qPrintable(out));
    }

    void runTimeErrorInAHandlerEndsTheProgram_data()
    {
        QTest::addColumn<QString>("handler");
        for (const char* handler : Handlers)
            QTest::newRow(handler) << QString::fromLatin1(handler);
    }
    void runTimeErrorInAHandlerEndsTheProgram()
    {
        QFETCH(QString, handler);
        const QString out = outputOf(QStringLiteral("error ") + handler);
        // Raised once, the box shown, nothing beneath it, neither the rest of
        // the handler nor the program after its event loop.
        QVERIFY2(out == QStringLiteral("raise %1\nbox: Тевалин|Run-time error '380':  Invalid "
                                       "property value\nbeneath: nothing ran\nstatus 1")
                            .arg(handler),
                 qPrintable(out));
    }

    // A player at the longest sequence there is: the next Start overflows.
    void overflowShowsTheErrorAndEndsTheProgram()
    {
        const QString out = outputOf(QStringLiteral("overflow"));
        QVERIFY2(out == QStringLiteral("Тевалин|Run-time error '6':\n\nOverflow|3\nstatus 1"),
                 qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestFaultPaths)
#include "test_fault_paths.moc"
