// SPDX-License-Identifier: GPL-3.0-or-later
#include "timer.h"

#include "deadline.h"
#include "seams.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <sys/timerfd.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace rt::detail {

bool manualTimers = false;
std::int64_t (*clockHook)() = nullptr;
std::function<void(std::string_view, std::chrono::nanoseconds)> tickProbe;

namespace {

constexpr std::int64_t NsPerMs = 1'000'000;
constexpr std::int64_t NsPerS = 1'000'000'000;

// CLOCK_MONOTONIC, the timerfd's clock.
std::int64_t clockNow()
{
    if (clockHook)
        return clockHook();
    return std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
}

// Arms the timerfd for `at`, or disarms it when `at` is zero.
void arm(int fd, std::int64_t at)
{
    itimerspec deadline{};
    deadline.it_value = {time_t(at / NsPerS), long(at % NsPerS)};
    timerfd_settime(fd, TFD_TIMER_ABSTIME, &deadline, nullptr);
}

} // namespace

Ticker::Ticker(std::string_view name, std::function<void()> tick)
    : name_(name), tick_(std::move(tick))
{
}

Ticker::~Ticker()
{
    woken_.reset(); // before the descriptor it watches
    if (fd_ >= 0)
        close(fd_);
}

void Ticker::tick() const
{
    if (running())
        tick_();
}

void Ticker::set(bool enabled, Long interval)
{
    const std::int64_t now = clockNow();
    const std::int64_t origin = running() ? deadline_ - interval_ * NsPerMs : now;
    enabled_ = enabled;
    interval_ = interval;
    if (manualTimers)
        return;
    if (!running()) {
        if (fd_ >= 0)
            arm(fd_, 0);
        return;
    }
    if (fd_ < 0) {
        fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd_ < 0)
            throw std::system_error(errno, std::generic_category(), "timer");
        woken_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        QObject::connect(woken_.get(), &QSocketNotifier::activated, woken_.get(),
                         [this] { woke(); });
    }
    deadline_ = nextTick(origin, interval_ * NsPerMs, now);
    arm(fd_, deadline_);
}

void Ticker::woke()
{
    const std::int64_t entered = tickProbe ? clockNow() : 0;
    std::uint64_t expirations = 0;
    // Nothing to read: the timer was stopped or re-timed since it fired.
    if (read(fd_, &expirations, sizeof expirations) == sizeof expirations)
        reached(entered);
}

void Ticker::reached(std::int64_t entered)
{
    if (!running())
        return;
    const std::int64_t due = deadline_;
    deadline_ = tickAfter(due, interval_ * NsPerMs, clockNow());
    arm(fd_, deadline_); // before the handler, which may stop or re-time it
    const std::int64_t armed = deadline_;
    if (tickProbe)
        tickProbe(name_, std::chrono::nanoseconds(clockNow() - entered));
    tick();
    // What the tick changed is painted now, and what it shows lasts from
    // there: on a busy machine the thread may lose the processor before it
    // paints, and the next tick must not follow the late frame at once.
    // Qt's internals: a widget's update() posts one UpdateRequest to its
    // window, which paints every pending change; sending it now paints now.
    // Run by the timer suite on Qt 6.4 and 6.8; that it paints, measured by
    // the bench's painted frame, checked on Qt 6.4.
    if (running() && deadline_ == armed) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        const std::int64_t painted = clockNow();
        if (deadline_ - painted < shortestShow(interval_ * NsPerMs))
            arm(fd_, deadline_ = tickAfter(due, interval_ * NsPerMs, painted));
    }
}

} // namespace rt::detail
