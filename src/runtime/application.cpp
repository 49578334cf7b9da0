// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "accessibility.h"
#include "convert.h"
#include "error.h"
#include "form.h"
#include "look.h"
#include "platform/platform.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyleFactory>

#include <filesystem>

namespace rt {

namespace {

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

Application::Application(int& argc, char** argv, const ApplicationDescription& program)
{
    platform::watchStartup(argc > 0 ? std::filesystem::path(argv[0]).filename().string()
                                    : "tevalin");
    app_ = std::make_unique<GuardedApplication>(argc, argv);
    platform::started();

    QApplication::setApplicationName(QString::fromLatin1(program.name));
    // No display name: Qt would append it to every window title on X11.
    detail::titleErrorBoxes(program.productName);
    QApplication::setApplicationVersion(QString::fromLatin1(program.version));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(program.desktopFileName));
    platform::watchWindowsOnX11(program.name);
    if (program.icon)
        QApplication::setWindowIcon(QIcon(QPixmap(program.icon)));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    detail::loadFonts();
    detail::installAccessibility();
}

Application::~Application() = default;

int Application::run(Form& form)
{
    form.show();
    platform::setRunning(true);
    const int status = QApplication::exec();
    platform::setRunning(false);
    platform::endOnWayland(status);
    return status;
}

} // namespace rt
