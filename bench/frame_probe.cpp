// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_probe.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>

namespace bench {

namespace {

xcb_connection_t* connection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

FrameProbe::FrameProbe(Sink sink, std::function<long()> tagger)
    : sink_(std::move(sink)), tagger_(std::move(tagger)), connection_(connection()),
      stamper_([this] { stampReplies(); })
{
    QCoreApplication::instance()->installEventFilter(this);
}

FrameProbe::~FrameProbe()
{
    QCoreApplication::instance()->removeEventFilter(this);
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    asked_.notify_one();
    stamper_.join();
}

bool FrameProbe::eventFilter(QObject* receiver, QEvent* e)
{
    if (e->type() == QEvent::Timer)
        ++timerEvents;
    if (e->type() == QEvent::Paint && depth_ > 0) {
        painted_ = true;
        watchedPainted_ |= watched_.count(receiver) > 0;
    }
    const bool frame = e->type() == QEvent::Expose || e->type() == QEvent::UpdateRequest;
    const bool topLevel = receiver->isWindowType() ||
                          (receiver->isWidgetType() && static_cast<QWidget*>(receiver)->isWindow());
    if (!frame || !topLevel)
        return false;
    ++depth_;
    receiver->event(e);
    --depth_;
    if (depth_ == 0 && painted_) {
        Asked asked{connection_ != nullptr, 0, {nowNs(), watchedPainted_, tagger_ ? tagger_() : 0}};
        painted_ = watchedPainted_ = false;
        if (asked.ofServer) {
            asked.sequence = xcb_get_input_focus(connection_).sequence;
            xcb_flush(connection_);
        }
        {
            const std::lock_guard lock(mutex_);
            waiting_.push_back(asked);
        }
        asked_.notify_one();
    }
    return true;
}

// xcb lets one thread wait for a reply while others use the connection.
void FrameProbe::stampReplies()
{
    for (;;) {
        std::unique_lock lock(mutex_);
        asked_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty())
            return;
        Asked asked = waiting_.front();
        waiting_.pop_front();
        lock.unlock();
        if (asked.ofServer)
            std::free(xcb_get_input_focus_reply(connection_, {asked.sequence}, nullptr));
        asked.frame.at = nowNs();
        QMetaObject::invokeMethod(this, [this, f = asked.frame] {
            if (sink_)
                sink_(f);
        });
    }
}

} // namespace bench
