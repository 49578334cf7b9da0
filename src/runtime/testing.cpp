// SPDX-License-Identifier: GPL-3.0-or-later
#include "testing.h"

#include "form.h"
#include "form_object.h"
#include "seams.h"

#include <QMainWindow>
#include <QTest>
#include <QWindow>

#include <deque>

namespace rt {

namespace detail {

struct Access
{
    static ControlObject& object(const Control& c) { return c.c_; }
    static FormObject& object(const Form& f) { return *f.d_; }
};

} // namespace detail

namespace testing {

namespace {

std::deque<Single> script;
std::int64_t clock = 0;
bool tracing = false;
std::string trace;

void tracedReseed()
{
    if (tracing)
        trace += 'R';
}

std::optional<Single> scriptedDraw()
{
    if (tracing)
        trace += 'r';
    if (script.empty())
        return std::nullopt;
    const Single r = script.front();
    script.pop_front();
    return r;
}

// Inside a test function a run-time error fails the test at once with its
// message, where the program's box would wait for a click that never comes.
// Elsewhere (a helper that plays the program) the program's own box shows.
void failTheTest(const RuntimeError& e)
{
    if (!QTest::currentTestFunction())
        return detail::showError(e);
    qFatal("Run-time error '%d': %s", e.number, e.description.c_str());
}

} // namespace

void install()
{
    detail::reportError = failTheTest;
    detail::reseedHook = tracedReseed;
    detail::drawHook = scriptedDraw;
}

void hideTahoma()
{
    detail::withoutTahoma = true;
}

void setManualTimers(bool on)
{
    detail::manualTimers = on;
}

void fireTick(const Timer& timer)
{
    detail::Access::object(timer).timer.tick();
}

bool isRunning(const Timer& timer)
{
    return detail::Access::object(timer).timer.running();
}

void setClock(std::optional<std::chrono::nanoseconds> now)
{
    clock = now ? now->count() : 0;
    detail::clockHook = nullptr;
    if (now)
        detail::clockHook = [] { return clock; };
}

std::chrono::nanoseconds nextTickDue(const Timer& timer)
{
    return std::chrono::nanoseconds(detail::Access::object(timer).timer.deadline());
}

void clockReached(const Timer& timer)
{
    detail::Access::object(timer).timer.reached();
}

void setTickProbe(std::function<void(std::string_view, std::chrono::nanoseconds)> p)
{
    detail::tickProbe = std::move(p);
}

void setAccessibilityProbe(std::function<void(QAccessibleEvent*)> p)
{
    detail::accessibilityProbe = std::move(p);
}

void scriptDraws(std::initializer_list<Single> draws)
{
    script.insert(script.end(), draws);
}

std::size_t scriptedDrawsLeft()
{
    return script.size();
}

void traceRandom(bool on)
{
    tracing = on;
    trace.clear();
}

std::string randomTrace()
{
    return trace;
}

QWidget* widget(const Form& form)
{
    return detail::Access::object(form).window.get();
}

QWidget* widget(const Control& control)
{
    return detail::Access::object(control).widget;
}

QWindow* windowHandle(const Form& form)
{
    return widget(form)->windowHandle();
}

} // namespace testing
} // namespace rt
