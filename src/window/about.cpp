// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "runtime/services.h"

using namespace rt;

void Form1::mk_Click()
{
    MsgBox(u"Kelvaro   < 7 ноября 2004 года >", vbInformation, u"Разработчик ");
}
