#pragma once

// Start-up: one Application per process, made before any form.

#include "description.h"

#include <memory>

namespace rt {

class Form;

class Application
{
public:
    // Without a display it says so in one line and ends the process.
    Application(int& argc, char** argv, const FormDescription& mainForm);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Shows the form and delivers its events until it is closed; the exit status.
    int run(Form& form);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

} // namespace rt
