// Finding the operators' manual from the program's folder.
#include "shell/manual_location.h"

#include "shell/platform.h"

#include <QDir>
#include <QFileInfo>

namespace shell {

QStringList ManualCandidates()
{
    const QDir program(ProgramFolder());
    QStringList places;
    for (const char* relative : {"manuale.pdf", "manuale/manuale.pdf", "../share/doc/quenvol/manuale.pdf"})
        places << QDir::toNativeSeparators(QDir::cleanPath(program.filePath(QString::fromLatin1(relative))));
    return places;
}

QString ManualFile()
{
    for (const QString& place : ManualCandidates()) {
        if (QFileInfo(place).isFile())
            return place;
    }
    return {};
}

}  // namespace shell
