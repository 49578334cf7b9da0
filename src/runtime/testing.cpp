#include "testing.h"

#include "form.h"
#include "form_object.h"

#include <QMainWindow>
#include <QWindow>

namespace rt {

namespace detail {

namespace {
bool manual = false;
}

bool manualTimers()
{
    return manual;
}

struct Access
{
    static ControlObject& object(const Control& c) { return c.c_; }
    static FormObject& object(const Form& f) { return *f.d_; }
};

} // namespace detail

namespace testing {

void setManualTimers(bool on)
{
    detail::manual = on;
}

void fireTick(const Timer& timer)
{
    detail::Access::object(timer).timerTick();
}

bool isRunning(const Timer& timer)
{
    const detail::ControlObject& c = detail::Access::object(timer);
    return c.timerEnabled && c.interval > 0;
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
