// Two workstations on one company database, for the tests of writes that meet:
// each session has its own connection, cursors, scripted boxes and the
// versions it was shown. The engine is a parameter, so the same cases run on
// every engine the store has (a file, a server).
#pragma once

#include "store/register_save.h"
#include "support/scripted_boxes.h"
#include "support/temp_company.h"
#include "support/test_company.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace store_tests {

// One empty company database on the engine under test.
class CompanyUnderTest {
public:
    virtual ~CompanyUnderTest() = default;
    // A new connection, as another workstation opens it.
    virtual std::unique_ptr<store::Database> connect(int busyTimeoutMs) = 0;
};

// The company file of the program's own engine, with direct access for the
// cases that set up a failure or read a column back.
class SqliteCompany : public CompanyUnderTest {
public:
    explicit SqliteCompany(bool demo = false) : file_(demo) {}
    std::unique_ptr<store::Database> connect(int busyTimeoutMs) override;
    testing_support::TempCompany& file() { return file_; }

private:
    testing_support::TempCompany file_;
};

// The same company as a schema on the test server.
class ServerCompany : public CompanyUnderTest {
public:
    explicit ServerCompany(std::unique_ptr<testing_support::TestCompany> company) : company_(std::move(company)) {}
    std::unique_ptr<store::Database> connect(int busyTimeoutMs) override { return company_->open(busyTimeoutMs); }

private:
    std::unique_ptr<testing_support::TestCompany> company_;
};

struct EngineUnderTest {
    std::string name;
    std::function<std::unique_ptr<CompanyUnderTest>()> makeCompany;
};

inline void PrintTo(const EngineUnderTest& engine, std::ostream* out)
{
    *out << engine.name;
}

// The engines the cases run on: the file, and the server (whose company is
// null when no test server runs: the case is then skipped). The server's
// cases are instantiated under a name beginning with "Server", so that ctest
// starts the test server for them.
EngineUnderTest FileEngine();
EngineUnderTest ServerEngine();

// One workstation: the program's routines on its own connection.
class Session {
public:
    explicit Session(CompanyUnderTest& company, int busyTimeoutMs = 3000);

    // What the lookup does: the register row and header lines of `code` are
    // read for the screen (insert mode when there is no row).
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
    store::ShownVersion shown;
    store::RegisterRecord record;
    store::HeaderLines headerOnScreen = store::BlankHeaderLines();
    QString code;
};

// A register set with a description and, when `header` is not empty, header
// lines with that first line; written by a session of its own.
void Seed(CompanyUnderTest& company, const QString& code, const QString& description,
          const QString& header = {});

}  // namespace store_tests
