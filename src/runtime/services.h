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

enum MsgBoxStyle
{
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};

enum MsgBoxResult
{
    vbOK = 1,
    vbCancel = 2,
    vbYes = 6,
    vbNo = 7
};

// A modal message box over the active window; returns the button chosen.
Integer MsgBox(const String& prompt, Integer buttons, const String& title);

} // namespace rt
