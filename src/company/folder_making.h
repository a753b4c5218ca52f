// Making the folder a company file, a backup or a print goes into, with the
// reason in the operator's words when the system refuses.
#pragma once

#include <QString>

namespace company {

// Makes `path` and every folder above it that is missing. Empty text when
// the folder is there; otherwise "impossibile creare la cartella ..." with
// the cause (no permission to write in the folder above, a read-only disk, a
// full disk, ...) and the system's own text.
QString MakeFolders(const QString& path);

// Whether a new file `path` can be made in its folder: empty text when it can
// (the file tried is removed again), otherwise "impossibile creare il file
// ..." with the cause and the system's own text.
QString FileCreationRefused(const QString& path);

}  // namespace company
