// SPDX-License-Identifier: GPL-3.0-or-later
// The program's windows on X11, as other clients see them and treat them.

#include "platform.h"

#include "runtime/error.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

#include <string>

namespace rt::platform {

namespace {

// Taskbars group a window with its desktop entry by its class, which Qt
// takes from the application name and writes as Latin-1: it is written here
// from the name the entry's StartupWMClass holds. Qt also writes WM_NAME in
// the locale's encoding, which under LANG=C makes the Cyrillic title
// mojibake. Window managers read both when the window maps, so they are
// written before, and the title again whenever it changes.
class WindowNames : public QObject
{
public:
    WindowNames(Display* display, std::string_view windowClass)
        : QObject(qGuiApp), display_(display), class_(windowClass)
    {
        qGuiApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        // Every event of the program passes here: the type first, cheaply.
        const bool shown = e->type() == QEvent::Show;
        if (!shown && e->type() != QEvent::WindowTitleChange)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !w->isWindow() || !w->windowHandle() || !w->windowHandle()->handle())
            return false;
        // Show comes after Qt has made the window and written its own values,
        // and before the window maps.
        if (shown)
            setClass(w->winId());
        setTitle(w->winId(), w->windowTitle());
        return false;
    }

private:
    void setClass(WId window)
    {
        // The instance stays as Qt chose it: the program's file name, or -name.
        XClassHint hint{};
        std::string instance =
            XGetClassHint(display_, window, &hint) && hint.res_name ? hint.res_name : class_;
        // Left null when there was no hint, and XFree takes null as free() does.
        XFree(hint.res_name);
        XFree(hint.res_class);
        hint.res_name = instance.data();
        hint.res_class = class_.data();
        XSetClassHint(display_, window, &hint);
        XFlush(display_);
    }

    void setTitle(WId window, const QString& title)
    {
        QByteArray utf8 = title.toUtf8();
        char* list[] = {utf8.data()};
        XTextProperty text{};
        // Latin-1 titles as STRING, others as COMPOUND_TEXT, whatever the locale.
        if (Xutf8TextListToTextProperty(display_, list, 1, XStdICCTextStyle, &text) < 0)
            return;
        XSetWMName(display_, window, &text);
        XFree(text.value);
        XFlush(display_);
    }

    Display* display_;
    std::string class_;
};

// On X11 another client can destroy the program's window (xdotool's
// windowclose, a misbehaving window manager). Qt does not notice: the program
// would run on with no window, and nothing left to close. It ends instead,
// as when the display goes away.
class DestroyedWindows : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & ~0x80) != XCB_DESTROY_NOTIFY)
            return false;
        const xcb_window_t gone = static_cast<const xcb_destroy_notify_event_t*>(message)->window;
        // The program's own windows lose their native window before it is
        // destroyed; one that still has it was destroyed by someone else.
        for (QWindow* w : QGuiApplication::topLevelWindows())
            if (w->handle() && w->winId() == gone)
                endOnDisplay(ExitDisplayLost, "the window was destroyed by another program");
        return false;
    }
};

} // namespace

void watchWindowsOnX11(std::string_view windowClass)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display())
        return;
    new WindowNames(x11->display(), windowClass);
    static DestroyedWindows filter;
    qGuiApp->installNativeEventFilter(&filter);
}

} // namespace rt::platform
