// quenvol-admin backup: a checked copy of a company, made while the
// workstations keep writing, with its SHA-256 beside it.
#include "admin/admin_command.h"
#include "company/backup_retention.h"
#include "company/company_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cstdio>

namespace {

int RunBackup(const QStringList& arguments);

const admin::Command Backup{
    "backup",
    "backup <cartella dati o server> <societa> <cartella> [--keep N]",
    "Fa una copia coerente della societa' mentre le postazioni continuano a\n"
    "scrivere (per un file il backup in linea di SQLite; una societa' sul server\n"
    "viene copiata, in un'unica istantanea, in un file della societa') nella\n"
    "<cartella>, con il nome <societa>_<aaaa-mm-gg_hhmmssmmm>.mdb (fino ai\n"
    "millesimi di secondo), senza mai sovrascrivere. La copia e' scritta con un\n"
    "nome provvisorio e prende il suo nome solo quando e' completa e controllata\n"
    "(integrity_check di SQLite, le tabelle della societa' e la catena delle\n"
    "impronte dello storico): un file che non e' una societa' e una societa' sul\n"
    "server senza le protezioni dello storico sono rifiutati. Accanto scrive\n"
    "<nome>.sha256, scritto anch'esso con un nome provvisorio, che\n"
    "{sha256-controllo}. La <cartella> viene creata se manca,\n"
    "ma la cartella che la contiene deve esistere e chi esegue il comando deve\n"
    "poterci scrivere {backup-cartella}.\n"
    "I file provvisori lasciati da un backup interrotto vengono tolti dal backup\n"
    "successivo nella stessa cartella, che da' il suo .sha256 a una copia rimasta\n"
    "senza.\n"
    "--keep N   dopo una copia riuscita tiene nella <cartella> solo le N copie\n"
    "           piu' recenti della societa' (con i loro .sha256), ma mai tolta\n"
    "           la copia appena fatta ne' l'unica che corrisponde al suo SHA-256.\n"
    "Esempio: quenvol-admin backup {dati} DEMO {copie} --keep 14\n",
    RunBackup};
const admin::Registration registration(Backup);

int RunBackup(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Backup, arguments, {{}, {"--keep"}, 3, 3}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(operands[1]))
        return *refused;
    if (const auto refused = admin::RefusePath(operands[0]))
        return *refused;
    if (const auto refused = admin::RefusePath(operands[2]))
        return *refused;
    int keep = 0;
    if (given.values.contains("--keep")) {
        bool read = false;
        keep = given.value("--keep").toInt(&read);
        if (!read || keep < 1)
            return admin::Fail(QStringLiteral("--keep vuole un numero di copie da 1 in su: %1").arg(given.value("--keep")));
    }
    const QString folder = operands[2];
#ifndef _WIN32
    // A folder under /var/backups cannot be made by postgres: say how it is made.
    const QFileInfo place(folder);
    if (!place.exists() && QFileInfo(place.absolutePath()).isDir() &&
        ::access(QFile::encodeName(place.absolutePath()).constData(), W_OK) != 0)
        return admin::Fail(QStringLiteral("impossibile creare la cartella %1: chi esegue il comando non può scrivere "
                                          "in %2. Crearla una volta per questo utente con: "
                                          "sudo install -d -o %3 -m 700 %1")
                               .arg(place.absoluteFilePath(), place.absolutePath(),
                                    QString::fromLocal8Bit(qgetenv("USER").isEmpty() ? QByteArray::number(::getuid())
                                                                                     : qgetenv("USER"))));
#endif
    company::backup::Backup made;
    if (const QString error = company::backup::BackUp(operands[0], operands[1], operands[2], &made);
        !error.isEmpty())
        return admin::Fail(error);
    std::printf("copia fatta: %s\n", QDir::toNativeSeparators(made.file).toUtf8().constData());
    if (made.hasHistory)
        std::printf("storico integro: %lld righe, impronta %s\n", made.historyRows,
                    made.historyFingerprint.isEmpty() ? "nessuna" : made.historyFingerprint.toLatin1().constData());
    std::printf("SHA-256 in %s\n", QDir::toNativeSeparators(made.checksumFile).toUtf8().constData());
    if (keep > 0) {
        QStringList problems;
        for (const QString& removed : company::backup::KeepNewest(folder, operands[1], keep, made.file, &problems))
            std::printf("tolta la copia vecchia %s\n", QDir::toNativeSeparators(removed).toUtf8().constData());
        if (!problems.isEmpty())
            return admin::Fail(problems.join(QStringLiteral("; ")));
    }
    return admin::ExitOk;
}

}  // namespace
