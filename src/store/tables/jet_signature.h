// Recognising a Jet database (the suite's quelda.mdb of the Windows
// workstations) by the signature at the head of the file, so the program can
// say what the file is instead of calling the company missing. The file is
// only read.
#pragma once

#include <QString>

namespace store {

bool IsJetFile(const QString& path);

}  // namespace store
