// Finding and making the Liberation faces of the printed documents.
#include "paper/paper_fonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

namespace paper {

namespace {

const QString SansFamily = QStringLiteral("Liberation Sans");
const QString MonoFamily = QStringLiteral("Liberation Mono");

bool HasBoth()
{
    const QStringList families = QFontDatabase::families();
    return families.contains(SansFamily) && families.contains(MonoFamily);
}

QFont Face(const QString& family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    // Another face must never stand in for a missing glyph: the file embeds
    // the Liberation faces alone.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferMatch | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

}  // namespace

QString LoadLiberationFonts()
{
    if (HasBoth())
        return {};
#ifdef _WIN32
    // The installer puts them in lib\fonts beside the program, where Qt's
    // offscreen platform looks for its fonts too.
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/lib/fonts"));
    const QString missing = QStringLiteral("(cartella lib\\fonts accanto al programma: reinstallare Quenvol)");
#else
    const QDir folder(QStringLiteral("/usr/share/fonts/truetype/liberation"));
    const QString missing = QStringLiteral("(pacchetto fonts-liberation)");
#endif
    for (const QString& name : folder.entryList({QStringLiteral("LiberationSans-*.ttf"),
                                                 QStringLiteral("LiberationMono-*.ttf")}))
        QFontDatabase::addApplicationFont(folder.filePath(name));
    if (HasBoth())
        return {};
    return QStringLiteral("mancano i caratteri Liberation Sans e Liberation Mono ") + missing;
}

QFont Sans(double points, bool bold) { return Face(SansFamily, points, bold); }
QFont Mono(double points, bool bold) { return Face(MonoFamily, points, bold); }

}  // namespace paper
