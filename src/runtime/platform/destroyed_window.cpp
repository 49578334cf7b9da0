// SPDX-License-Identifier: GPL-3.0-or-later
// On X11 another client can destroy the program's window (xdotool's
// windowclose, a misbehaving window manager). Qt does not notice: the program
// would run on with no window, and nothing left to close. It ends instead,
// as when the display goes away.

#include "platform.h"

#include "runtime/error.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

namespace rt::platform {

namespace {

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

void endWhenWindowsAreDestroyed()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    static DestroyedWindows filter;
    qGuiApp->installNativeEventFilter(&filter);
}

} // namespace rt::platform
