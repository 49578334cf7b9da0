// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells an X11 window manager and taskbar: a class that
// matches the desktop entry, its title in every encoding a manager may read,
// and no maximise for a window of fixed size. Runs under LANG=C, where a
// title written in the locale's encoding would turn to mojibake.

#include "fixture.h"

#include <QApplication>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct Properties
{
    QByteArray instance, windowClass;
    QString wmName, netWmName;
};

QByteArray windowProperty(Display* d, Window w, const char* name, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 4096, False, type, &actual,
                           &format, &count, &left, &data) != Success ||
        !data)
        return {};
    const int unit = format == 32 ? int(sizeof(long)) : format / 8;
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(count) * unit);
    XFree(data);
    return bytes;
}

Properties read(Display* d, Window w)
{
    Properties p;
    XClassHint hint{};
    if (XGetClassHint(d, w, &hint)) {
        p.instance = hint.res_name;
        p.windowClass = hint.res_class;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    // Decoded by its type (STRING is Latin-1), as a window manager decodes it.
    XTextProperty text{};
    if (XGetWMName(d, w, &text)) {
        char** list = nullptr;
        int n = 0;
        if (Xutf8TextPropertyToTextList(d, &text, &list, &n) >= 0 && n > 0) {
            p.wmName = QString::fromUtf8(list[0]);
            XFreeStringList(list);
        }
        XFree(text.value);
    }
    p.netWmName = QString::fromUtf8(
        windowProperty(d, w, "_NET_WM_NAME", XInternAtom(d, "UTF8_STRING", False)));
    return p;
}

} // namespace

class TestWindowSystem : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> form;
    Display* display = nullptr;
    Window window = 0;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("X11 window properties: run on xcb (QT_QPA_PLATFORM=xcb)");
        display = XOpenDisplay(nullptr);
        QVERIFY(display);
    }
    void cleanupTestCase()
    {
        if (display)
            XCloseDisplay(display);
    }
    void init()
    {
        form = fixture::openForm();
        window = Window(rt::testing::widget(*form)->winId());
    }
    void cleanup() { form.reset(); }

    // The credit box belongs to the same program, and a taskbar groups it so.
    void classAndTitle_data()
    {
        QTest::addColumn<bool>("credit");
        QTest::addColumn<QString>("title");
        QTest::newRow("main window") << false << QStringLiteral("Тевалин");
        QTest::newRow("credit") << true << QStringLiteral("Разработчик ");
    }
    void classAndTitle()
    {
        QFETCH(bool, credit);
        QFETCH(QString, title);
        Properties p;
        if (!credit)
            p = read(display, window);
        else {
            // The box is modal: it is read from inside its own loop.
            QTimer::singleShot(0, this, [&] {
                QTimer::singleShot(0, this, [&] {
                    QWidget* box = QApplication::activeModalWidget();
                    if (box && QTest::qWaitForWindowExposed(box))
                        p = read(display, Window(box->winId()));
                    if (box)
                        box->close();
                });
                fixture::menuBar(*form)->actions().value(0)->trigger();
            });
            QTRY_VERIFY(!p.windowClass.isEmpty());
        }
        QVERIFY2(QRegularExpression(QStringLiteral("^[!-~]+$")).match(p.instance).hasMatch(),
                 p.instance.constData());
        // The class launchers and taskbars match the window to its desktop entry by.
        QCOMPARE(p.windowClass, QSettings(QStringLiteral(DESKTOP_ENTRY), QSettings::IniFormat)
                                    .value("Desktop Entry/StartupWMClass")
                                    .toByteArray());
        QCOMPARE(p.wmName, title);
        if (!credit)
            QCOMPARE(p.netWmName, title);
    }

    // What the window manager offers for a window of fixed size, once it
    // manages it (WM_NORMAL_HINTS are Qt's affair).
    void fixedSizeOffersNoMaximise()
    {
        const auto allowed = [this] {
            QByteArrayList names;
            const QByteArray atoms =
                windowProperty(display, window, "_NET_WM_ALLOWED_ACTIONS", XA_ATOM);
            for (qsizetype i = 0; i + qsizetype(sizeof(long)) <= atoms.size(); i += sizeof(long)) {
                char* name =
                    XGetAtomName(display, *reinterpret_cast<const Atom*>(atoms.constData() + i));
                names << name;
                XFree(name);
            }
            return names;
        };
        if (!QTest::qWaitFor([&] { return !allowed().empty(); }, 2000))
            QSKIP("no window manager sets _NET_WM_ALLOWED_ACTIONS");
        const QByteArrayList actions = allowed();
        QVERIFY(actions.contains("_NET_WM_ACTION_CLOSE"));
        for (const char* refused : {"_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT",
                                    "_NET_WM_ACTION_RESIZE"})
            QVERIFY2(!actions.contains(refused), refused);
    }
};

TEVALIN_TEST_MAIN(TestWindowSystem)
#include "test_window_system.moc"
