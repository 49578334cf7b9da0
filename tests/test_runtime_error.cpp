// A run-time error in a handler shows its message and ends the program.

#include <QProcess>
#include <QTest>

class TestRuntimeError : public QObject
{
    Q_OBJECT

private slots:
    void overflowInAHandlerShowsTheErrorAndEndsTheProgram()
    {
        QProcess child;
        child.start(QStringLiteral(RUNTIME_ERROR_CHILD), {});
        QVERIFY(child.waitForFinished(30000));
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 1);
        QVERIFY2(out.contains(QStringLiteral("Тевалин|Run-time error '6':\n\nOverflow|3")),
                 qPrintable(out));
        QVERIFY2(!out.contains(QStringLiteral("still running")), qPrintable(out));
    }
};

QTEST_GUILESS_MAIN(TestRuntimeError)
#include "test_runtime_error.moc"
