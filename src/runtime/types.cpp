// SPDX-License-Identifier: GPL-3.0-or-later
#include "types.h"

#include "error.h"

#include <cmath>

namespace rt {

void raiseOverflow()
{
    raiseError(Overflow);
}

double Int(double x)
{
    return std::floor(x);
}

Integer CInt(double x)
{
    if (!std::isfinite(x) || x < Integer::Min - 0.5 || x >= Integer::Max + 0.5)
        raiseOverflow();
    return Integer(static_cast<int>(std::nearbyint(x)));
}

String operator&(const String& a, const String& b)
{
    return String(a.str() + b.str());
}

String operator&(const String& a, Integer n)
{
    const std::string digits = std::to_string(n.value());
    return String(a.str() + std::u16string(digits.begin(), digits.end()));
}

} // namespace rt
