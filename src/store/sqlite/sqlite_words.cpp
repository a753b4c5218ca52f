// SQLite's failures told in the operator's words.
#include "store/sqlite/sqlite_words.h"

#include <sqlite3.h>

#include <cerrno>

namespace store::sqlite {

QString ExplainedSqliteFailure(int code, const QString& sqliteText, int systemError)
{
    QString sentence;
    switch (code & 0xff) {
    case SQLITE_CANTOPEN:
        if (systemError == EROFS)
            sentence = QStringLiteral("Il file della società non si può creare né scrivere: il disco è in sola "
                                      "lettura.");
        else if (systemError == EACCES || systemError == EPERM)
            sentence = QStringLiteral("Il file della società non si può creare né aprire: chi esegue il comando "
                                      "non ha il permesso di scrivere nella sua cartella o sul file.");
        else if (systemError == ENOSPC)
            sentence = QStringLiteral("Il file della società non si può creare: il disco è pieno.");
        break;
    case SQLITE_FULL:
        sentence = QStringLiteral("Il disco è pieno: la scrittura non è stata fatta. Liberare spazio sul disco "
                                  "e ripetere l'operazione.");
        break;
    case SQLITE_READONLY:
        sentence = QStringLiteral("Il file della società non si può scrivere (è in sola lettura, o lo è la sua "
                                  "cartella o il disco): controllare i permessi del file e della cartella.");
        break;
    case SQLITE_IOERR:
        if (code == SQLITE_IOERR_WRITE || code == SQLITE_IOERR_FSYNC || code == SQLITE_IOERR_TRUNCATE)
            sentence = QStringLiteral("Il disco non ha accettato la scrittura (pieno, in sola lettura o guasto): "
                                      "controllare il disco e ripetere l'operazione.");
        break;
    default:
        break;
    }
    return sentence.isEmpty() ? sqliteText : sentence + QLatin1Char('\n') + sqliteText;
}

}  // namespace store::sqlite
