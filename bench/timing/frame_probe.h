#pragma once

// Tells when a frame reaches the screen. Widgets paint into the window's
// backing store while the top-level window handles an Expose (the first
// frame) or an UpdateRequest (every later one), and the store is flushed to
// the X server before that handling returns. The probe delivers those events
// itself; when the delivery returns it makes one round trip to the X server,
// and stamps the moment the answer is back: the server has then drawn the
// frame. A frame counts only if some widget painted in it.

#include <cstdint>
#include <functional>
#include <set>

#include <QWidget>

namespace bench {

class FrameProbe : public QObject
{
public:
    struct Frame
    {
        std::int64_t at;     // monotonic ns when the flush returned
        bool watchedPainted; // a watched widget was among those painted
    };
    using Sink = std::function<void(const Frame&)>;

    // Installs itself on the application; every event passes through it.
    explicit FrameProbe(Sink sink);
    ~FrameProbe() override;

    void watch(const QWidget* w) { watched_.insert(w); }
    void setSink(Sink sink) { sink_ = std::move(sink); }
    // Told of every event as its delivery begins.
    using EventSink = std::function<void(const QObject*, const QEvent*, std::int64_t)>;
    void setEventSink(EventSink sink) { eventSink_ = std::move(sink); }

    // Timer events delivered to anything, and paints outside a frame event.
    long timerEvents() const { return timerEvents_; }
    long events() const { return events_; }
    long strayPaints() const { return strayPaints_; }
    void resetCounts() { timerEvents_ = events_ = strayPaints_ = 0; }
    // A timer whose events are not counted (the bench's own).
    void ignoreTimerEventsOf(const QObject* o) { ignored_ = o; }

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override;

private:
    bool deliverFrame(QObject* receiver, QEvent* e);

    Sink sink_;
    EventSink eventSink_;
    std::set<const QObject*> watched_;
    const QObject* ignored_ = nullptr;
    int depth_ = 0;
    bool painted_ = false;
    bool watchedPainted_ = false;
    long timerEvents_ = 0;
    long events_ = 0;
    long strayPaints_ = 0;
};

} // namespace bench
