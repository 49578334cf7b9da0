#include "fonts.h"

#include <QFile>
#include <QFontDatabase>

#include <cmath>
#include <map>
#include <utility>

namespace rt::detail {

namespace {

constexpr const char* FontFiles[] = {"/usr/share/wine/fonts/tahoma.ttf"};

// Narrow faces first: the captions are laid out for Tahoma's widths.
constexpr const char* Substitutes[] = {"DejaVu Sans Condensed", "Liberation Sans Narrow",
                                       "Noto Sans", "DejaVu Sans"};

bool hasCyrillic(const QString& family)
{
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Cyrillic);
}

QString findFamily(const QString& face, int charset)
{
    const bool cyrillic = charset == 204;
    if (QFontDatabase::hasFamily(face) && (!cyrillic || hasCyrillic(face)))
        return face;
    for (const char* s : Substitutes) {
        QString family = QString::fromLatin1(s); // not const: returned by move
        if (QFontDatabase::hasFamily(family) && (!cyrillic || hasCyrillic(family)))
            return family;
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

// Each look-up asks fontconfig to match the face anew, and every captioned
// control asks for the same one or two faces: ask once.
QString resolveFamily(const QString& face, int charset)
{
    static std::map<std::pair<QString, int>, QString> resolved;
    const auto key = std::make_pair(face, charset);
    auto found = resolved.find(key);
    if (found == resolved.end())
        found = resolved.emplace(key, findFamily(face, charset)).first;
    return found->second;
}

} // namespace

void loadFonts()
{
    for (const char* path : FontFiles)
        if (QFile::exists(QString::fromLatin1(path)))
            QFontDatabase::addApplicationFont(QString::fromLatin1(path));
}

QFont fontFor(const FontDescription& d)
{
    const QString family =
        resolveFamily(QString::fromUtf8(d.face.data(), qsizetype(d.face.size())), d.charset);
    QFont f(family);
    f.setPixelSize(static_cast<int>(std::lround(d.points * 96.0 / 72.0)));
    f.setWeight(QFont::Weight(d.weight));
    f.setItalic(false);
    f.setUnderline(false);
    f.setStrikeOut(false);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

} // namespace rt::detail
