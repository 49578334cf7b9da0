// A player at the longest sequence there is presses Start: the overflow's
// box is printed and closed, and the runtime ends the process.

#include "fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    rt::Application app(argc, argv, Form1::description());
    rt::testing::setManualTimers(true);
    auto form = fixture::openForm();
    form->SeqLength = 32767;
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::printf("%s|%s|%d\n", qPrintable(box->windowTitle()), qPrintable(box->text()),
                        int(box->icon()));
            std::fflush(stdout);
            box->buttons().value(0)->click();
        }
    });
    fixture::clickControl(*form, form->Command1);
    std::printf("still running\n");
    return 0;
}
