// The program brought to one phase of a round, or with the credit open, then
// left to the event loop with its timers running, for the window manager to
// close. Prints "ready" and the X window ids to close: the main window's and,
// with the credit open, the box's.
//   close_child idle|presenting|answering|verdict|credit

#include "runtime/application.h"
#include "runtime/testing.h"
#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void click(const Form1& form, const rt::Control& c)
{
    auto* window = rt::testing::widget(form);
    const QWidget* w = rt::testing::widget(c);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      w->mapTo(window, w->rect().center()));
}

void present(Form1& form)
{
    for (int i = 0; i < 100 && rt::testing::isRunning(form.Timer1); ++i)
        rt::testing::fireTick(form.Timer1);
}

// The clock takes over the running timers from here on.
void realTimers(Form1& form)
{
    rt::testing::setManualTimers(false);
    for (rt::Timer* t : {&form.Timer1, &form.Timer2})
        if (rt::testing::isRunning(*t)) {
            t->Enabled = rt::False;
            t->Enabled = rt::True;
        }
}

void ready(std::initializer_list<const QWidget*> windows)
{
    std::printf("ready");
    for (const QWidget* w : windows)
        std::printf(" %llu", static_cast<unsigned long long>(w->winId()));
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    const char* phase = argc > 1 ? argv[1] : "";
    rt::Application app(argc, argv, Form1::description());
    rt::testing::setManualTimers(true);
    Form1 form;
    form.show();
    auto* window = static_cast<QMainWindow*>(rt::testing::widget(form));
    if (!QTest::qWaitForWindowExposed(window))
        return 3;

    if (std::strcmp(phase, "idle") == 0) {
        ready({window});
    } else if (std::strcmp(phase, "presenting") == 0) {
        form.HScroll1.Value = 1000;
        click(form, form.Command1);
        rt::testing::fireTick(form.Timer1);
        ready({window});
    } else if (std::strcmp(phase, "answering") == 0) {
        click(form, form.Command1);
        present(form);
        ready({window});
    } else if (std::strcmp(phase, "verdict") == 0) {
        click(form, form.Command1);
        present(form);
        click(form, form.Label1);
        ready({window});
    } else if (std::strcmp(phase, "credit") == 0) {
        // The box is modal: it is read once it shows, from inside its own loop.
        QTimer::singleShot(0, window, [window] {
            QTimer::singleShot(0, window, [window] {
                QWidget* box = QApplication::activeModalWidget();
                if (!box || !QTest::qWaitForWindowExposed(box))
                    std::_Exit(4);
                ready({window, box});
            });
            window->menuBar()->actions().value(0)->trigger();
        });
    } else {
        std::fprintf(stderr, "close_child: no phase %s\n", phase);
        return 2;
    }
    realTimers(form);
    return app.run(form);
}
