// SPDX-License-Identifier: GPL-3.0-or-later
// The failures Qt reports but does not survive, said on standard error with
// the exit status that tells them apart: a platform that cannot start, a
// thread it cannot create, a display connection that breaks; and the end on
// Wayland.

#include "platform.h"

#include "runtime/error.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QString>
#include <QtGlobal>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace rt::platform {

namespace {

std::string programName;
QtMessageHandler qtHandler = nullptr; // Qt's own (never null in Qt 6), for the messages let through
bool running = false;                 // the window is up and its events flow

// Qt's messages while its platform starts, held back: when the start fails
// they say why, and when it succeeds they go out as usual.
struct HeldMessage
{
    QtMsgType type;
    std::string category;
    QString text;
};
std::vector<HeldMessage> heldMessages;
bool holding = false;

std::string envOr(const char* name, const char* otherwise)
{
    const char* value = std::getenv(name);
    return value && *value ? value : otherwise;
}

// The platform and display that Qt tried, as the environment named them.
std::string displayTried()
{
    return "platform " + envOr("QT_QPA_PLATFORM", "Qt's default") + ", DISPLAY " +
           envOr("DISPLAY", "unset") + ", WAYLAND_DISPLAY " + envOr("WAYLAND_DISPLAY", "unset");
}

// Under `ulimit -v` a failure to map memory or to start a thread is the
// limit's doing; say so.
std::string memoryLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return {};
    return " (the address space is limited to " + std::to_string(limit.rlim_cur >> 20) +
           " MiB: ulimit -v)";
}

std::string line(const std::string& category, const QString& text)
{
    std::string s = category.empty() || category == "default" ? "" : category + ": ";
    // Qt's advice for a platform that did not start, which no reinstall
    // mends when the display is missing or refuses.
    static const QRegularExpression reinstall(
        QStringLiteral(" *Reinstalling the application may fix this problem\\."));
    return s + QString(text)
                   .remove(reinstall)
                   .trimmed()
                   .replace(QLatin1String("\n\n"), QLatin1String("\n"))
                   .replace(QLatin1String("\n"), QLatin1String("\n  "))
                   .toLocal8Bit()
                   .toStdString();
}

[[noreturn]] void end(int status, const std::string& what, const std::string& details = {})
{
    std::fprintf(stderr, "%s: %s\n%s", programName.c_str(), what.c_str(), details.c_str());
    exitNow(status);
}

[[noreturn]] void startFailed(const std::string& why)
{
    std::string details;
    for (const HeldMessage& m : heldMessages)
        details += "  " + line(m.category, m.text) + "\n";
    end(ExitNoDisplay, "cannot open a window (" + displayTried() + "): " + why, details);
}

// Qt's internals: the messages, and the advice line() drops, are told apart
// by Qt's own words, which are no API. The fault suite makes each happen and
// checked them on Qt 6.4 and 6.8, all but the Wayland connection's, which no
// suite breaks.
//
// A fatal message would otherwise abort, a thread Qt cannot create would
// leave it waiting for that thread for ever, and a broken display connection
// would end the process with the status of a run-time error.
void messages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const std::string category = context.category ? context.category : "";
    if (type == QtFatalMsg) {
        if (running)
            end(ExitRuntimeError, "Qt failed: " + line(category, text));
        if (!holding)
            startFailed(line(category, text));
        heldMessages.push_back({type, category, text});
        startFailed("Qt's platform did not start" + memoryLimit() + "; Qt said:");
    }
    if (text.startsWith(QLatin1String("QThread::start: Thread creation error"))) {
        const std::string why =
            "Qt could not create a thread (" + line(category, text) + ")" + memoryLimit();
        if (!running)
            startFailed(why);
        end(ExitRuntimeError, "cannot go on: " + why);
    }
    if (running && (text.startsWith(QLatin1String("The X11 connection broke")) ||
                    text.startsWith(QLatin1String("The Wayland connection"))))
        end(ExitDisplayLost,
            "the display went away (" + displayTried() + "): " + line(category, text));
    if (holding) {
        heldMessages.push_back({type, category, text});
        return;
    }
    qtHandler(type, context, text);
}

} // namespace

void endOnDisplay(int status, std::string_view what)
{
    end(status, std::string(what) + " (" + displayTried() + ")");
}

// Qt 6.4's Wayland client can deadlock as it disconnects: the toolkit's
// teardown waits for its event thread, which waits on a read nobody finishes,
// and the closed program never ends. It keeps nothing, so on Wayland it ends
// here.
void endOnWayland(int status)
{
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        exitNow(status);
}

void watchStartup(std::string_view name)
{
    programName = name;
    if (envOr("QT_QPA_PLATFORM", "").empty() && envOr("DISPLAY", "").empty() &&
        envOr("WAYLAND_DISPLAY", "").empty())
        end(ExitNoDisplay,
            "cannot open a window: no display is set (neither DISPLAY nor WAYLAND_DISPLAY)");
    holding = true;
    qtHandler = qInstallMessageHandler(messages);
}

void started()
{
    holding = false;
    for (const HeldMessage& m : heldMessages)
        qtHandler(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.c_str()), m.text);
    heldMessages.clear();
    heldMessages.shrink_to_fit();
}

void setRunning(bool on)
{
    running = on;
}

} // namespace rt::platform
