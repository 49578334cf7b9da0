// The toolkit's floor for a window with text: the bare main window plus the
// font file the game loads and one caption in it. Against this the game pays
// only for its own controls.

#include "startup_report.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QMainWindow>

namespace {
constexpr int ClientWidth = 1018;
constexpr int ClientHeight = 736;
constexpr int CaptionPixels = 29; // the Start button's 21.75 points
const char* const FontFile = "/usr/share/wine/fonts/tahoma.ttf";
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    bench::reportFirstFrame();
    QFontDatabase::addApplicationFont(QString::fromLatin1(FontFile));
    QMainWindow window;
    auto* client = new QWidget;
    client->setFixedSize(ClientWidth, ClientHeight);
    auto* caption = new QLabel(QStringLiteral(u"Старт"), client);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(CaptionPixels);
    caption->setFont(font);
    window.setCentralWidget(client);
    window.show();
    return QApplication::exec();
}
