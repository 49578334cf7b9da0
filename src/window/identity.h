// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/application.h"

// The program's name, version and icon, and the names desktops match its
// window to its desktop entry by.
const rt::ApplicationDescription& identity();
