// quenvol-admin upgrade: brings a company made by an earlier version up to
// date by adding the change history table, and nothing else.
#include "admin_command.h"
#include "company_location.h"

#include <QDir>

#include <cstdio>

namespace {

int RunUpgrade(const QStringList& arguments);

const admin::Command Upgrade{
    "upgrade",
    "upgrade <cartella dati o server> <societa>",
    "Aggiunge a <cartella dati>/<societa>/quelda.mdb, o alla societa' sul server\n"
    "PostgreSQL indicato da una stringa di connessione o da un URI postgresql://,\n"
    "la tabella dello storico delle modifiche (StoricoSerieSemplificata) se manca;\n"
    "le altre tabelle e i loro dati restano come sono. Su una societa' gia'\n"
    "aggiornata non fa nulla.\n"
    "Esempio: quenvol-admin upgrade ~/quenvol DEMO\n",
    RunUpgrade};
const admin::Registration registration(Upgrade);

int RunUpgrade(const QStringList& arguments)
{
    admin::Arguments given;
    if (const auto status = admin::ReadArguments(Upgrade, arguments, {{}, {}, 2, 2}, given))
        return *status;
    const QStringList& operands = given.operands;
    if (operands[1].contains(QLatin1Char('/')))
        return admin::UsageError(Upgrade);
    const QString path = company_location::PlaceName(operands[0], operands[1]);
    bool added = false;
    const QString error = company_location::AddHistoryTable(operands[0], operands[1], &added);
    if (!error.isEmpty())
        return admin::Fail(error);
    if (added)
        std::printf("aggiunto lo storico delle modifiche a %s\n", path.toLocal8Bit().constData());
    else
        std::printf("%s ha gia' lo storico delle modifiche: nulla da fare\n", path.toLocal8Bit().constData());
    return admin::ExitOk;
}

}  // namespace
