// The scratch folder of one quenvol-admin run, and the removal of those whose
// run was killed.
#include "admin/scratch_folder.h"

#include "store/engine/system_files.h"

#include <QDir>
#include <QRegularExpression>

namespace admin {

namespace {

const QString Prefix = QStringLiteral("quenvol-admin-");

}  // namespace

ScratchFolder::ScratchFolder()
{
    QDir temp(QDir::tempPath());
    const QRegularExpression named(QStringLiteral("^quenvol-admin-(\\d+)$"));
    for (const QString& name : temp.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = named.match(name);
        const qint64 pid = match.hasMatch() ? match.captured(1).toLongLong() : 0;
        if (pid > 0 && pid != store::system::ThisProcessId() && !store::system::ProcessRunning(pid))
            QDir(temp.filePath(name)).removeRecursively();
    }
    const QString path = temp.filePath(Prefix + QString::number(store::system::ThisProcessId()));
    QDir(path).removeRecursively();  // a dead process's that had this number
    if (temp.mkpath(path))
        path_ = path;
}

ScratchFolder::~ScratchFolder()
{
    if (!path_.isEmpty())
        QDir(path_).removeRecursively();
}

}  // namespace admin
