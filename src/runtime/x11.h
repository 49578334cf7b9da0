// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace rt::detail {

// From now on every window the program opens carries this ASCII class, and
// its title also in an encoding that does not depend on the locale (X11 only).
void nameWindowsForX11(std::string_view windowClass);

} // namespace rt::detail
