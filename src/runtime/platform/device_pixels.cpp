// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace rt::platform {

QRectF onDevicePixels(const QPainter& p, const QRect& area)
{
    const QTransform toDevice = p.deviceTransform();
    const qreal ratio = p.device()->devicePixelRatioF();
    const QPointF corner = toDevice.map(QPointF(area.topLeft()));
    // A hair up: a whole product computed a hair below stays whole.
    const auto whole = [ratio](int logical) { return std::floor(logical * ratio + 1e-6); };
    const QRectF device(std::round(corner.x()), std::round(corner.y()), whole(area.width()),
                        whole(area.height()));
    return toDevice.inverted().mapRect(device);
}

} // namespace rt::platform
