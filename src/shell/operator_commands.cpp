// The admin commands the window's boxes give the operator to type.
#include "shell/operator_commands.h"

#include "shell/platform.h"

namespace shell {

QString CreateCompanyCommand(const Session& session)
{
    const QString company = session.CompanyCode.isEmpty() ? QStringLiteral("DEMO") : ShellWord(session.CompanyCode);
    if (!session.Server.trimmed().isEmpty())
        return QStringLiteral("%1 init --server %2 %3")
            .arg(AdminCommand(), ShellWord(QStringLiteral("<connessione>")),
                 session.CompanyCode.isEmpty() ? QStringLiteral("<societa>") : company);
    if (session.CompanyCode.isEmpty())
        return QStringLiteral("%1 setup %2 DEMO --demo").arg(AdminCommand(), SuggestedDataFolder());
    // A blank DIRINI leaves the drive's root (the current one on Windows):
    // no folder to offer.
    const bool folderNamed = session.DataDir != CurrentDriveRoot();
    return QStringLiteral("%1 setup %2 %3 --demo")
        .arg(AdminCommand(), folderNamed ? ShellWord(PathAsShown(session.DataDir)) : QStringLiteral("<cartella>"),
             company);
}

QString VerifyCompanyCommand(const Session& session)
{
    return QStringLiteral("%1 verify %2 %3")
        .arg(AdminCommand(), ShellWord(PathAsShown(session.DataDir)), ShellWord(session.CompanyCode));
}

QString UpgradeCompanyCommand(const Session& session)
{
    return QStringLiteral("%1 upgrade %2 %3")
        .arg(AdminCommand(), ShellWord(QStringLiteral("<connessione>")), ShellWord(session.CompanyCode));
}

}  // namespace shell
