// SPDX-License-Identifier: GPL-3.0-or-later
#include "services.h"

#include "accessibility.h"
#include "convert.h"
#include "form_object.h"
#include "platform/platform.h"
#include "seams.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

#include <chrono>
#include <utility>

namespace rt {

// The random generator: SplitMix64 steps, drawn to 24 bits so that every draw
// is a Single in [0, 1) and the largest is the largest Single below 1.

namespace {

constexpr std::uint64_t Golden = 0x9E3779B97F4A7C15ull;

std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint64_t state = 0x5DEECE66Dull;

} // namespace

void (*detail::reseedHook)() = nullptr;
std::optional<Single> (*detail::drawHook)() = nullptr;

void Randomize()
{
    const std::uint64_t ns =
        std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
    // The old state goes into the new one: equal clock readings never restart
    // a sequence.
    state = mix(state + Golden) ^ mix(ns);
    if (detail::reseedHook)
        detail::reseedHook();
}

Single Rnd()
{
    if (detail::drawHook)
        if (const auto scripted = detail::drawHook())
            return *scripted;
    state += Golden;
    return static_cast<Single>(mix(state) >> 40) * 0x1p-24f;
}

void MsgBox(const String& prompt, MsgBoxStyle /*vbInformation*/, const String& title)
{
    // One box, shown again at every call: on X11 every new box that is painted
    // leaves about 2 KiB behind inside Qt 6.4, so a player who opens the credit
    // again and again would see the program grow. It belongs to the window
    // whose handler asks for it, modal to it and placed over it, even when no
    // window is active (a command chosen through assistive technology from
    // another program); being modal, it cannot be asked for again while it
    // shows.
    static QPointer<QMessageBox> box;
    QWidget* const owner =
        detail::handlerWindow ? detail::handlerWindow : QApplication::activeWindow();
    if (!box) {
        box =
            new QMessageBox(QMessageBox::Information, QString(), QString(), QMessageBox::Ok, owner);
        box->setWindowModality(Qt::ApplicationModal);
        // A box of fixed size, neither minimised nor maximised.
        box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        platform::keepNormalState(box, false);
    } else if (owner && box->parentWidget() != owner)
        box->setParent(owner, box->windowFlags());
    box->setWindowTitle(detail::toQString(title.str()));
    box->setText(detail::toQString(prompt.str()));
    // Its loop is a new outermost level: see accessibility.h.
    const int outer = std::exchange(detail::handlersRunning, 0);
    box->exec();
    detail::handlersRunning = outer;
}

} // namespace rt
