// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Start-up: one Application per process, made before any form.

#include "description.h"

#include <memory>

class QApplication;

namespace rt {

class Form;

class Application
{
public:
    // When no window can be opened it says why on standard error, with Qt's
    // own messages and the display it tried, and ends the process with
    // ExitNoDisplay.
    Application(int& argc, char** argv, const FormDescription& mainForm);
    ~Application();

    // Shows the form and delivers its events until it is closed; the exit
    // status. Ends the process with ExitDisplayLost if the display goes away,
    // and on Wayland ends it as soon as the form is closed.
    int run(Form& form);

private:
    std::unique_ptr<QApplication> app_;
};

} // namespace rt
