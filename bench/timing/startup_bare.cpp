// The toolkit's floor: a bare main window with the game's client size.

#include "startup_report.h"

#include <QApplication>
#include <QMainWindow>

namespace {
constexpr int ClientWidth = 1018; // 15270 x 11040 twips at 15 twips a pixel
constexpr int ClientHeight = 736;
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    bench::reportFirstFrame();
    QMainWindow window;
    auto* client = new QWidget;
    client->setFixedSize(ClientWidth, ClientHeight);
    window.setCentralWidget(client);
    window.show();
    return QApplication::exec();
}
