// SPDX-License-Identifier: GPL-3.0-or-later
// How the real program ends, each case in a process of its own. Closing the
// window (on X11 through the X server, as a window manager does) ends it
// cleanly in every phase; a run-time error in a handler shows its message and
// ends it at once, with nothing run after it (fault_helper plays these, side
// by side, all started before the first case). When it cannot open its window
// or keep it (the display goes away, another client destroys the window), it
// says what failed on standard error and ends with the status its manual page
// gives. None may hang.

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>
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

struct Ending
{
    int status; // -1 when it hung and was killed, -2 when it crashed
    QString err;
    QByteArray why; // both, for a failure's message
};

Ending finish(QProcess& program)
{
    const bool hung = !program.waitForFinished(BoundMs);
    if (hung) {
        program.kill();
        program.waitForFinished();
    }
    const int status = hung                                           ? -1
                       : program.exitStatus() == QProcess::NormalExit ? program.exitCode()
                                                                      : -2;
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    return {status, err, QStringLiteral("status %1, stderr:\n%2").arg(status).arg(err).toUtf8()};
}

// Whether a top-level window is mapped on the display.
bool windowViewable(Display* d)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    bool viewable = false;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n);
    for (unsigned i = 0; i < n; ++i) {
        XWindowAttributes a{};
        viewable |= XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable;
    }
    XFree(children);
    return viewable;
}

} // namespace

class TestFaultPaths : public QObject
{
    Q_OBJECT

private slots:
    // fault_helper's runs, all started here to run side by side: closing in
    // every phase, and a run-time error in each handler, raised once, shown,
    // and nothing run beneath the box, neither the rest of the handler nor
    // the program after.
    void endings_data()
    {
        QTest::addColumn<QProcess*>("run");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // on standard error
        const auto row = [this](const QString& run, const QString& output, int status,
                                const QString& said = {}) {
            auto* p = new QProcess(this);
            p->start(QStringLiteral(FAULT_HELPER), run.split(u' '));
            QTest::newRow(qPrintable(run)) << p << output << status << said;
        };
        const auto box = [](const char* error) {
            return QStringLiteral("box: Тевалин|Run-time error %1\nbeneath: nothing ran\n")
                .arg(error);
        };
        for (const char* phase : {"idle", "presenting", "answering", "verdict", "credit"})
            row(QStringLiteral("close ") + phase, QStringLiteral("reached %1\n").arg(phase), 0);
        // Every handler runs through one trap; these reach it by each road an
        // event takes: the load, a button, a label, a drag, a timer, the menu.
        for (const char* handler : {"Form_Load", "Command1_Click", "Label4_Click",
                                    "HScroll1_Scroll", "Timer1_Timer", "mk_Click"})
            row(QStringLiteral("error ") + handler,
                QStringLiteral("raise %1\n").arg(handler) + box("'380':  Invalid property value"),
                RuntimeError);
        row(QStringLiteral("oom Label4_Click"),
            QStringLiteral("raise Label4_Click\n") + box("'7':  Out of memory"), RuntimeError);
        row(QStringLiteral("overflow Command1_Click"), box("'6':  Overflow"), RuntimeError);
        // Only an X11 window can be destroyed by another client.
        if (qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("xcb"))
            row(QStringLiteral("destroy idle"), QStringLiteral("reached idle\n"), DisplayLost,
                QStringLiteral("the window was destroyed by another program (platform xcb"));
    }
    void endings()
    {
        QFETCH(QProcess*, run);
        QFETCH(QString, output);
        QFETCH(int, status);
        QFETCH(QString, said);
        const Ending e = finish(*run);
        QCOMPARE(QString::fromUtf8(run->readAllStandardOutput()), output);
        QCOMPARE(e.status, status);
        QVERIFY2(e.err.contains(said), e.why);
        QVERIFY2(!e.err.contains(QLatin1String("Sanitizer")) &&
                     !e.err.contains(QLatin1String("runtime error:")),
                 e.why);
    }

    void failingToStartSaysWhatFailed_data()
    {
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<bool>("threads");
        QTest::addColumn<QStringList>("said");
        const auto row = [](const char* name, const char* changes, const char* said,
                            bool threads = true) {
            QTest::newRow(name) << QString::fromUtf8(changes).split(u' ') << threads
                                << QString::fromUtf8(said).split(u'|');
        };
        row("platform that does not exist", "QT_QPA_PLATFORM=bogus",
            "cannot open a window (platform bogus,|"
            "Could not find the Qt platform plugin \"bogus\"");
        row("X display that does not answer",
            "QT_QPA_PLATFORM=xcb DISPLAY=:65431 XAUTHORITY=/nonexistent",
            "cannot open a window (platform xcb, DISPLAY :65431,|"
            "could not connect to display :65431");
        row("Wayland display that does not answer",
            "QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=tevalin-test-no-compositor",
            "cannot open a window (platform wayland,|"
            "WAYLAND_DISPLAY tevalin-test-no-compositor)|Qt said:");
        row("no display named", "QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY",
            "cannot open a window: no display is set (neither DISPLAY nor WAYLAND_DISPLAY)");
#if !defined(__SANITIZE_ADDRESS__) // it cannot run under an address-space limit
        const QString platform =
            QStringLiteral("QT_QPA_PLATFORM=") +
            qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen"));
        row("threads refused", qPrintable(platform),
            "Qt could not create a thread|limited to 640 MiB: ulimit -v", false);
#endif
    }
    void failingToStartSaysWhatFailed()
    {
        QFETCH(QStringList, changes);
        QFETCH(bool, threads);
        QFETCH(QStringList, said);
        QProcess program;
        start(program, changes, threads);
        const Ending e = finish(program);
        // Refused threads: before the window is up it cannot open one; after, it cannot go on.
        QVERIFY2(e.status == NoWindow || (!threads && e.status == RuntimeError), e.why);
        for (const QString& s : said)
            QVERIFY2(e.err.contains(s), "no \"" + s.toUtf8() + "\" in " + e.why);
        // The guess it used to make for every failure.
        QVERIFY2(!e.err.contains(QLatin1String("no display could be reached")), e.why);
        // Qt's advice, which no reinstall follows when the display is the cause.
        QVERIFY2(!e.err.contains(QLatin1String("Reinstalling")), e.why);
    }

    void displayGoingAwayHasItsOwnStatus()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            QSKIP("needs Xvfb (scripts/setup test installs it)");
        // A private X server, on a display it chooses itself.
        QProcess server;
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QDeadlineTimer deadline(BoundMs);
        while (!server.canReadLine() && server.waitForReadyRead(BoundMs)) {
        }
        const QString display = QLatin1Char(':') + QString::fromLatin1(server.readLine()).trimmed();
        Display* x = XOpenDisplay(qPrintable(display));
        QVERIFY2(x, "Xvfb did not start");

        QTemporaryDir runtime;
        QProcess program;
        start(program, {QStringLiteral("QT_QPA_PLATFORM=xcb"), QStringLiteral("DISPLAY=") + display,
                        QStringLiteral("WAYLAND_DISPLAY"),
                        QStringLiteral("XDG_RUNTIME_DIR=") + runtime.path()});
        while (!windowViewable(x) && program.state() != QProcess::NotRunning &&
               !deadline.hasExpired())
            QTest::qWait(20);
        const bool viewable = windowViewable(x);
        XCloseDisplay(x);
        server.terminate();
        if (!server.waitForFinished(BoundMs))
            server.kill();
        const Ending e = finish(program);
        QVERIFY2(viewable, e.why);
        QCOMPARE(e.status, DisplayLost);
        QVERIFY2(e.err.contains(QStringLiteral("the display went away (platform xcb, DISPLAY ") +
                                display),
                 e.why);
        QVERIFY2(e.err.contains(QLatin1String("The X11 connection broke")), e.why);
    }
};

QTEST_GUILESS_MAIN(TestFaultPaths)
#include "test_fault_paths.moc"
