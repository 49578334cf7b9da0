// SPDX-License-Identifier: GPL-3.0-or-later
// A window of fixed size has one size and stays where it is: asked to fill the
// screen, by a decoration's button, a double-click on its title or the window
// manager, it returns at once to its normal state. Qt's own title bar (drawn
// where the compositor draws none) always offers maximise, and openbox offers
// full screen to every window, so the offer cannot be withdrawn everywhere.

#include "platform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
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
        if (e->type() == QEvent::Resize && normal_.size.isValid())
            fixAgain(false);
        if (e->type() == QEvent::Show && window_->windowHandle() && !watching_) {
            watching_ = true;
            // A decoration asks the QWindow, and the widget never hears of it;
            // the window manager's states reach both. Queued: Qt is still
            // taking the new state in.
            connect(window_->windowHandle(), &QWindow::windowStateChanged, this,
                    &NormalState::restore, Qt::QueuedConnection);
            if (QGuiApplication::platformName() == QLatin1String("wayland"))
                connect(window_->windowHandle(), &QWindow::windowStateChanged, this,
                        &NormalState::comply);
        }
        return false;
    }

private:
    // Once asked for, a maximised or full-screen state comes back configured
    // by the compositor, and a client that then commits another size breaks
    // the protocol (weston ends it). The window takes that size for a moment;
    // restore() asks for the normal state, and once the window is in it
    // again it is fixed again.
    void comply(Qt::WindowState state)
    {
        QWindow* handle = window_->windowHandle();
        if (!(state & (Qt::WindowMaximized | Qt::WindowFullScreen)) || normal_.size.isValid())
            return;
        // Its fixed size, not its size now: Qt 6.8 and 6.11 tell of the state
        // once the window has taken the compositor's size.
        normal_ = {handle->minimumSize(), handle->minimumSize(), handle->maximumSize()};
        // The maximum first: Qt 6.8 and 6.11 (not 6.4) fit the window into its
        // limits as each is set, and the old maximum would shrink it at once
        // to its normal size while the compositor still shows it filling the
        // screen (KWin then shows the board's area black once it is back).
        handle->setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        handle->setMinimumSize(QSize(0, 0));
    }

    // Fixed again once the compositor has configured the normal state:
    // at once where it gives back the normal size, or once settled where
    // it hints another (KWin 6.7 may hint the size without Qt's title bar),
    // since a window in the normal state picks its own size. Not before: a
    // window fixed again while Qt 6.11 is still taking in a configure sends
    // an invalid window geometry (-1x-1), for which KWin 6.7 ends it.
    void fixAgain(bool settled)
    {
        QWindow* handle = window_->windowHandle();
        if (!normal_.size.isValid() || (handle->windowStates() & refused_) ||
            (!settled && handle->size() != normal_.size))
            return;
        handle->setMinimumSize(normal_.minimum);
        handle->setMaximumSize(normal_.maximum);
        handle->resize(normal_.size);
        normal_ = {};
    }

    void restore(Qt::WindowState state)
    {
        // Wayland lets no client bring back a window it minimised; a box that
        // must not be minimised, and blocks the window beneath, closes.
        if (state == Qt::WindowMinimized && (refused_ & state) &&
            QGuiApplication::platformName() == QLatin1String("wayland")) {
            window_->close();
            return;
        }
        window_->setWindowState(window_->windowState() & ~refused_);
        QWindow* handle = window_->windowHandle();
        if (handle && (handle->windowStates() & refused_))
            handle->setWindowStates(handle->windowStates() & ~refused_);
        // A compositor that never configured the state asked for never
        // resizes: the window is fixed again all the same.
        if (normal_.size.isValid())
            QTimer::singleShot(Settle, this, [this] { fixAgain(true); });
    }

    enum : int
    {
        Settle = 1000 // ms
    };

    QWidget* window_;
    Qt::WindowStates refused_;
    struct
    {
        QSize size, minimum, maximum;
    } normal_; // while a compositor's state is complied with
    bool watching_ = false;
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
