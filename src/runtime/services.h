// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The runtime's services beside the controls: the random generator and the
// message box.

#include "types.h"

namespace rt {

// Reseeds the generator from a high-resolution clock, mixed into its state,
// so that two reseeds never restart the same draws.
void Randomize();

// The next draw, a Single in [0, 1).
Single Rnd();

// The message box's one style: an information icon and an OK button.
enum MsgBoxStyle
{
    vbInformation = 64
};

// A modal information box over the window whose handler calls it (else the
// active one), with an OK button; returns
// when closed.
void MsgBox(const String& prompt, MsgBoxStyle, const String& title);

} // namespace rt
