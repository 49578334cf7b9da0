// SPDX-License-Identifier: GPL-3.0-or-later
#include "convert.h"

#include <QColor>
#include <QString>

#include <cmath>

namespace rt::detail {

constexpr Single TwipsPerPixel = 15;

int pixels(Single twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

Single twips(int pixels)
{
    return Single(pixels) * TwipsPerPixel;
}

QColor toColor(Long bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QString toQString(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

String toString(const QString& s)
{
    return String(s.toStdU16String());
}

} // namespace rt::detail
