// How the program ends: closing the window ends it cleanly in every phase; a
// run-time error in any handler shows its message and ends it at once, with
// nothing running after it. Each case is the real program in its own process
// (tests/fault_helper.cpp).

#include <QProcess>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runHelper(const QStringList& args)
{
    QProcess helper;
    helper.start(QStringLiteral(FAULT_HELPER), args);
    Run r;
    if (!helper.waitForFinished(60000)) {
        helper.kill();
        helper.waitForFinished();
        r.err = QStringLiteral("the helper did not end");
        return r;
    }
    r.out = QString::fromUtf8(helper.readAllStandardOutput());
    r.err = QString::fromUtf8(helper.readAllStandardError());
    r.status = helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -2;
    return r;
}

QString explain(const Run& r)
{
    return QStringLiteral("status %1\nstdout:\n%2\nstderr:\n%3").arg(r.status).arg(r.out, r.err);
}

bool sanitizerSpoke(const Run& r)
{
    return r.err.contains(QStringLiteral("Sanitizer")) ||
           r.err.contains(QStringLiteral("runtime error:"));
}

} // namespace

class TestFaultPaths : public QObject
{
    Q_OBJECT

private slots:
    void closingTheWindowEndsTheProgramCleanly_data()
    {
        QTest::addColumn<QString>("phase");
        for (const char* phase : {"idle", "presenting", "answering", "verdict", "credit"})
            QTest::newRow(phase) << QString::fromLatin1(phase);
    }

    void closingTheWindowEndsTheProgramCleanly()
    {
        QFETCH(QString, phase);
        const Run r = runHelper({QStringLiteral("close"), phase});
        QVERIFY2(r.out.contains(QStringLiteral("reached ") + phase), qPrintable(explain(r)));
        QVERIFY2(r.status == 0, qPrintable(explain(r)));
        QVERIFY2(r.out.endsWith(QStringLiteral("exit 0\n")), qPrintable(explain(r)));
        QVERIFY2(!sanitizerSpoke(r), qPrintable(explain(r)));
    }

    void runTimeErrorInAnyHandlerEndsTheProgram_data()
    {
        QTest::addColumn<QString>("handler");
        for (const char* h :
             {"Form_Load", "Form_Click", "Command1_Click", "Label1_Click", "Label2_Click",
              "Label3_Click", "Label4_Click", "Label5_Click", "Label6_Click", "Label7_Click",
              "Label8_Click", "Option1_Click", "Option2_Click", "HScroll1_Change",
              "HScroll1_Scroll", "Timer1_Timer", "Timer2_Timer", "mk_Click"})
            QTest::newRow(h) << QString::fromLatin1(h);
    }

    void runTimeErrorInAnyHandlerEndsTheProgram()
    {
        QFETCH(QString, handler);
        const Run r = runHelper({QStringLiteral("error"), handler});
        const QString raised = QStringLiteral("raise ") + handler + QLatin1Char('\n');
        // Raised once: a timer ticking beneath the box never reaches a handler.
        QVERIFY2(r.out.count(raised) == 1, qPrintable(explain(r)));
        QVERIFY2(r.out.contains(QStringLiteral(
                     "box: Тевалин|Run-time error '380':  Invalid property value\n")),
                 qPrintable(explain(r)));
        QVERIFY2(r.out.contains(QStringLiteral("beneath: nothing ran\n")), qPrintable(explain(r)));
        QVERIFY2(r.status == 1, qPrintable(explain(r)));
        // Neither the rest of the handler nor the program after its event loop.
        QVERIFY2(!r.out.contains(QStringLiteral("ran on")), qPrintable(explain(r)));
        QVERIFY2(!r.out.contains(QStringLiteral("exit ")), qPrintable(explain(r)));
        QVERIFY2(!sanitizerSpoke(r), qPrintable(explain(r)));
    }
};

QTEST_GUILESS_MAIN(TestFaultPaths)
#include "test_fault_paths.moc"
