// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The one home of the runtime's conversions to and from Qt's units.

#include "types.h"

#include <string_view>

class QColor;
class QString;

namespace rt::detail {

// 15 twips a logical pixel.
int pixels(Single twips);
Single twips(int pixels);

// 0x00BBGGRR to a colour.
QColor toColor(Long bgr);

QString toQString(std::u16string_view s);
String toString(const QString& s);

} // namespace rt::detail
