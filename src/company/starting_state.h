// The starting state of a company's history, recorded by the operations that
// put rows in without a change of the program (init --demo, copy, import,
// setup) and by upgrade of a company whose rows came before its history: so
// that replaying the history gives the rows stored.
#pragma once

#include <QString>

namespace company::starting_state {

// Records the starting state of the company at `location` when its history
// does not give its rows and holds none yet. Returns an empty text on
// success, else the reason; *said tells what was recorded (empty when
// nothing was needed or the company keeps no history).
QString Record(const QString& location, const QString& company, QString* said);

}  // namespace company::starting_state
