// A hook for the tests that kill a command while it builds a file: a run
// started with QUENVOL_TEST_STOP_AT naming one of the stages below stops
// there, the first time it gets there, after making the file named by
// QUENVOL_TEST_STOP_MARK; it goes on once that file is removed. Without the
// two variables nothing happens.
#pragma once

namespace company::pending {

enum class Stage {
    BeforeTemporary,  // "prima": the temporary file not made yet
    Growing,          // "in_scrittura": the temporary file made, part of it written
    Written,          // "scritta": written and flushed, not yet renamed
    Renamed,          // "rinominata": in place under its name
};

// Whether this run was asked to stop at `stage` (and has not stopped yet).
bool StopWanted(Stage stage);
// Stops here when asked to, until the mark is removed.
void Reached(Stage stage);

}  // namespace company::pending
