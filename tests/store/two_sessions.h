// Two workstations on one company database, for the tests of writes that meet:
// each session has its own connection, cursors, scripted boxes and the
// versions it was shown. The company is a test company on either engine.
#pragma once

#include "store/registers/register_set.h"
#include "support/scripted_boxes.h"
#include "support/test_company.h"

#include <memory>

namespace store_tests {

// One workstation: the program's routines on its own connection.
class Session {
public:
    explicit Session(const testing_support::TestCompany& company, int busyTimeoutMs = 3000);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The window's lookup (store::RegisterSet::lookUp): the register row and
    // header lines of `code` are read for the screen (insert mode when there
    // is no row).
    store::ScreenValues open(const QString& code);
    // "&CONFERMA", the header panel's "&CONFERMA" and "&ELIMINA" on what is shown.
    bool confirm(const store::ScreenValues& screen);
    bool confirmHeader(const store::HeaderLines& lines);
    store::DeleteResult remove();

    // The stored versions, read on this session's connection.
    std::optional<store::RegisterRecord> storedRow(const QString& code);
    std::optional<store::HeaderLines> storedHeader(const QString& code);

    testing_support::ScriptedBoxes boxes;
    store::CompanyDatabase db;
    store::RegisterSet set{db};
    store::ShownVersion& shown = set.shown;
    store::RegisterRecord& record = set.record;
    store::HeaderLines headerOnScreen = store::BlankHeaderLines();
    QString code;
};

// A register set with a description and, when `header` is not empty, header
// lines with that first line; written by a session of its own.
void Seed(const testing_support::TestCompany& company, const QString& code, const QString& description,
          const QString& header = {});

}  // namespace store_tests
