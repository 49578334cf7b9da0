// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bench.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <set>

namespace bench {

// Widgets paint into the window's backing store while the top-level window
// handles an Expose (the first frame) or an UpdateRequest (every later one),
// and the store is flushed to the X server before that handling returns. The
// probe delivers those events itself, then makes one round trip to the X
// server (which handles a client's requests in order, so the frame is then in
// its frame buffer) and stamps the clock. A frame counts only if some widget
// painted in it; `watchedPainted` tells whether a watched one did.
class FrameProbe : public QObject
{
public:
    struct Frame
    {
        std::int64_t at;
        bool watchedPainted;
    };
    using Sink = std::function<void(const Frame&)>;

    explicit FrameProbe(Sink sink) : sink_(std::move(sink))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~FrameProbe() override { QCoreApplication::instance()->removeEventFilter(this); }

    void watch(const QWidget* w) { watched_.insert(w); }
    long timerEvents = 0; // delivered to anything

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override
    {
        if (e->type() == QEvent::Timer)
            ++timerEvents;
        if (e->type() == QEvent::Paint && depth_ > 0) {
            painted_ = true;
            watchedPainted_ |= watched_.count(receiver) > 0;
        }
        const bool frame = e->type() == QEvent::Expose || e->type() == QEvent::UpdateRequest;
        const bool topLevel =
            receiver->isWindowType() ||
            (receiver->isWidgetType() && static_cast<QWidget*>(receiver)->isWindow());
        if (!frame || !topLevel)
            return false;
        ++depth_;
        receiver->event(e);
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

private:
    static void serverRoundTrip()
    {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (xcb_connection_t* c = x11 ? x11->connection() : nullptr)
            std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }

    Sink sink_;
    std::set<const QObject*> watched_;
    int depth_ = 0;
    bool painted_ = false, watchedPainted_ = false;
};

} // namespace bench
