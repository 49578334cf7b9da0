// SPDX-License-Identifier: GPL-3.0-or-later
// The program as it starts for real, with real timers, driven into one
// situation; it reports on standard output, one fact a line:
//
//   fault_helper close PHASE     closes the window while idle, presenting,
//                                answering, judging, or with the credit open;
//                                on X11 through the X server, as the window
//                                manager's close button does
//   fault_helper destroy idle    another client destroys the window (X11)
//   fault_helper error HANDLER   a run-time error in that handler with a timer
//                                ticking beneath the error box; reports what
//                                the box says and whether anything ran beneath
//   fault_helper oom HANDLER     the same, the handler running out of memory
//   fault_helper overflow Command1_Click
//                                Start pressed at the longest sequence there is

#include "fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <X11/Xlib.h>
#undef True // Xlib's, not the runtime's
#undef False

#include <cstdio>
#include <functional>
#include <new>
#include <optional>
#include <string>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// What a window manager sends when its close button is pressed; elsewhere the
// platform's own close.
void closeWindow(QWidget* w)
{
    if (!onX11()) {
        w->windowHandle()->close();
        return;
    }
    Display* d = XOpenDisplay(nullptr);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = Window(w->winId());
    e.xclient.format = 32;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", 0);
    e.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", 0));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, e.xclient.window, 0, NoEventMask, &e);
    XCloseDisplay(d);
}

// What xdotool's windowclose does: another client destroys the window.
void destroyWindow(QWidget* w)
{
    Display* d = XOpenDisplay(nullptr);
    XDestroyWindow(d, Window(w->winId()));
    XCloseDisplay(d);
}

// Form1 with one handler broken on request: it starts the clock, so that
// something would run beneath the error box, and fails a property call.
class FaultyForm : public Form1
{
public:
    void breakHandler(const QString& name, bool outOfMemory = false)
    {
        faulty_ = name.toStdString();
        outOfMemory_ = outOfMemory;
        const Handler<FaultyForm> broken[] = {{faulty_, &FaultyForm::Faulty}};
        bind(std::span<const Handler<FaultyForm>>(broken));
    }

private:
    void Faulty()
    {
        say(QStringLiteral("raise %1").arg(QString::fromStdString(faulty_)));
        Timer1.Interval = 50;
        Timer1.Enabled = rt::True;
        if (outOfMemory_)
            throw std::bad_alloc();
        Timer1.Interval = -1; // not an interval: run-time error 380
        say(QStringLiteral("ran on after the error"));
    }

    std::string faulty_;
    bool outOfMemory_ = false;
};

// A player's moves, each waiting for the game as a player watches it.
void play(FaultyForm& f, const QString& mode, const QString& what)
{
    const auto is = [&what](const char* name) { return what == QLatin1String(name); };
    const auto waitUntil = [](const std::function<bool()>& ready) {
        if (!QTest::qWaitFor(ready))
            say(QStringLiteral("the game never got there"));
    };
    if (mode == QLatin1String("overflow")) {
        f.SeqLength = 32767;
        fixture::clickControl(f, f.Command1);
        return;
    }
    auto* bar = static_cast<QScrollBar*>(rt::testing::widget(f.HScroll1));
    // The fastest speed first, as a player who slides the bar to the left.
    QTest::keyClick(bar, Qt::Key_Home);
    const bool ending = mode == QLatin1String("close") || mode == QLatin1String("destroy");
    if (!ending)
        f.breakHandler(what, mode == QLatin1String("oom"));
    if (is("Label4_Click")) {
        fixture::clickSquare(f, 4);
    } else if (is("HScroll1_Scroll")) {
        const QPoint from =
            bar->mapTo(rt::testing::widget(f), fixture::scrollBarPart(bar).center());
        QTest::mousePress(rt::testing::windowHandle(f), Qt::LeftButton, {}, from);
        QTest::mouseMove(rt::testing::windowHandle(f), from + QPoint(40, 0));
    } else if (is("mk_Click")) {
        fixture::clickCredit(f);
    } else if (!is("idle") && !is("Form_Load")) { // a round, as far as the case asks
        fixture::clickControl(f, f.Command1);
        if (is("presenting"))
            waitUntil([&f] { return f.TickCount >= 2; });
        if (is("answering") || is("verdict"))
            waitUntil([&f] { return fixture::phaseOf(f) == fixture::Phase::Answering; });
        if (is("verdict"))
            fixture::answer(f, fixture::text(f.ShownSeq));
        if (is("verdict"))
            waitUntil([&f] { return fixture::phaseOf(f) == fixture::Phase::Verdict; });
    }
    // The credit is closed once it is up, the presentation going on beneath it.
    if (mode == QLatin1String("close"))
        QTimer::singleShot(is("credit") ? 100 : 0, [&f, what] {
            // The window manager's close of a window the credit blocks is
            // ignored there: the credit is closed first.
            QWidget* box = QApplication::activeModalWidget();
            QWidget* main = rt::testing::widget(f);
            say(QStringLiteral("reached ") + what);
            closeWindow(box && onX11() ? box : main);
            if (QWidget* next = !box ? nullptr : onX11() ? main : box)
                QTimer::singleShot(100, next, [next] { closeWindow(next); });
        });
    if (mode == QLatin1String("destroy"))
        QTimer::singleShot(0, [&f] {
            say(QStringLiteral("reached idle"));
            destroyWindow(rt::testing::widget(f));
        });
    if (is("credit"))
        fixture::clickCredit(f);
}

} // namespace

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, identity());
    rt::testing::install();
    if (argc != 3)
        return 64;
    const QString mode = QString::fromLatin1(argv[1]), what = QString::fromLatin1(argv[2]);
    QTimer::singleShot(20000, [] {
        say(QStringLiteral("hung"));
        std::_Exit(65);
    });
    FaultyForm f;
    if (what == QLatin1String("Form_Load"))
        f.breakHandler(what);
    // The error box is reported, left up a while to see whether anything runs
    // beneath it, and closed.
    std::optional<fixture::BoxCloser> errorBox;
    if (mode != QLatin1String("close"))
        errorBox.emplace([&f](QWidget* box) {
            say(QStringLiteral("box: %1|%2")
                    .arg(box->windowTitle(), static_cast<QMessageBox*>(box)->text())
                    .replace(u'\n', u' '));
            const QString before = fixture::snapshot(f);
            QTest::qWait(300);
            const QString after = fixture::snapshot(f);
            say(after == before ? QStringLiteral("beneath: nothing ran")
                                : QStringLiteral("beneath: %1 -> %2").arg(before, after));
        });
    QTimer::singleShot(0, [&] { play(f, mode, what); });
    return app.run(f);
}
