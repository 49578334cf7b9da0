#pragma once

// What the program's windows tell an X11 window manager, beyond what Qt
// writes: nothing on other platforms.

#include <string_view>

namespace rt::detail {

// From now on every window the program opens carries this ASCII class, and
// its title also in an encoding that does not depend on the locale.
void nameWindowsForX11(std::string_view windowClass);

} // namespace rt::detail
