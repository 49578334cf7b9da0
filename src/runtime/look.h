// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The controls' look where the style's own does not serve: solid colours, and
// one border grey and one focus blue for the Start button and the scroll bar.

#include "types.h"

class QString;
class QWidget;

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

} // namespace rt::detail
