// A player who has reached the longest sequence there is: the next Start
// overflows. Prints the error box's text, closes it, and lets the runtime end
// the process.

#include "runtime/application.h"
#include "runtime/testing.h"
#include "window/form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, Form1::description());
    rt::testing::setManualTimers(true);
    Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(rt::testing::widget(form)))
        return 3;
    form.SeqLength = 32767;

    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("%s|%s|%d\n", qPrintable(box->windowTitle()), qPrintable(box->text()),
                        int(box->icon()));
            std::fflush(stdout);
            box->buttons().value(0)->click();
        }
    });
    auto* window = static_cast<QMainWindow*>(rt::testing::widget(form));
    QWidget* start = rt::testing::widget(form.Command1);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      start->mapTo(window, start->rect().center()));

    std::printf("still running\n");
    return 0;
}
