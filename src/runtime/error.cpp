// SPDX-License-Identifier: GPL-3.0-or-later
#include "error.h"

#include "convert.h"
#include "seams.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace rt {

namespace {

std::string errorDescription(int number)
{
    switch (number) {
    case InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case Overflow:
        return "Overflow";
    case OutOfMemory:
        return "Out of memory";
    case InvalidPropertyValue:
        return "Invalid property value";
    default:
        return "Application-defined or object-defined error";
    }
}

} // namespace

void raiseError(int number)
{
    throw RuntimeError{number, errorDescription(number)};
}

void exitNow(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace rt

namespace rt::detail {

namespace {

bool ending = false;
QString boxTitle;

[[noreturn]] void endWith(const RuntimeError& e)
{
    // Nothing runs after an error: no handler, not even one a timer raises
    // beneath the message box.
    ending = true;
    reportError(e);
    exitNow(ExitRuntimeError);
}

} // namespace

void titleErrorBoxes(std::u16string_view title)
{
    boxTitle = toQString(title);
}

void showError(const RuntimeError& e)
{
    QMessageBox box(QMessageBox::Critical, boxTitle,
                    QStringLiteral("Run-time error '%1':\n\n%2")
                        .arg(e.number)
                        .arg(QString::fromStdString(e.description)),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void (*reportError)(const RuntimeError&) = showError;

bool notifyTrapped(const std::function<bool()>& deliver)
{
    try {
        return deliver();
    } catch (const RuntimeError& e) {
        endWith(e);
    } catch (const std::bad_alloc&) {
        endWith({OutOfMemory, errorDescription(OutOfMemory)});
    } catch (const std::exception& e) {
        endWith({ApplicationDefined, e.what()});
    }
}

void trap(const std::function<void()>& handler)
{
    if (!ending)
        notifyTrapped([&] {
            handler();
            return true;
        });
}

} // namespace rt::detail
