// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include "description.h"

#include <QFile>
#include <QFontDatabase>

#include <cmath>
#include <map>
#include <string>
#include <utility>

namespace rt::detail {

namespace {

// Narrow faces first: the captions are laid out for Tahoma's widths.
constexpr const char* Substitutes[] = {"DejaVu Sans Condensed", "Liberation Sans Narrow",
                                       "Noto Sans", "DejaVu Sans"};

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

} // namespace

void loadFonts()
{
    const QString tahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(tahoma))
        QFontDatabase::addApplicationFont(tahoma);
}

QFont fontFor(const FontDescription& d)
{
    // Each look-up asks fontconfig to match the face anew, and every captioned
    // control asks for the same one or two faces: ask once.
    static std::map<std::pair<std::string, bool>, QString> resolved;
    auto [found, added] = resolved.try_emplace({std::string(d.face), d.cyrillic});
    if (added)
        found->second = findFamily(QString::fromUtf8(d.face), d.cyrillic);
    QFont f(found->second);
    f.setPixelSize(static_cast<int>(std::lround(d.points * 96.0 / 72.0)));
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

} // namespace rt::detail
