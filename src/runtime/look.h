// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The controls' look where the style's own does not serve: solid colours, and
// one border grey and one focus blue for the Start button and the scroll bar;
// the captions' faces; and what the desktop's theme and scale would change.

#include "types.h"

class QFont;
class QPainter;
class QRect;
class QRectF;
class QString;
class QWidget;

namespace rt {
struct FontDescription;
}

namespace rt::detail {

// 0xRRGGBB, as style sheets and QColor write them.
enum Shade : unsigned
{
    BorderGrey = 0x7a7a7a, // the Start button's border, the scroll bar's thumb
    FocusBlue = 0x3d6fb4   // the frame of the control that has the keyboard
};

// A command button's solid face on its grey border, blue while it has the
// keyboard.
QString buttonStyle(Long face);

// A control's colours, 0x00BBGGRR.
void paintBackground(QWidget* w, Long bgr);
void paintText(QWidget* w, Long bgr);

// The window's white ground takes dark text whatever the desktop's theme: a
// dark theme's light text would vanish on it. Children inherit it.
void useLightPalette(QWidget* client);

// `area`, in the painter's logical pixels, on whole device pixels: its corner
// at the nearest one, its size rounded down. At a fractional scale (1.5: 93
// pixels are 139.5) Qt rounds each edge by its place on the screen, and a
// square's sides would differ by a pixel; rounded down, the size is the same
// everywhere and stays within the edges Qt rounds, which clip the painting.
QRectF onDevicePixels(const QPainter& p, const QRect& area);

// Makes the bundled faces known; fontconfig does not list Wine's font folder.
void loadFonts();
// The description's face at the pixel size its points have at 96 dpi, so the
// text keeps its place whatever the display's dpi. Where Tahoma, which the
// window is laid out for, is not installed, a narrow face with Cyrillic glyphs
// stands in, a size smaller where its text runs wider than Tahoma's.
QFont fontFor(const FontDescription& d);

} // namespace rt::detail
