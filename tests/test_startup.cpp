// SPDX-License-Identifier: GPL-3.0-or-later
// How the real program ends when it cannot open its window or keep it: it
// says what failed on standard error, ends with the status its manual page
// gives, and never hangs. Each case starts the program in a process of its
// own; none depends on the display the suite runs on.

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

namespace {

// The manual page's exit statuses.
constexpr int RuntimeError = 1, NoWindow = 2, DisplayLost = 3;

// Generous: the program either ends long before this or hangs for ever.
constexpr int BoundMs = 60000;

// In the child: threads cannot be created, everything else can. Every
// thread's stack is reserved at the stack limit's size, 1 GiB, which the
// address-space limit (ulimit -v) cannot hold; the program itself needs far
// less. Qt waits for threads it could not start: without its own check the
// program would hang here.
void noThreads()
{
    constexpr rlim_t MiB = rlim_t{1024} * 1024;
    const rlimit stack{1024 * MiB, RLIM_INFINITY}, space{640 * MiB, 640 * MiB};
    setrlimit(RLIMIT_STACK, &stack);
    setrlimit(RLIMIT_AS, &space);
}

// The program, in the suite's environment changed by "NAME=value" and "NAME"
// (removed); started, not yet finished.
void start(QProcess& program, const QStringList& changes, bool threads = true)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& c : changes) {
        const qsizetype eq = c.indexOf(u'=');
        eq < 0 ? env.remove(c) : env.insert(c.left(eq), c.mid(eq + 1));
    }
    program.setProcessEnvironment(env);
    if (!threads)
        program.setChildProcessModifier(noThreads);
    program.start(QStringLiteral(TEVALIN_PROGRAM), {});
}

// Its status (-1 when it hung and was killed, -2 when it crashed) and what it said.
std::pair<int, QString> finish(QProcess& program)
{
    const bool hung = !program.waitForFinished(BoundMs);
    if (hung) {
        program.kill();
        program.waitForFinished();
    }
    const int status = hung                                           ? -1
                       : program.exitStatus() == QProcess::NormalExit ? program.exitCode()
                                                                      : -2;
    return {status, QString::fromLocal8Bit(program.readAllStandardError())};
}

QString xwininfo(const QString& display, QStringList args)
{
    QProcess info;
    info.start(QStringLiteral("xwininfo"), args << QStringLiteral("-display") << display);
    info.waitForFinished(BoundMs);
    return QString::fromLocal8Bit(info.readAllStandardOutput());
}

// Whether a window with a class (a program's top-level window) is mapped.
bool windowViewable(const QString& display)
{
    static const QRegularExpression topLevel(QStringLiteral("^\\s+(0x[0-9a-f]+) .*: \\(\""),
                                             QRegularExpression::MultilineOption);
    const QString tree = xwininfo(display, {QStringLiteral("-root"), QStringLiteral("-children")});
    for (auto it = topLevel.globalMatch(tree); it.hasNext();)
        if (xwininfo(display, {QStringLiteral("-id"), it.next().captured(1)})
                .contains(QLatin1String("IsViewable")))
            return true;
    return false;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void failureSaysWhatFailed_data()
    {
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<bool>("threads");
        QTest::addColumn<QStringList>("said");
        const QString platform =
            qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
        QTest::newRow("platform that does not exist")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=bogus")} << true
            << QStringList{QStringLiteral("cannot open a window (platform bogus,"),
                           QStringLiteral("Could not find the Qt platform plugin \"bogus\"")};
        QTest::newRow("X display that does not answer")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=:65431"),
                           QStringLiteral("XAUTHORITY=/nonexistent")}
            << true
            << QStringList{QStringLiteral("cannot open a window (platform xcb, DISPLAY :65431,"),
                           QStringLiteral("could not connect to display :65431")};
        QTest::newRow("Wayland display that does not answer")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=wayland"),
                           QStringLiteral("WAYLAND_DISPLAY=tevalin-test-no-compositor")}
            << true
            << QStringList{QStringLiteral("cannot open a window (platform wayland,"),
                           QStringLiteral("WAYLAND_DISPLAY tevalin-test-no-compositor)"),
                           QStringLiteral("Qt said:")};
        QTest::newRow("no display named")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"),
                           QStringLiteral("WAYLAND_DISPLAY")}
            << true
            << QStringList{QStringLiteral("cannot open a window: no display is set (neither "
                                          "DISPLAY nor WAYLAND_DISPLAY)")};
#if !defined(__SANITIZE_ADDRESS__) // it cannot run under an address-space limit
        QTest::newRow("threads refused")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=") + platform} << false
            << QStringList{QStringLiteral("Qt could not create a thread"),
                           QStringLiteral("ulimit -v")};
#endif
    }
    void failureSaysWhatFailed()
    {
        QFETCH(QStringList, changes);
        QFETCH(bool, threads);
        QFETCH(QStringList, said);
        QProcess program;
        start(program, changes, threads);
        const auto [status, err] = finish(program);
        const QString explain = QStringLiteral("status %1, stderr:\n%2").arg(status).arg(err);
        // Refused threads: before the window is up it cannot open one; after, it cannot go on.
        QVERIFY2(status == NoWindow || (!threads && status == RuntimeError), qPrintable(explain));
        for (const QString& s : said)
            QVERIFY2(err.contains(s), qPrintable(QStringLiteral("no \"%1\" in ").arg(s) + explain));
        // The guess it used to make for every failure.
        QVERIFY2(!err.contains(QLatin1String("no display could be reached")), qPrintable(explain));
    }

    void displayGoingAwayHasItsOwnStatus()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
            QSKIP("needs Xvfb and xwininfo (scripts/setup test installs them)");
        // A private X server, on a display it chooses itself.
        QProcess server;
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QDeadlineTimer deadline(BoundMs);
        while (!server.canReadLine() && server.waitForStarted(BoundMs) &&
               server.state() == QProcess::Running && !deadline.hasExpired())
            server.waitForReadyRead(100);
        const QString display = QLatin1Char(':') + QString::fromLatin1(server.readLine()).trimmed();
        QVERIFY2(display.size() > 1, "Xvfb did not start");

        QTemporaryDir runtime;
        QProcess program;
        start(program, {QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=") + display,
                        QStringLiteral("WAYLAND_DISPLAY"),
                        QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()});
        while (!windowViewable(display) && program.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            QTest::qWait(20);
        const bool viewable = windowViewable(display);
        server.terminate();
        if (!server.waitForFinished(BoundMs))
            server.kill();
        const auto [status, err] = finish(program);
        const QString explain = QStringLiteral("status %1, stderr:\n%2").arg(status).arg(err);
        QVERIFY2(viewable, qPrintable(explain));
        QCOMPARE(status, DisplayLost);
        QVERIFY2(
            err.contains(QStringLiteral("the display went away (platform xcb, DISPLAY ") + display),
            qPrintable(explain));
        QVERIFY2(err.contains(QLatin1String("The X11 connection broke")), qPrintable(explain));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
