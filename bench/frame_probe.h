// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bench.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

struct xcb_connection_t;

namespace bench {

// Widgets paint into the window's backing store while the top-level window
// handles an Expose (the first frame) or an UpdateRequest (every later one),
// and the store is flushed to the X server before that handling returns. The
// probe delivers those events itself, then asks the X server for a reply
// (which it sends once it has handled the client's earlier requests, so the
// frame is then in its frame buffer); a thread of the probe's own waits for
// it and stamps the clock, while the window's thread goes on undisturbed. A
// frame counts only if some widget painted in it; `watchedPainted` tells
// whether a watched one did, `tag` what the tagger said as it was painted.
// The sink hears of each frame on the window's thread, a moment later.
class FrameProbe : public QObject
{
public:
    struct Frame
    {
        std::int64_t at;
        bool watchedPainted;
        long tag;
    };
    using Sink = std::function<void(const Frame&)>;

    explicit FrameProbe(Sink sink, std::function<long()> tagger = nullptr);
    ~FrameProbe() override;

    void watch(const QObject* w) { watched_.insert(w); }
    long timerEvents = 0; // delivered to anything

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override;

private:
    struct Asked
    {
        bool ofServer;     // false: no X server to ask, the frame is stamped at once
        unsigned sequence; // of the request the reply answers
        Frame frame;
    };
    void stampReplies();

    Sink sink_;
    std::function<long()> tagger_;
    xcb_connection_t* const connection_;
    std::set<const QObject*> watched_;
    int depth_ = 0;
    bool painted_ = false, watchedPainted_ = false;

    std::mutex mutex_;
    std::condition_variable asked_;
    std::deque<Asked> waiting_;
    bool stopping_ = false;
    std::thread stamper_;
};

} // namespace bench
