// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The clock every figure is taken with, the statistics over it, and the
// probe that tells when a frame reaches the screen.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <set>
#include <vector>

namespace bench {

// CLOCK_MONOTONIC is shared by all processes: a parent and its child, or the
// X server's input and the window, can compare their readings.
inline std::int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

inline double ms(std::int64_t ns)
{
    return double(ns) / 1e6;
}

// Nearest rank: the smallest value with at least q of the samples at or below it.
inline double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<std::size_t>(q * double(v.size()) + 0.999999);
    return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
}

inline double maximum(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// Resident memory of this process in KiB, now (VmRSS) or at its peak (VmHWM).
inline long residentKiB(const char* field = "VmRSS")
{
    long kb = -1;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const std::size_t n = std::strlen(field);
        while (std::fgets(line, sizeof line, f))
            if (std::strncmp(line, field, n) == 0 && line[n] == ':')
                kb = std::strtol(line + n + 1, nullptr, 10);
        std::fclose(f);
    }
    return kb;
}

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
