// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What differs between the window systems and what the desktop sees of the
// process: how a failed start is reported, the exit statuses, the window
// names on X11, the end of a program on Wayland; and what the desktop's
// theme and scale would change.

#include <string_view>

class QPainter;
class QRect;
class QRectF;
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

// From now on every window the program opens carries this ASCII class, and
// its title also in an encoding that does not depend on the locale (X11 only).
void nameWindowsForX11(std::string_view windowClass);

// Ends the process at once with `status`, saying on standard error what
// happened and on which display.
[[noreturn]] void endOnDisplay(int status, std::string_view what);

// From now on, a window of the program that another client destroys (X11
// only) ends the process with ExitDisplayLost.
void endWhenWindowsAreDestroyed();

// On Wayland the process ends here with `status`; elsewhere this returns.
void endOnWayland(int status);

// Maximised and full screen (and minimised, unless `minimisable`) are
// refused: the window returns at once to its normal state, whoever asked.
void keepNormalState(QWidget* window, bool minimisable);

// The window's white ground takes dark text whatever the desktop's theme: a
// dark theme's light text would vanish on it. Children inherit it.
void useLightPalette(QWidget* client);

// `area`, in the painter's logical pixels, on whole device pixels: its corner
// at the nearest one, its size rounded down. At a fractional scale (1.5: 93
// pixels are 139.5) Qt rounds each edge by its place on the screen, and a
// square's sides would differ by a pixel; rounded down, the size is the same
// everywhere and stays within the edges Qt rounds, which clip the painting.
QRectF onDevicePixels(const QPainter& p, const QRect& area);

} // namespace rt::platform
