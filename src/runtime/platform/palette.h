// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace rt::detail {

// The window's white ground takes dark text whatever the desktop's theme: a
// dark theme's light text would vanish on it. Children inherit it.
void useLightPalette(QWidget* client);

} // namespace rt::detail
