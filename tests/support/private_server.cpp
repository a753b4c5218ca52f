// A test's own PostgreSQL server through the project's server script.
#include "support/private_server.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace testing_support {

PrivateServer::PrivateServer()
{
    QString output;
    if (script(QStringLiteral("start"), &output))
        conninfo_ = output.trimmed();
}

PrivateServer::PrivateServer(StandbyOf standby)
{
    QString output;
    if (script(QStringLiteral("standby"), &output, {standby.primary.folder()}))
        conninfo_ = output.trimmed();
}

PrivateServer::PrivateServer(WithTls)
{
    QString output;
    if (script(QStringLiteral("start-tls"), &output))
        conninfo_ = output.trimmed();
}

PrivateServer::~PrivateServer()
{
    script(QStringLiteral("stop"));
}

bool PrivateServer::script(const QString& command, QString* output, const QStringList& more)
{
    QProcess process;
    process.start(QStringLiteral(QUENVOL_PG_SCRIPT), QStringList{command, dir_.path()} + more);
    const bool finished = process.waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    const bool ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    EXPECT_TRUE(ok) << command.toStdString() << ": " << process.readAllStandardError().toStdString();
    return ok;
}

}  // namespace testing_support
