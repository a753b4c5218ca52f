// A scratch folder of this run in the system's temporary folder, named by the
// process so that the next run removes one a killed run left behind.
#pragma once

#include <QString>

namespace admin {

class ScratchFolder {
public:
    // Removes the scratch folders of this machine's processes that no longer
    // run, then makes this run's own ("quenvol-admin-<pid>").
    ScratchFolder();
    // Removes the folder and everything in it.
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Empty when the folder could not be made.
    const QString& path() const { return path_; }

private:
    QString path_;
};

}  // namespace admin
