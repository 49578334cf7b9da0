// How the real program ends when it cannot open its window or keep it: it
// says what failed on standard error and ends with the status its manual
// page gives, and it never hangs. Each case starts the program in its own
// process; none depends on the display the suite runs on.

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <functional>

namespace {

// The manual page's exit statuses.
constexpr int RuntimeError = 1;
constexpr int NoWindow = 2;
constexpr int DisplayLost = 3;

// Generous: the program either ends long before this or hangs for ever.
constexpr int BoundMs = 60000;

struct Run
{
    int status = -1;
    QString err;
    bool hung = false;
};

QString explain(const Run& r)
{
    return QStringLiteral("status %1%2\nstderr:\n%3")
        .arg(r.status)
        .arg(r.hung ? QStringLiteral(" (hung: killed)") : QString())
        .arg(r.err);
}

// The program's environment: the suite's, changed by "NAME=value" and "NAME"
// (removed).
QProcessEnvironment environment(const QStringList& changes)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& c : changes) {
        const qsizetype eq = c.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(c);
        else
            env.insert(c.left(eq), c.mid(eq + 1));
    }
    return env;
}

Run finish(QProcess& program)
{
    Run r;
    if (!program.waitForFinished(BoundMs)) {
        r.hung = true;
        program.kill();
        program.waitForFinished();
    }
    r.err = QString::fromLocal8Bit(program.readAllStandardError());
    r.status = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    return r;
}

Run runProgram(const QStringList& changes, const std::function<void()>& inChild = {})
{
    QProcess program;
    program.setProcessEnvironment(environment(changes));
    if (inChild)
        program.setChildProcessModifier(inChild);
    program.start(QStringLiteral(TEVALIN_PROGRAM), {});
    return finish(program);
}

// In the child: threads cannot be created, everything else can. Every
// thread's stack is reserved at the stack limit's size, 1 GiB, which the
// address-space limit (ulimit -v) cannot hold; the program itself needs far
// less. Qt waits for threads it could not start: without its own check the
// program would hang here.
[[maybe_unused]] void noThreads()
{
    constexpr rlim_t MiB = rlim_t{1024} * 1024;
    const rlimit stack{1024 * MiB, RLIM_INFINITY};
    const rlimit space{640 * MiB, 640 * MiB};
    setrlimit(RLIMIT_STACK, &stack);
    setrlimit(RLIMIT_AS, &space);
}

[[maybe_unused]] QString platformOfSuite()
{
    const QString p = qEnvironmentVariable("QT_QPA_PLATFORM");
    return p.isEmpty() ? QStringLiteral("offscreen") : p;
}

// A private X server on a display it chooses itself, ended by the test.
class PrivateX
{
public:
    PrivateX()
    {
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), QStringLiteral("1280x900x24"),
                       QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        server_.waitForStarted(BoundMs);
        QDeadlineTimer deadline(BoundMs);
        while (!server_.canReadLine() && server_.state() == QProcess::Running &&
               !deadline.hasExpired())
            server_.waitForReadyRead(100);
        const QString number = QString::fromLatin1(server_.readLine()).trimmed();
        if (!number.isEmpty())
            display_ = QLatin1Char(':') + number;
    }
    ~PrivateX() { stop(); }
    PrivateX(const PrivateX&) = delete;
    PrivateX& operator=(const PrivateX&) = delete;

    QString display() const { return display_; }

    // Whether a window with a class (a program's top-level window) is mapped.
    bool windowViewable() const
    {
        const QString tree = xwininfo({QStringLiteral("-root"), QStringLiteral("-children")});
        static const QRegularExpression topLevel(QStringLiteral("^\\s+(0x[0-9a-f]+) .*: \\(\""),
                                                 QRegularExpression::MultilineOption);
        for (auto it = topLevel.globalMatch(tree); it.hasNext();) {
            if (xwininfo({QStringLiteral("-id"), it.next().captured(1)})
                    .contains(QLatin1String("IsViewable")))
                return true;
        }
        return false;
    }

    void stop()
    {
        if (server_.state() == QProcess::NotRunning)
            return;
        server_.terminate();
        if (!server_.waitForFinished(BoundMs))
            server_.kill();
        server_.waitForFinished();
    }

private:
    QString xwininfo(QStringList args) const
    {
        QProcess info;
        args << QStringLiteral("-display") << display_;
        info.start(QStringLiteral("xwininfo"), args);
        info.waitForFinished(BoundMs);
        return QString::fromLocal8Bit(info.readAllStandardOutput());
    }

    QProcess server_;
    QString display_;
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void noWindowSaysWhatFailed_data()
    {
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QStringList>("said");

        QTest::newRow("platform that does not exist")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=bogus")}
            << QStringList{QStringLiteral("cannot open a window (platform bogus,"),
                           QStringLiteral("Could not find the Qt platform plugin \"bogus\"")};
        QTest::newRow("X display that does not answer")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=:65431"),
                           QStringLiteral("XAUTHORITY=/nonexistent")}
            << QStringList{QStringLiteral("cannot open a window (platform xcb, DISPLAY :65431,"),
                           QStringLiteral("could not connect to display :65431")};
        QTest::newRow("Wayland display that does not answer")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM=wayland"),
                           QStringLiteral("WAYLAND_DISPLAY=tevalin-test-no-compositor")}
            << QStringList{QStringLiteral("cannot open a window (platform wayland,"),
                           QStringLiteral("WAYLAND_DISPLAY tevalin-test-no-compositor)"),
                           QStringLiteral("Qt said:")};
        QTest::newRow("no display named")
            << QStringList{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"),
                           QStringLiteral("WAYLAND_DISPLAY")}
            << QStringList{QStringLiteral("cannot open a window: no display is set (neither "
                                          "DISPLAY nor WAYLAND_DISPLAY)")};
    }

    void noWindowSaysWhatFailed()
    {
        QFETCH(QStringList, changes);
        QFETCH(QStringList, said);
        const Run r = runProgram(changes);
        QVERIFY2(r.status == NoWindow, qPrintable(explain(r)));
        for (const QString& s : said)
            QVERIFY2(r.err.contains(s),
                     qPrintable(QStringLiteral("no \"%1\" in\n").arg(s) + explain(r)));
        // The guess it used to make for every failure.
        QVERIFY2(!r.err.contains(QLatin1String("no display could be reached")),
                 qPrintable(explain(r)));
    }

    void threadsRefusedEndTheProgramInsteadOfHanging()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer cannot run under an address-space limit");
#else
        const Run r =
            runProgram({QStringLiteral("QT_QPA_PLATFORM=") + platformOfSuite()}, noThreads);
        QVERIFY2(!r.hung, qPrintable(explain(r)));
        // Before the window is up it cannot open one; after, it cannot go on.
        QVERIFY2(r.status == NoWindow || r.status == RuntimeError, qPrintable(explain(r)));
        QVERIFY2(r.err.contains(QLatin1String("Qt could not create a thread")),
                 qPrintable(explain(r)));
        QVERIFY2(r.err.contains(QLatin1String("ulimit -v")), qPrintable(explain(r)));
#endif
    }

    void displayGoingAwayHasItsOwnStatus()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("xwininfo")).isEmpty())
            QSKIP("needs Xvfb and xwininfo (scripts/setup test installs them)");
        QTemporaryDir runtime;
        PrivateX x;
        QVERIFY2(!x.display().isEmpty(), "Xvfb did not start");

        QProcess program;
        program.setProcessEnvironment(environment(
            {QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=") + x.display(),
             QStringLiteral("WAYLAND_DISPLAY"),
             QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()}));
        program.start(QStringLiteral(TEVALIN_PROGRAM), {});
        QVERIFY(program.waitForStarted(BoundMs));
        QDeadlineTimer deadline(BoundMs);
        while (!x.windowViewable() && program.state() == QProcess::Running &&
               !deadline.hasExpired())
            QTest::qWait(20);
        QVERIFY2(x.windowViewable(),
                 qPrintable(QString::fromLocal8Bit(program.readAllStandardError())));

        x.stop();
        const Run r = finish(program);
        QVERIFY2(r.status == DisplayLost, qPrintable(explain(r)));
        QVERIFY2(r.err.contains(QStringLiteral("the display went away (platform xcb, DISPLAY ") +
                                x.display()),
                 qPrintable(explain(r)));
        QVERIFY2(r.err.contains(QLatin1String("The X11 connection broke")), qPrintable(explain(r)));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
