// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/application.h"
#include "window/form1.h"
#include "window/identity.h"

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, identity());
    Form1 form;
    return app.run(form);
}
