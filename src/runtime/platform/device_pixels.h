// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QPainter;
class QRect;
class QRectF;

namespace rt::detail {

// `area`, in the painter's logical pixels, on whole device pixels: its corner
// at the nearest one, its size rounded down. At a fractional scale (1.5: 93
// pixels are 139.5) Qt rounds each edge by its place on the screen, and a
// square's sides would differ by a pixel; rounded down, the size is the same
// everywhere and stays within the edges Qt rounds, which clip the painting.
QRectF onDevicePixels(const QPainter& p, const QRect& area);

} // namespace rt::detail
