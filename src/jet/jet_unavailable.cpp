// The Jet reading where it does not exist (the Windows build): there is no
// Jet library there, so inspect and import say they run on Linux and read
// nothing.
#include "jet/jet_bounded.h"
#include "jet/jet_reader.h"

#include <cstdio>

namespace jet {

namespace {

const char* const OnlyOnLinux =
    "quenvol-admin: la lettura dei file Jet (inspect, import) esiste solo su Linux: importare "
    "la società su una macchina Linux, poi copiarne la cartella qui, oppure importarla sul server "
    "dell'ufficio.\n";

}  // namespace

Error::Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}

Limits LimitsFromEnvironment()
{
    return {};
}

int RunBounded(const QString&, const Limits&, const QString&, const std::function<int()>&)
{
    std::fputs(OnlyOnLinux, stderr);
    return 1;
}

std::unique_ptr<Database> OpenJetFile(const QString&)
{
    throw Error(QString::fromUtf8(OnlyOnLinux).trimmed());
}

}  // namespace jet
