// SPDX-License-Identifier: GPL-3.0-or-later
#include "look.h"

#include "convert.h"
#include "description.h"
#include "seams.h"

#include <QColor>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

namespace rt::detail {

QString buttonStyle(Long face)
{
    // A style sheet gives the solid face; Fusion paints the palette as a gradient.
    // The caption takes the light palette's ink: a style sheet reads the
    // application's palette, which a dark theme makes light.
    const QColor c = toColor(face);
    return QStringLiteral("QPushButton { color: black; background-color: %1;"
                          " border: 1px solid %3; }"
                          "QPushButton:pressed { background-color: %2; }"
                          "QPushButton:focus { border: 2px solid %4; }")
        .arg(c.name(), c.darker(110).name(), QColor(BorderGrey).name(), QColor(FocusBlue).name());
}

void paintBackground(QWidget* w, Long bgr)
{
    // Fusion fills some controls with the Button role, the rest with Window.
    QPalette p = w->palette();
    p.setColor(QPalette::Window, toColor(bgr));
    p.setColor(QPalette::Button, toColor(bgr));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void paintText(QWidget* w, Long bgr)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, toColor(bgr));
    w->setPalette(p);
}

void useLightPalette(QWidget* client)
{
    // Fusion's light palette, every role written out: from Qt 6.5 on the
    // style's standard palette follows the desktop into dark.
    using P = QPalette;
    P p;
    const auto paint = [&p](P::ColorGroup group, QRgb rgb,
                            std::initializer_list<P::ColorRole> roles) {
        for (P::ColorRole role : roles)
            p.setColor(group, role, QColor::fromRgb(rgb));
    };
    paint(P::All, 0x000000, {P::WindowText, P::Text, P::ButtonText, P::ToolTipText});
    paint(P::All, 0xffffff, {P::HighlightedText, P::BrightText, P::Base, P::Light});
    paint(P::All, 0xefefef, {P::Window, P::Button});
    paint(P::All, 0xf7f7f7, {P::AlternateBase});
    paint(P::All, 0xffffdc, {P::ToolTipBase});
    paint(P::All, 0xcacaca, {P::Midlight});
    paint(P::All, 0xb8b8b8, {P::Mid});
    paint(P::All, 0x9f9f9f, {P::Dark});
    paint(P::All, 0x767676, {P::Shadow});
    paint(P::All, 0x308cc6, {P::Highlight});
    paint(P::All, 0x0000ff, {P::Link});
    paint(P::All, 0xff00ff, {P::LinkVisited});
    paint(P::All, 0x808080, {P::PlaceholderText});
    paint(P::Disabled, 0xbebebe, {P::WindowText, P::Text, P::ButtonText, P::Dark});
    paint(P::Disabled, 0xefefef, {P::Base});
    paint(P::Disabled, 0xb1b1b1, {P::Shadow});
    paint(P::Disabled, 0x919191, {P::Highlight});
    client->setPalette(p);
}

QRectF onDevicePixels(const QPainter& p, const QRect& area)
{
    const QTransform toDevice = p.deviceTransform();
    const qreal ratio = p.device()->devicePixelRatioF();
    const QPointF corner = toDevice.map(QPointF(area.topLeft()));
    // A hair up: a whole product computed a hair below stays whole.
    const auto whole = [ratio](int logical) { return std::floor(logical * ratio + 1e-6); };
    const QRectF device(std::round(corner.x()), std::round(corner.y()), whole(area.width()),
                        whole(area.height()));
    return toDevice.inverted().mapRect(device);
}

namespace {

// The window is laid out for Tahoma's widths. Where it is missing, a narrow
// face stands in: DejaVu Sans Condensed (fonts-dejavu-extra, on every Debian
// release), Liberation Sans Narrow, or as a last resort the system's face.
constexpr const char* LaidOutFor = "Tahoma";
constexpr const char* Substitutes[] = {"DejaVu Sans Condensed", "Liberation Sans Narrow"};
// How wide Tahoma sets the letters and digits the captions are made of: the
// alphabet and the digits measure 46.21 ems in Wine's tahoma.ttf.
constexpr char16_t Sample[] =
    u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя0123456789";
constexpr double TahomaSampleEms = 46.21;

struct Face
{
    QString family;
    double scale = 1; // of the described size, so that its text is no wider than Tahoma's
};

QString findFamily(const QString& face, bool cyrillic)
{
    const auto fits = [cyrillic](const QString& family) {
        return QFontDatabase::hasFamily(family) &&
               (!cyrillic ||
                QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic));
    };
    if (fits(face))
        return face;
    for (const char* s : Substitutes)
        if (fits(QString::fromLatin1(s)))
            return QString::fromLatin1(s);
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

Face findFace(const FontDescription& d)
{
    const QString asked = QString::fromUtf8(d.face);
    Face face{findFamily(asked, d.cyrillic)};
    if (face.family != asked && asked == QLatin1String(LaidOutFor)) {
        // Large and unhinted: the widths of the design, not of one pixel grid.
        QFont f(face.family);
        f.setPixelSize(2048);
        f.setHintingPreference(QFont::PreferNoHinting);
        const double ems = QFontMetricsF(f).horizontalAdvance(QString::fromUtf16(Sample)) / 2048;
        face.scale = std::min(1.0, TahomaSampleEms / ems);
    }
    return face;
}

} // namespace

bool withoutTahoma = false;

void loadFonts()
{
    const QString tahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (!withoutTahoma && QFile::exists(tahoma))
        QFontDatabase::addApplicationFont(tahoma);
}

QFont fontFor(const FontDescription& d)
{
    // Each look-up asks fontconfig to match the face anew, and every captioned
    // control asks for the same one or two faces: ask once.
    static std::map<std::pair<std::string, bool>, Face> resolved;
    auto [found, added] = resolved.try_emplace({std::string(d.face), d.cyrillic});
    if (added)
        found->second = findFace(d);
    const Face& face = found->second;
    QFont f(face.family);
    // A substitute's size is rounded down: its captions must fit where Tahoma's do.
    f.setPixelSize(static_cast<int>(std::floor(d.points * 96.0 / 72.0 * face.scale + 1e-6)));
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

} // namespace rt::detail
