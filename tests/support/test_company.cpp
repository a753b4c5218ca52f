// The test company on the file engine and on the server engine.
#include "support/test_company.h"

#include "company/company_copy.h"
#include "company/company_file.h"
#include "company/company_server.h"
#include "store/postgres/pg_connection.h"
#include "support/temp_company.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>

namespace testing_support {

namespace {

class FileCompany : public TestCompany {
public:
    explicit FileCompany(bool demo) : file_(demo) {}
    std::unique_ptr<store::Database> open(int waitMs) const override
    {
        return store::openDatabase(file_.databasePath(), waitMs);
    }
    std::unique_ptr<store::Database> openMissing() const override
    {
        return store::openDatabase(file_.folder() + QStringLiteral("/NESSUNA/quelda.mdb"));
    }
    Engine engine() const override { return Engine::File; }
    QString location() const override { return file_.folder(); }
    QString company() const override { return file_.company(); }
    void exec(const QString& sql) const override { file_.exec(sql); }
    QVariant scalar(const QString& sql) const override { return file_.scalar(sql); }

    std::unique_ptr<Held> lockTable(const QString&) const override
    {
        // SQLite locks the whole file.
        class FileLock : public Held {
        public:
            explicit FileLock(const QString& path)
            {
                sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
                EXPECT_EQ(sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            }
            ~FileLock() override
            {
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
                sqlite3_close_v2(db_);
            }

        private:
            sqlite3* db_ = nullptr;
        };
        return std::make_unique<FileLock>(file_.databasePath());
    }
    QString lockText() const override { return QStringLiteral("database is locked"); }

private:
    TempCompany file_;
};

// A direct connection to the test server with the company's schema first in
// the search path, so that the tests' SQL names the tables alone.
class ServerSession {
public:
    ServerSession(const QString& conninfo, const QString& schema)
        : conn_(PQconnectdb(conninfo.toUtf8().constData()))
    {
        EXPECT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
        run(QStringLiteral("SET search_path TO \"%1\"").arg(schema));
    }
    ~ServerSession() { PQfinish(conn_); }

    store::pg::Result run(const QString& sql) const
    {
        store::pg::Result result(PQexec(conn_, sql.toUtf8().constData()), &PQclear);
        const ExecStatusType status = PQresultStatus(result.get());
        EXPECT_TRUE(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            << sql.toStdString() << ": " << PQresultErrorMessage(result.get());
        return result;
    }

private:
    PGconn* conn_;
};

class ServerCompany : public TestCompany {
public:
    ServerCompany(const QString& conninfo, bool demo) : conninfo_(conninfo)
    {
        static std::atomic<int> serial{0};
        schema_ = QStringLiteral("T%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
        company::server::DropCompanySchema(conninfo_, schema_);  // left by an earlier process of that id
        QString error;
        if (!demo) {
            error = company::server::CreateCompanySchema(conninfo_, schema_);
        } else {
            QTemporaryDir scratch;
            const QString path = company::copy::CompanyFilePath(scratch.path(), schema_);
            error = company::file::CreateCompanyDatabase(path);
            if (error.isEmpty())
                error = company::file::AddDemonstrationData(path);
            if (error.isEmpty())
                error = company::copy::CopyCompany(scratch.path(), conninfo_, schema_, nullptr);
        }
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    }
    ~ServerCompany() override { company::server::DropCompanySchema(conninfo_, schema_); }

    std::unique_ptr<store::Database> open(int waitMs) const override
    {
        return store::openServerDatabase(conninfo_, schema_, waitMs);
    }
    std::unique_ptr<store::Database> openMissing() const override
    {
        return store::openServerDatabase(conninfo_, schema_ + QStringLiteral("_NESSUNA"));
    }
    Engine engine() const override { return Engine::Server; }
    QString location() const override { return conninfo_; }
    QString company() const override { return schema_; }

    void exec(const QString& sql) const override { ServerSession(conninfo_, schema_).run(sql); }

    QVariant scalar(const QString& sql) const override
    {
        const store::pg::Result result = ServerSession(conninfo_, schema_).run(sql);
        if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) == 0)
            return QVariant();
        return store::pg::valueOf(result.get(), 0, 0);
    }

    std::unique_ptr<Held> lockTable(const QString& table) const override
    {
        class ServerLock : public Held {
        public:
            ServerLock(const QString& conninfo, const QString& schema, const QString& table)
                : session_(conninfo, schema)
            {
                session_.run(QStringLiteral("BEGIN"));
                session_.run(QStringLiteral("LOCK TABLE \"%1\" IN ACCESS EXCLUSIVE MODE").arg(table));
            }
            ~ServerLock() override { session_.run(QStringLiteral("ROLLBACK")); }

        private:
            ServerSession session_;
        };
        return std::make_unique<ServerLock>(conninfo_, schema_, table);
    }
    QString lockText() const override
    {
        return QStringLiteral("Un'altra sessione del server tiene bloccati questi dati e non li ha lasciati in tempo: "
                              "l'operazione non è stata eseguita; riprovare tra poco.\n"
                              "canceling statement due to lock timeout");
    }

private:
    QString conninfo_;
    QString schema_;
};

// The database comes first among the bases, so it is there before the
// company is made and is dropped only after the company's schema.
class OwnDatabaseCompany : private ServerDatabaseOfItsOwn, public ServerCompany {
public:
    OwnDatabaseCompany(const QString& server, const QString& name, bool demo)
        : ServerDatabaseOfItsOwn(server, name), ServerCompany(ServerDatabaseOfItsOwn::conninfo(), demo)
    {
    }
};

}  // namespace

std::string EngineName(Engine engine)
{
    return engine == Engine::File ? "File" : "Server";
}

void PrintTo(Engine engine, std::ostream* out)
{
    *out << EngineName(engine);
}

QString TestServer()
{
    return qEnvironmentVariable("QUENVOL_TEST_PG");
}

int TestCompany::count(const QString& table) const
{
    return scalar(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table)).toInt();
}

std::unique_ptr<TestCompany> MakeTestCompany(Engine engine, bool demo)
{
    if (engine == Engine::File)
        return std::make_unique<FileCompany>(demo);
    if (TestServer().isEmpty())
        return nullptr;
    return std::make_unique<ServerCompany>(TestServer(), demo);
}

ServerDatabaseOfItsOwn::ServerDatabaseOfItsOwn(const QString& server, const QString& name)
    : server_(server), name_(name)
{
    ServerSession(server_, QStringLiteral("public")).run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
    ServerSession(server_, QStringLiteral("public")).run(QStringLiteral("CREATE DATABASE %1").arg(name_));
}

ServerDatabaseOfItsOwn::~ServerDatabaseOfItsOwn()
{
    ServerSession(server_, QStringLiteral("public")).run(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
}

QString ServerDatabaseOfItsOwn::conninfo() const
{
    QString conninfo = server_;
    EXPECT_TRUE(conninfo.contains(QStringLiteral("///postgres?"))) << conninfo.toStdString();
    return conninfo.replace(QStringLiteral("///postgres?"), QStringLiteral("///%1?").arg(name_));
}

std::unique_ptr<TestCompany> MakeServerCompanyInItsOwnDatabase(bool demo)
{
    if (TestServer().isEmpty())
        return nullptr;
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("quenvol_propria_%1_%2").arg(QCoreApplication::applicationPid()).arg(++serial);
    return std::make_unique<OwnDatabaseCompany>(TestServer(), name, demo);
}

int ErrorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const store::EngineError& error) {
        return error.number();
    }
    return 0;
}

void AddDocType(store::TableCursor& cursor, const QString& code, const std::optional<QVariant>& description)
{
    cursor.addNew();
    cursor.setField("Codice", code);
    if (description)
        cursor.setField("Descrizione", *description);
    cursor.update();
}

}  // namespace testing_support
