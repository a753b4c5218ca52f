// quenvol-admin copy: a company from a data folder to a PostgreSQL server or
// back, all or nothing, never over an existing company.
#include "admin/admin_command.h"
#include "company/company_copy.h"

#include <cstdio>

namespace {

int RunCopy(const QStringList& arguments);

const admin::Command Copy{
    "copy",
    "copy <da> <a> <societa> [--anche-se-alterata]",
    "Copia la societa' <societa> da <da> ad <a>. Ciascuno dei due e' una cartella\n"
    "dati (che contiene <societa>{/}quelda.mdb) oppure un server PostgreSQL: una\n"
    "stringa di connessione libpq (contiene '=') o un URI postgresql://...\n"
    "La copia e' tutta o niente; una societa' gia' presente nella destinazione non\n"
    "viene sovrascritta. Stampa le righe copiate per tabella.\n"
    "Una societa' il cui storico delle modifiche risulta alterato (come lo dice\n"
    "verify) non viene copiata, a meno di --anche-se-alterata.\n"
    "Esempi: quenvol-admin copy {dati} {server} DEMO\n"
    "        quenvol-admin copy postgresql://server/quenvol {copia} DEMO\n",
    RunCopy};
const admin::Registration registration(Copy);

int RunCopy(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Copy, arguments, {{"--anche-se-alterata"}, {}, 3, 3}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (const auto refused = admin::RefuseCompanyCode(operands[2]))
        return *refused;
    if (const auto refused = admin::RefusePath(operands[0]))
        return *refused;
    if (const auto refused = admin::RefusePath(operands[1]))
        return *refused;
    std::vector<company::copy::CopiedTable> copied;
    QString altered;
    using company::copy::AlteredHistory;
    const QString error = company::copy::CopyCompany(
        operands[0], operands[1], operands[2], &copied,
        given.has("--anche-se-alterata") ? AlteredHistory::Copied : AlteredHistory::Refused, &altered);
    if (!error.isEmpty())
        return admin::Fail(error);
    if (!altered.isEmpty())
        std::printf("attenzione: %s; copiata comunque (--anche-se-alterata)\n", altered.toUtf8().constData());
    for (const auto& table : copied)
        std::printf("%s: %d righe copiate\n", table.table.toUtf8().constData(), table.rows);
    return admin::RecordStartingState(operands[1], operands[2]);
}

}  // namespace
