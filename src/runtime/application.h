// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Start-up: one Application per process, made before any form.

#include <memory>
#include <string_view>

class QApplication;

namespace rt {

class Form;

// The program as the desktop knows it.
struct ApplicationDescription
{
    std::u16string_view productName;
    std::string_view version;
    // 48 x 48 picture in XPM form, every window's icon.
    const char* const* icon = nullptr;
    // The desktop entry's id, which Wayland compositors match the window to.
    std::string_view desktopFileName;
    // The X11 window class, which launchers match to the desktop entry's
    // StartupWMClass.
    std::string_view windowClass;
};

class Application
{
public:
    // When no window can be opened it says why on standard error, with Qt's
    // own messages and the display it tried, and ends the process with
    // ExitNoDisplay.
    Application(int& argc, char** argv, const ApplicationDescription& program);
    ~Application();

    // Shows the form and delivers its events until it is closed; the exit
    // status. Ends the process with ExitDisplayLost if the display goes away,
    // and on Wayland ends it as soon as the form is closed.
    int run(Form& form);

private:
    std::unique_ptr<QApplication> app_;
};

} // namespace rt
