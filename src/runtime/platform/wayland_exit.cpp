// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace rt::platform {

// Qt 6.4's Wayland client can deadlock as it disconnects: the toolkit's
// teardown waits for its event thread, which waits on a read nobody finishes,
// and the closed program never ends. It keeps nothing, so on Wayland it ends
// here.
void endOnWayland(int status)
{
    if (QGuiApplication::platformName() != QLatin1String("wayland"))
        return;
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace rt::platform
