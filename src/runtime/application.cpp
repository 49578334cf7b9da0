#include "application.h"

#include "error.h"
#include "fonts.h"
#include "form.h"
#include "form_object.h"
#include "x11.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyleFactory>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace rt {

namespace {

std::string programName;

// A toolkit that cannot reach a display ends the process from inside its
// constructor with a fatal message and a backtrace; say it in one line instead.
void startupMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtFatalMsg)
        return; // the platform plugin's warnings lead up to the fatal one
    (void)message;
    std::fprintf(stderr, "%s: cannot open a window: no display could be reached%s\n",
                 programName.c_str(),
                 std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")
                     ? ""
                     : " (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    std::fflush(stderr);
    std::_Exit(ExitNoDisplay);
}

bool displayExpected()
{
    return std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY") ||
           std::getenv("WAYLAND_DISPLAY");
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

struct Application::Impl
{
    Impl(int& argc, char** argv) : app(argc, argv) {}
    GuardedApplication app;
};

Application::Application(int& argc, char** argv, const FormDescription& mainForm)
{
    programName = argc > 0 ? argv[0] : "tevalin";
    if (const auto slash = programName.rfind('/'); slash != std::string::npos)
        programName.erase(0, slash + 1);
    if (!displayExpected())
        startupMessages(QtFatalMsg, QMessageLogContext(), QString());

    const QtMessageHandler previous = qInstallMessageHandler(startupMessages);
    d_ = std::make_unique<Impl>(argc, argv);
    qInstallMessageHandler(previous);

    QApplication::setApplicationName(detail::toQString(mainForm.productName));
    // No display name: Qt would append it to every window title on X11.
    QApplication::setApplicationVersion(
        QString::fromLatin1(mainForm.version.data(), qsizetype(mainForm.version.size())));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(
        mainForm.desktopFileName.data(), qsizetype(mainForm.desktopFileName.size())));
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
    return QApplication::exec();
}

} // namespace rt
