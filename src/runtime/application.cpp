// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "convert.h"
#include "error.h"
#include "fonts.h"
#include "form.h"
#include "trap.h"
#include "x11.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyleFactory>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace rt {

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
std::vector<HeldMessage>* held = nullptr;

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
    return s + text.trimmed()
                   .replace(QLatin1String("\n\n"), QLatin1String("\n"))
                   .replace(QLatin1String("\n"), QLatin1String("\n  "))
                   .toLocal8Bit()
                   .toStdString();
}

[[noreturn]] void end(int status, const std::string& what, const std::string& details = {})
{
    std::fprintf(stderr, "%s: %s\n%s", programName.c_str(), what.c_str(), details.c_str());
    std::fflush(nullptr);
    std::_Exit(status);
}

[[noreturn]] void startFailed(const std::string& why)
{
    std::string details;
    if (held)
        for (const HeldMessage& m : *held)
            details += "  " + line(m.category, m.text) + "\n";
    end(ExitNoDisplay, "cannot open a window (" + displayTried() + "): " + why, details);
}

// Watches Qt's messages for the failures it reports but does not survive:
// a platform that cannot start (fatal), a thread it cannot create (it would
// wait for that thread for ever), a display connection that breaks (it would
// end the process with the status of a run-time error).
void messages(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const std::string category = context.category ? context.category : "";
    if (type == QtFatalMsg) {
        if (running)
            end(ExitRuntimeError, "Qt failed: " + line(category, text));
        if (!held)
            startFailed(line(category, text));
        held->push_back({type, category, text});
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
    if (held) {
        held->push_back({type, category, text});
        return;
    }
    qtHandler(type, context, text);
}

class GuardedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        return detail::notifyTrapped([&] { return QApplication::notify(receiver, event); });
    }
};

} // namespace

Application::Application(int& argc, char** argv, const FormDescription& mainForm)
{
    programName = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "tevalin";
    if (envOr("QT_QPA_PLATFORM", "").empty() && envOr("DISPLAY", "").empty() &&
        envOr("WAYLAND_DISPLAY", "").empty())
        end(ExitNoDisplay,
            "cannot open a window: no display is set (neither DISPLAY nor WAYLAND_DISPLAY)");

    std::vector<HeldMessage> startup;
    held = &startup;
    qtHandler = qInstallMessageHandler(messages);
    app_ = std::make_unique<GuardedApplication>(argc, argv);
    held = nullptr;
    for (const HeldMessage& m : startup)
        qtHandler(m.type, QMessageLogContext(nullptr, 0, nullptr, m.category.c_str()), m.text);

    QApplication::setApplicationName(detail::toQString(mainForm.productName));
    // No display name: Qt would append it to every window title on X11.
    QApplication::setApplicationVersion(QString::fromLatin1(mainForm.version));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(mainForm.desktopFileName));
    detail::nameWindowsForX11(mainForm.windowClass);
    if (mainForm.icon)
        QApplication::setWindowIcon(QIcon(QPixmap(mainForm.icon)));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    detail::loadFonts();
}

Application::~Application() = default;

int Application::run(Form& form)
{
    form.show();
    running = true;
    const int status = QApplication::exec();
    running = false;
    // Qt 6.4's Wayland client can deadlock as it disconnects: the toolkit's
    // teardown waits for its event thread, which waits on a read nobody
    // finishes, and the closed program never ends. It keeps nothing, so on
    // Wayland it ends here.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}

} // namespace rt
