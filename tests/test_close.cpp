// Closing the program the way a desktop does: the window manager's close
// (WM_DELETE_WINDOW), in every phase of a round and with the credit open. The
// program ends with status 0, and under the sanitizers without a report.

#include "fixture.h"

#include <QGuiApplication>
#include <QProcess>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

bool windowManagerSupports(Display* d, Atom feature)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, DefaultRootWindow(d), XInternAtom(d, "_NET_SUPPORTED", False), 0,
                           4096, False, XA_ATOM, &type, &format, &count, &left, &data) != Success ||
        !data)
        return false;
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    const bool found = std::find(atoms, atoms + count, feature) != atoms + count;
    XFree(data);
    return found;
}

// What the close button of the title bar does: asks the window manager, which
// sends WM_DELETE_WINDOW. Without one, the message goes straight to the window.
void closeThroughWindowManager(Display* d, Window w)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.format = 32;
    const Atom netClose = XInternAtom(d, "_NET_CLOSE_WINDOW", False);
    if (windowManagerSupports(d, netClose)) {
        e.xclient.message_type = netClose;
        e.xclient.data.l[0] = CurrentTime;
        e.xclient.data.l[1] = 2; // from a pager or a taskbar, as the user asked
        XSendEvent(d, DefaultRootWindow(d), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &e);
    } else {
        e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
        e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, w, False, NoEventMask, &e);
    }
    XFlush(d);
}

} // namespace

class TestClose : public QObject
{
    Q_OBJECT

    Display* display = nullptr;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("closing through the window manager needs X11 (QT_QPA_PLATFORM=xcb)");
        display = XOpenDisplay(nullptr);
        QVERIFY(display);
    }
    void cleanupTestCase()
    {
        if (display)
            XCloseDisplay(display);
    }

    void closeEndsTheProgramCleanly_data()
    {
        QTest::addColumn<QString>("phase");
        for (const char* phase : {"idle", "presenting", "answering", "verdict", "credit"})
            QTest::newRow(phase) << QString::fromLatin1(phase);
    }
    void closeEndsTheProgramCleanly()
    {
        QFETCH(QString, phase);
        QProcess child;
        child.start(QStringLiteral(CLOSE_CHILD), {phase});
        QVERIFY(child.waitForStarted());
        QByteArray line;
        while (!line.endsWith('\n') && child.waitForReadyRead(60000))
            line += child.readLine();
        const QList<QByteArray> words = line.trimmed().split(' ');
        QVERIFY2(words.value(0) == "ready", child.readAllStandardError().constData());
        const Window main = words.value(1).toULong();
        QVERIFY(main);

        closeThroughWindowManager(display, main);
        if (const Window box = words.value(2).toULong()) {
            // The credit is modal: the main window closes after it.
            closeThroughWindowManager(display, box);
            closeThroughWindowManager(display, main);
        }

        const bool finished = child.waitForFinished(60000);
        if (!finished)
            child.kill();
        const QByteArray errors = child.readAllStandardError();
        QVERIFY2(finished, errors.constData());
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        for (const char* report : {"Sanitizer", "runtime error:"})
            QVERIFY2(!errors.contains(report), errors.constData());
        QCOMPARE(child.exitCode(), 0);
    }
};

TEVALIN_TEST_MAIN(TestClose)
#include "test_close.moc"
