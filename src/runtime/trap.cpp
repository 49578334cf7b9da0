#include "error.h"
#include "form_object.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace rt::detail {

namespace {

bool ending = false;

[[noreturn]] void endWith(const RuntimeError& e)
{
    // Nothing runs after an error: no handler, not even one a timer raises
    // beneath the message box.
    ending = true;
    reportError(e);
    std::fflush(nullptr);
    std::_Exit(ExitRuntimeError);
}

template <class F> auto guarded(const F& f) -> decltype(f())
{
    try {
        return f();
    } catch (const RuntimeError& e) {
        endWith(e);
    } catch (const std::bad_alloc&) {
        endWith({OutOfMemory, errorDescription(OutOfMemory)});
    } catch (const std::exception& e) {
        endWith({ApplicationDefined, e.what()});
    }
}

} // namespace

void showError(const RuntimeError& e)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QStringLiteral("Run-time error '%1':\n\n%2")
                        .arg(e.number)
                        .arg(QString::fromStdString(e.description)),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void (*reportError)(const RuntimeError&) = showError;

void trap(const std::function<void()>& handler)
{
    if (!ending)
        guarded(handler);
}

bool notifyTrapped(const std::function<bool()>& deliver)
{
    return guarded(deliver);
}

} // namespace rt::detail
