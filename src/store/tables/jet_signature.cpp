// The signature of a Jet database file.
#include "store/tables/jet_signature.h"

#include <QFile>

namespace store {

bool IsJetFile(const QString& path)
{
    // A Jet file's first page names the engine at byte 4: "Standard Jet DB"
    // (Jet 3 and 4) or "Standard ACE DB" (the later Access formats).
    constexpr qsizetype SignatureOffset = 4;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(SignatureOffset + 16).mid(SignatureOffset);
    return head == QByteArrayLiteral("Standard Jet DB\0") || head == QByteArrayLiteral("Standard ACE DB\0");
}

}  // namespace store
