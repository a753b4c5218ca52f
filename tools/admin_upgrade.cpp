// quenvol-admin upgrade: brings a company made by an earlier version up to
// date by adding the change history table, and nothing else.
#include "admin_command.h"
#include "company_file.h"

#include <QDir>

#include <cstdio>

namespace {

int RunUpgrade(const QStringList& arguments);

const admin::Command Upgrade{
    "upgrade",
    "upgrade <cartella dati> <societa>",
    "Aggiunge a <cartella dati>/<societa>/quelda.mdb la tabella dello storico\n"
    "delle modifiche (StoricoSerieSemplificata) se manca; le altre tabelle e i\n"
    "loro dati restano come sono. Su una societa' gia' aggiornata non fa nulla.\n"
    "Esempio: quenvol-admin upgrade ~/quenvol DEMO\n",
    RunUpgrade};
const admin::Registration registration(Upgrade);

int RunUpgrade(const QStringList& arguments)
{
    if (admin::PrintHelpIfAsked(Upgrade, arguments))
        return admin::ExitOk;
    if (arguments.size() != 2 || arguments[1].isEmpty() || arguments[1].contains(QLatin1Char('/')))
        return admin::UsageError(Upgrade);
    const QString path = QDir(arguments[0]).filePath(arguments[1] + QStringLiteral("/quelda.mdb"));
    bool added = false;
    const QString error = company_file::AddHistoryTable(path, &added);
    if (!error.isEmpty())
        return admin::Fail(error);
    if (added)
        std::printf("aggiunto lo storico delle modifiche a %s\n", path.toLocal8Bit().constData());
    else
        std::printf("%s ha gia' lo storico delle modifiche: nulla da fare\n", path.toLocal8Bit().constData());
    return admin::ExitOk;
}

}  // namespace
