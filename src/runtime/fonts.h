// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The captions' faces.

class QFont;

namespace rt {
struct FontDescription;
}

namespace rt::detail {

// Makes the bundled faces known; fontconfig does not list Wine's font folder.
void loadFonts();
// The description's face at the pixel size its points have at 96 dpi, so the
// text keeps its place whatever the display's dpi. A face that is not
// installed is replaced by a narrow one with Cyrillic glyphs.
QFont fontFor(const FontDescription& d);

} // namespace rt::detail
