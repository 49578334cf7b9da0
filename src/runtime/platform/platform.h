// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What differs between the window systems and what the desktop sees of the
// process: how a failed start is reported, the exit statuses, the window
// names on X11, the end of a program on Wayland.

#include <string_view>

class QWidget;

namespace rt::platform {

// Before the toolkit starts: with no display set the process ends at once
// with ExitNoDisplay; from now on Qt's messages are watched, and held back
// until started(), so that a failed start can say why.
void watchStartup(std::string_view programName);
// The toolkit is up: the held messages go out as usual.
void started();
// While the window is up and its events flow, a fatal message is a run-time
// error or a lost display (ExitDisplayLost), no longer a failed start.
void setRunning(bool running);

// X11 only: from now on every window the program opens carries this ASCII
// class, and its title also in an encoding that does not depend on the
// locale; and a window of the program that another client destroys ends the
// process with ExitDisplayLost.
void watchWindowsOnX11(std::string_view windowClass);

// Ends the process at once with `status`, saying on standard error what
// happened and on which display.
[[noreturn]] void endOnDisplay(int status, std::string_view what);

// On Wayland the process ends here with `status`; elsewhere this returns.
void endOnWayland(int status);

// Maximised and full screen (and minimised, unless `minimisable`) are
// refused: the window returns at once to its normal state, whoever asked.
void keepNormalState(QWidget* window, bool minimisable);

} // namespace rt::platform
