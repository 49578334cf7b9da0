// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What assistive technology calls each control, kept in step with what the
// control shows. Setting a name also tells assistive technology it changed.

#include "types.h"

#include <string_view>

class QWidget;

namespace rt {
struct ControlDescription;
}

namespace rt::detail {

class ControlObject;

// The designed name of a new control; a scroll bar whose name carries its
// value renames itself as the thumb moves.
void nameForAssistiveTechnology(QWidget* w, const ControlDescription& d);
// After a caption changed: a name that follows the caption follows it.
void captionShown(const ControlObject& c, std::u16string_view caption);
// After a back colour changed: a name that tells the colour says whose it is.
void colourShown(const ControlObject& c, Long bgr);

} // namespace rt::detail
