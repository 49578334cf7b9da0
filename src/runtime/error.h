// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Run-time errors. Raising one unwinds to the trap around the handler that
// the runtime called; the trap shows the error and ends the program, so an
// error never crosses the toolkit's event loop.

#include <functional>
#include <string>
#include <string_view>

namespace rt {

enum ErrorNumber
{
    InvalidProcedureCall = 5,
    Overflow = 6,
    OutOfMemory = 7,
    InvalidPropertyValue = 380,
    ApplicationDefined = 1000,
};

// Exit statuses of the process.
enum ExitStatus
{
    ExitRuntimeError = 1,
    ExitNoDisplay = 2,  // no window could be opened
    ExitDisplayLost = 3 // the display, or the window, went away while the window was up
};

// Ends the process at once, its output flushed: nothing runs after, not even
// the toolkit's teardown.
[[noreturn]] void exitNow(int status);

struct RuntimeError
{
    int number;
    std::string description;
};

[[noreturn]] void raiseError(int number);

} // namespace rt

namespace rt::detail {

// The error box's title, the name players know the program by.
void titleErrorBoxes(std::u16string_view title);
// Runs a handler inside the trap.
void trap(const std::function<void()>& handler);
// The same trap around the delivery of one toolkit event.
bool notifyTrapped(const std::function<bool()>& deliver);

} // namespace rt::detail
