#include "frame_probe.h"

#include "clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace bench {

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
        const bool topLevelWidget = receiver->isWidgetType() && static_cast<QWidget*>(receiver)->isWindow();
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
        const Frame f{nowNs(), watchedPainted_};
        painted_ = watchedPainted_ = false;
        if (sink_)
            sink_(f);
    }
    return true;
}

} // namespace bench
