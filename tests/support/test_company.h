// A company for the tests on either engine: the file in a temporary folder,
// or a schema of its own on the test server (named by QUENVOL_TEST_PG and
// dropped at the end). Both answer the same SQL, identifiers double-quoted.
#pragma once

#include "store/engine/engine.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace testing_support {

enum class Engine { File, Server };

// For the names of parameterised cases: "File" or "Server".
std::string EngineName(Engine engine);
// How GoogleTest prints the parameter.
void PrintTo(Engine engine, std::ostream* out);

// The test server's connection string, from QUENVOL_TEST_PG; empty when unset.
QString TestServer();
// Why a server case is skipped when there is no test server.
inline constexpr const char* NoTestServer =
    "QUENVOL_TEST_PG is not set: no PostgreSQL server for this case "
    "(ctest starts one when the postgresql package is installed; or tools/pg_test_server.sh start DIR)";

// Something held until the object goes (a lock of another session).
class Held {
public:
    virtual ~Held() = default;
};

class TestCompany {
public:
    virtual ~TestCompany() = default;
    // The company through the engine, as the program opens it.
    virtual std::unique_ptr<store::Database> open(int waitMs = 3000) const = 0;
    // Another company of the same place, which does not exist.
    virtual std::unique_ptr<store::Database> openMissing() const = 0;
    virtual Engine engine() const = 0;
    // The data folder, or the server's connection string.
    virtual QString location() const = 0;
    virtual QString company() const = 0;

    // SQL run directly, beside the engine; fails the test on an error.
    virtual void exec(const QString& sql) const = 0;
    // The first column of the first row, Null when there is none.
    virtual QVariant scalar(const QString& sql) const = 0;
    int count(const QString& table) const;

    // Another program or session holds `table` locked until the result goes.
    virtual std::unique_ptr<Held> lockTable(const QString& table) const = 0;
    // The engine's text for a lock that outlasted the wait (on the server,
    // beneath a sentence of ours).
    virtual QString lockText() const = 0;
};

// A new company on `engine`, with the demonstration data when asked; null for
// the server when there is no test server.
std::unique_ptr<TestCompany> MakeTestCompany(Engine engine, bool demo = false);
// A database on the test server for one test: made when constructed (an
// earlier one of that name dropped first), dropped when destroyed, whoever is
// still connected. For a test that sets the database's own defaults.
class ServerDatabaseOfItsOwn {
public:
    ServerDatabaseOfItsOwn(const QString& server, const QString& name);
    ~ServerDatabaseOfItsOwn();
    ServerDatabaseOfItsOwn(const ServerDatabaseOfItsOwn&) = delete;
    ServerDatabaseOfItsOwn& operator=(const ServerDatabaseOfItsOwn&) = delete;
    QString name() const { return name_; }
    // The test server's connection string, naming this database instead.
    QString conninfo() const;

private:
    QString server_;
    QString name_;
};

// A new server company in a database of its own, made for it and dropped with
// it; null when there is no test server. For a test whose command watches a
// whole database, as the office guard does: in the database every other test
// shares, it would end their operators' sessions, and theirs its own.
std::unique_ptr<TestCompany> MakeServerCompanyInItsOwnDatabase(bool demo = false);

// The engine's error number `action` throws; 0 when it throws none.
int ErrorNumberOf(const std::function<void()>& action);

// A document type added through the cursor, as the program adds one; without
// a description, the column is left as the engine makes it.
void AddDocType(store::TableCursor& cursor, const QString& code,
                const std::optional<QVariant>& description = std::nullopt);

}  // namespace testing_support
