// Where the operators' manual (manuale.pdf, and manuale.html beside it) is
// looked for: beside the program (the Windows installer puts it there), in the
// build folder's manuale/ (a build from source), and in the package's
// documentation folder (/usr/share/doc/quenvol beside /usr/bin).
#pragma once

#include <QString>
#include <QStringList>

namespace shell {

// The places the manual's PDF is sought, in order, as native paths.
QStringList ManualCandidates();
// The first of them that exists; empty when none does.
QString ManualFile();

}  // namespace shell
