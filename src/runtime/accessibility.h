// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What assistive technology hears of the window: each control's name, kept
// in step with what the control shows (setting a name also tells assistive
// technology it changed); the squares as buttons with a press action; the
// controls that announce what they show once a handler has set it; and both
// halves of a control's visibility.

#include "types.h"

#include <string_view>

class QWidget;

namespace rt {
struct ControlDescription;
}

namespace rt::detail {

class ControlObject;
class FormObject;

// The labels' interfaces and the filter of Qt's notices; once per program.
void installAccessibility();

// The designed name of a new control; a scroll bar whose name carries its
// value renames itself as the thumb moves.
void nameForAssistiveTechnology(QWidget* w, const ControlDescription& d);
// After a caption changed: a name that follows the caption follows it.
void captionShown(const ControlObject& c, std::u16string_view caption);
// After a back colour changed: a name that tells the colour says whose it is.
void colourShown(const ControlObject& c, Long bgr);
// Handlers under way: what they change is told once the outermost returns.
// A modal box's loop is a new outermost level, so that what the handlers it
// runs change is told as it shows, not when the box closes.
extern int handlersRunning;

// A handler showed the control or changed what it shows: an announced
// control is told once the outermost handler returns.
void changed(ControlObject& c);
// After the outermost handler: the announced controls it changed that still
// show are told, with what they now show.
void announceChanges(FormObject& f);
// Qt tells only "showing" when a control shows or hides; a client that read
// the control while it was hidden needs "visible" too.
void visibilityChanged(const ControlObject& c, bool visible);

} // namespace rt::detail
