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
    // The name players know it by: the error box's title.
    std::u16string_view productName;
    std::string_view version;
    // 48 x 48 picture in XPM form, every window's icon.
    const char* const* icon = nullptr;
    // The desktop entry's id, which Wayland compositors match the window to.
    std::string_view desktopFileName;
    // Its name as a command, in lower-case ASCII: the application's name that
    // assistive technology sees (Orca 51 keeps its settings for an
    // application under that name with all but a-z, 0-9 and - dropped, and
    // ignores an application whose name leaves nothing), and the X11 window
    // class, which launchers match to the desktop entry's StartupWMClass.
    std::string_view name;
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
