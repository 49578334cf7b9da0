// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The trap around everything the runtime runs for the program: a run-time
// error shows its message and ends the program, so it never crosses the
// toolkit's event loop.

#include <functional>

namespace rt::detail {

// Runs a handler inside the trap.
void trap(const std::function<void()>& handler);
// The same trap around the delivery of one toolkit event.
bool notifyTrapped(const std::function<bool()>& deliver);

} // namespace rt::detail
