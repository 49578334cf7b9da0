// SPDX-License-Identifier: GPL-3.0-or-later
// A window of fixed size has one size and stays where it is: asked to fill the
// screen, by a decoration's button, a double-click on its title or the window
// manager, it returns at once to its normal state. Qt's own title bar (drawn
// where the compositor draws none) always offers maximise, and openbox offers
// full screen to every window, so the offer cannot be withdrawn everywhere.

#include "platform.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace rt::platform {

namespace {

class NormalState : public QObject
{
public:
    NormalState(QWidget* window, Qt::WindowStates refused)
        : QObject(window), window_(window), refused_(refused)
    {
        window->installEventFilter(this);
    }

    // The native window exists once the widget is shown.
    bool eventFilter(QObject* /*watched*/, QEvent* e) override
    {
        if (e->type() == QEvent::Show && window_->windowHandle()) {
            window_->removeEventFilter(this);
            // A decoration asks the QWindow, and the widget never hears of it;
            // the window manager's states reach both. Queued: Qt is still
            // taking the new state in.
            connect(window_->windowHandle(), &QWindow::windowStateChanged, this,
                    &NormalState::restore, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void restore()
    {
        window_->setWindowState(window_->windowState() & ~refused_);
        QWindow* handle = window_->windowHandle();
        if (handle && (handle->windowStates() & refused_))
            handle->setWindowStates(handle->windowStates() & ~refused_);
    }

    QWidget* window_;
    Qt::WindowStates refused_;
};

} // namespace

void keepNormalState(QWidget* window, bool minimisable)
{
    Qt::WindowStates refused = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (!minimisable)
        refused |= Qt::WindowMinimized;
    new NormalState(window, refused);
}

} // namespace rt::platform
