// quenvol-admin backup: a checked copy of a company, made while the
// workstations keep writing, with its SHA-256 beside it.
#include "admin/admin_command.h"
#include "company/company_backup.h"

#include <cstdio>

namespace {

int RunBackup(const QStringList& arguments);

const admin::Command Backup{
    "backup",
    "backup <cartella dati o server> <societa> <cartella>",
    "Fa una copia coerente della societa' mentre le postazioni continuano a\n"
    "scrivere (per un file il backup in linea di SQLite; una societa' sul server\n"
    "viene copiata, in un'unica istantanea, in un file della societa') nella\n"
    "<cartella>, con il nome <societa>_<aaaa-mm-gg_hhmmss>.mdb, senza mai\n"
    "sovrascrivere. La copia e' scritta con un nome provvisorio e prende il suo\n"
    "nome solo quando e' completa e controllata (integrity_check di SQLite e la\n"
    "catena delle impronte dello storico). Accanto scrive <nome>.sha256, che\n"
    "sha256sum -c accetta (dalla <cartella>). La <cartella> viene creata se manca,\n"
    "ma la cartella che la contiene deve esistere. I file provvisori lasciati da un\n"
    "backup interrotto vengono tolti dal backup successivo nella stessa cartella.\n"
    "Esempio: quenvol-admin backup ~/quenvol DEMO /srv/copie\n",
    RunBackup};
const admin::Registration registration(Backup);

int RunBackup(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Backup, arguments, {{}, {}, 3, 3}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (operands[1].contains(QLatin1Char('/')))
        return admin::UsageError(Backup);
    company::backup::Backup made;
    if (const QString error = company::backup::BackUp(operands[0], operands[1], operands[2], &made);
        !error.isEmpty())
        return admin::Fail(error);
    std::printf("copia fatta: %s\n", made.file.toLocal8Bit().constData());
    if (made.hasHistory)
        std::printf("storico integro: %lld righe, impronta %s\n", made.historyRows,
                    made.historyFingerprint.isEmpty() ? "nessuna" : made.historyFingerprint.toLatin1().constData());
    std::printf("SHA-256 in %s\n", made.checksumFile.toLocal8Bit().constData());
    return admin::ExitOk;
}

}  // namespace
