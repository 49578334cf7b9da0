// SPDX-License-Identifier: GPL-3.0-or-later
// Timers on a timerfd armed at absolute CLOCK_MONOTONIC deadlines: the event
// loop wakes when a tick is due, to the kernel's precision, and the window's
// thread never sleeps waiting for it.

#include "deadline.h"
#include "form_object.h"

#include <QMainWindow>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <sys/timerfd.h>
#include <system_error>
#include <unistd.h>

namespace rt::detail {

bool manualTimers = false;
std::function<void(std::string_view, std::chrono::nanoseconds)> tickProbe;

namespace {

constexpr std::int64_t NsPerMs = 1'000'000;
constexpr std::int64_t NsPerS = 1'000'000'000;

// CLOCK_MONOTONIC, the timerfd's clock.
std::int64_t clockNow()
{
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

ControlObject::~ControlObject()
{
    if (timerFd >= 0)
        close(timerFd);
}

void ControlObject::timerTick() const
{
    if (timerRunning())
        raise(Event::Timer);
}

void ControlObject::setTimer(bool enabled, Long newInterval)
{
    const std::int64_t now = clockNow();
    const std::int64_t origin = timerRunning() ? deadline - interval * NsPerMs : now;
    timerEnabled = enabled;
    interval = newInterval;
    if (manualTimers)
        return;
    if (!timerRunning()) {
        if (timerFd >= 0)
            arm(timerFd, 0);
        return;
    }
    if (timerFd < 0) {
        timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (timerFd < 0)
            throw std::system_error(errno, std::generic_category(), "timer");
        auto* woke = new QSocketNotifier(timerFd, QSocketNotifier::Read, form.window.get());
        QObject::connect(woke, &QSocketNotifier::activated, woke, [this] { timerWoke(); });
    }
    deadline = nextTick(origin, interval * NsPerMs, now);
    arm(timerFd, deadline);
}

void ControlObject::timerWoke()
{
    const std::int64_t entered = tickProbe ? clockNow() : 0;
    std::uint64_t expirations = 0;
    // Nothing to read: the timer was stopped or re-timed since it fired.
    if (read(timerFd, &expirations, sizeof expirations) != sizeof expirations)
        return;
    deadline = tickAfter(deadline, interval * NsPerMs, clockNow());
    arm(timerFd, deadline); // before the handler, which may stop or re-time it
    if (tickProbe)
        tickProbe(name, std::chrono::nanoseconds(clockNow() - entered));
    timerTick();
}

} // namespace rt::detail
