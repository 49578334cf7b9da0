// SPDX-License-Identifier: GPL-3.0-or-later
// A start-up child: the program as src/main.cpp starts it or, built with
// TEVALIN_BENCH_BARE, the toolkit's floor (a bare main window of the game's
// client size). It prints the moment its first frame reached the X server
// and its peak resident memory so far, and ends at once.

#include "frame_probe.h"

#ifdef TEVALIN_BENCH_BARE
#include <QApplication>
#include <QMainWindow>
#else
#include "runtime/application.h"
#include "window/form1.h"
#include "window/identity.h"
#endif

int main(int argc, char* argv[])
{
    auto report = [](const bench::FrameProbe::Frame& f) {
        std::printf("first_frame_ns=%lld peak_kb=%ld\n", static_cast<long long>(f.at),
                    bench::residentKiB("VmHWM"));
        std::fflush(stdout);
        std::_Exit(0);
    };
#ifdef TEVALIN_BENCH_BARE
    QApplication app(argc, argv);
    bench::FrameProbe probe(report);
    QMainWindow window;
    auto* client = new QWidget;
    client->setFixedSize(1018, 736); // 15270 x 11040 twips at 15 twips a pixel
    window.setCentralWidget(client);
    window.show();
    return QApplication::exec();
#else
    rt::Application app(argc, argv, identity());
    bench::FrameProbe probe(report);
    Form1 form;
    return app.run(form);
#endif
}
