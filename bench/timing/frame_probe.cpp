#include "frame_probe.h"

#include "clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#ifdef TEVALIN_BENCH_XCB
#include <QGuiApplication>
#include <xcb/xcb.h>
#endif

#include <cstdlib>

namespace bench {

namespace {

// The X server handles one client's requests in order: once it has answered
// a request sent after the frame's image, the image is in its frame buffer.
void serverRoundTrip()
{
#ifdef TEVALIN_BENCH_XCB
    static xcb_connection_t* const connection = [] {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->connection() : nullptr;
    }();
    if (connection)
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
#endif
}

} // namespace

FrameProbe::FrameProbe(Sink sink) : sink_(std::move(sink))
{
    QCoreApplication::instance()->installEventFilter(this);
}

FrameProbe::~FrameProbe()
{
    if (auto* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool FrameProbe::eventFilter(QObject* receiver, QEvent* e)
{
    ++events_;
    if (eventSink_)
        eventSink_(receiver, e, nowNs());
    switch (e->type()) {
    case QEvent::Timer:
        if (receiver != ignored_)
            ++timerEvents_;
        return false;
    case QEvent::Paint:
        if (depth_ == 0) {
            ++strayPaints_;
            return false;
        }
        painted_ = true;
        if (watched_.count(receiver))
            watchedPainted_ = true;
        return false;
    case QEvent::Expose:
    case QEvent::UpdateRequest: {
        const bool topLevelWidget =
            receiver->isWidgetType() && static_cast<QWidget*>(receiver)->isWindow();
        const bool window = receiver->isWindowType();
        if (topLevelWidget || window)
            return deliverFrame(receiver, e);
        return false;
    }
    default:
        return false;
    }
}

bool FrameProbe::deliverFrame(QObject* receiver, QEvent* e)
{
    ++depth_;
    receiver->event(e); // QObject::event is public; the widget's override runs
    --depth_;
    if (depth_ == 0 && painted_) {
        serverRoundTrip();
        const Frame f{nowNs(), watchedPainted_};
        painted_ = watchedPainted_ = false;
        if (sink_)
            sink_(f);
    }
    return true;
}

} // namespace bench
