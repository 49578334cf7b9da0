// SPDX-License-Identifier: GPL-3.0-or-later
#include "identity.h"

#include "icon.h"

namespace {

const rt::ApplicationDescription tevalin{
    .productName = u"Тевалин",
    .version = "1.00",
    .icon = icon48,
    .desktopFileName = "io.github.kelvaro.Tevalin",
    .name = "tevalin",
};

} // namespace

const rt::ApplicationDescription& identity()
{
    return tevalin;
}
