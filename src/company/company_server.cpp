// Creating and dropping company schemas on a PostgreSQL server.
#include "company/company_server.h"

#include "store/postgres/libpq_on_demand.h"
#include "store/postgres/pg_conninfo.h"
#include "store/postgres/pg_refusal_state.h"
#include "store/schema/register_code.h"
#include "store/schema/server_schema.h"
#include "store/history/server_history.h"
#include "store/engine/sql_text.h"
#include "store/schema/table_description.h"

#include <QFile>

#include <libpq-fe.h>

#include <QSet>

#include <algorithm>
#include <memory>
#include <vector>

namespace company::server {

namespace {

using store::quoted;

using Conn = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Res = std::unique_ptr<PGresult, decltype(&PQclear)>;

Conn connect(const QString& conninfo, QString* error)
{
    if (const QString missing = store::LoadLibpq(); !missing.isEmpty()) {
        *error = missing;
        return Conn(nullptr, &PQfinish);
    }
    if (const QString problem = store::ConninfoProblem(conninfo); !problem.isEmpty()) {
        *error = problem;
        return Conn(nullptr, &PQfinish);
    }
    // As the program connects: a password file others may read is skipped
    // without libpq's warning, and a refusal is said in Italian.
    const QString openPasswordFile = store::OpenPasswordFile(conninfo);
    const QByteArray passfile = QFile::encodeName(store::UnreadablePasswordFile(openPasswordFile));
    const QByteArray info = conninfo.toUtf8();
    const char* const keywords[] = {"passfile", "dbname", nullptr};
    const char* const values[] = {passfile.constData(), info.constData(), nullptr};
    const int first = openPasswordFile.isEmpty() ? 1 : 0;  // the string alone, or with the passfile before it
    Conn conn(store::ConnectKeepingState(keywords + first, values + first, 1), &PQfinish);
    if (PQstatus(conn.get()) != CONNECTION_OK) {
        *error = store::WithoutPassword(
            store::ExplainedConnectionFailure(QString::fromUtf8(PQerrorMessage(conn.get())).trimmed(), conn.get()),
            store::ConninfoPassword(conninfo));
        return conn;
    }
    // The server's notices ("... does not exist, skipping") are not the
    // office's business; its errors are returned. Numbers are written whole
    // whatever the role's or the database's default.
    PQclear(PQexec(conn.get(), "SET client_min_messages = warning; SET extra_float_digits = 3"));
    return conn;
}

bool run(PGconn* conn, const QString& sql, const QStringList& params, QString* error, Res* out = nullptr)
{
    std::vector<QByteArray> bytes;
    std::vector<const char*> values;
    for (const QString& p : params)
        bytes.push_back(p.toUtf8());
    for (const QByteArray& b : bytes)
        values.push_back(b.constData());
    Res result(PQexecParams(conn, sql.toUtf8().constData(), int(values.size()), nullptr, values.data(),
                            nullptr, nullptr, 0),
               &PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        *error = store::ExplainedStatementFailure(
            PQresultErrorField(result.get(), PG_DIAG_SQLSTATE),
            QString::fromUtf8(result ? PQresultErrorMessage(result.get()) : PQerrorMessage(conn)).trimmed(),
            PQstatus(conn) == CONNECTION_BAD);
        return false;
    }
    if (out)
        *out = std::move(result);
    return true;
}

// Runs the statements in one transaction: all or none.
QString runAll(PGconn* conn, const QStringList& statements)
{
    QString error;
    if (!run(conn, QStringLiteral("BEGIN"), {}, &error))
        return error;
    for (const QString& statement : statements)
        if (!run(conn, statement, {}, &error)) {
            QString ignored;  // the statement's failure is the one to tell
            run(conn, QStringLiteral("ROLLBACK"), {}, &ignored);
            return error;
        }
    run(conn, QStringLiteral("COMMIT"), {}, &error);
    return error;
}

QString runAll(const QString& conninfo, const QStringList& statements)
{
    QString error;
    Conn conn = connect(conninfo, &error);
    return error.isEmpty() ? runAll(conn.get(), statements) : error;
}

bool schemaExists(PGconn* conn, const QString& company, QString* error)
{
    Res result(nullptr, &PQclear);
    if (!run(conn, QStringLiteral("SELECT 1 FROM pg_catalog.pg_namespace WHERE nspname = $1"), {company},
             error, &result))
        return false;
    return PQntuples(result.get()) > 0;
}

// The statements that add to the three shared tables of `company` every
// column their description has and the server's table lacks (a company made
// by an earlier version); `added` names them as "Table.Column". They run first
// in the upgrade's transaction, before anything that reads the columns (the
// history's triggers). False when the server cannot say.
bool SharedColumnStatements(PGconn* conn, const QString& company, QStringList* statements, QStringList* added,
                            QString* error)
{
    Res result(nullptr, &PQclear);
    if (!run(conn,
             QStringLiteral("SELECT lower(c.relname), lower(a.attname) FROM pg_catalog.pg_class c "
                            "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                            "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 "
                            "AND NOT a.attisdropped WHERE n.nspname = $1 AND c.relkind = 'r'"),
             {company}, error, &result))
        return false;
    QSet<QString> present;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        present.insert(QString::fromUtf8(PQgetvalue(result.get(), row, 0)) + QLatin1Char('.') +
                       QString::fromUtf8(PQgetvalue(result.get(), row, 1)));
    for (const store::TableDescription* table : store::SharedTables())
        for (const store::ColumnDescription& column : table->columns) {
            if (present.contains((table->name + QLatin1Char('.') + column.name).toLower()))
                continue;
            *statements << QStringLiteral("ALTER TABLE %1.%2 ADD COLUMN %3 %4")
                               .arg(quoted(company), quoted(table->name), quoted(column.name),
                                    store::ServerType(column));
            *added << table->name + QLatin1Char('.') + column.name;
        }
    return true;
}

bool tableExists(PGconn* conn, const QString& company, const QString& table, QString* error)
{
    Res result(nullptr, &PQclear);
    if (!run(conn,
             QStringLiteral("SELECT 1 FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
                            "ON n.oid = c.relnamespace WHERE n.nspname = $1 AND c.relname = $2"),
             {company, table}, error, &result))
        return false;
    return PQntuples(result.get()) > 0;
}

// The settings "name=value" of a function, the name in lower case (the
// server writes "DateStyle" for "datestyle"), in one order.
QStringList sortedSettings(const QStringList& settings)
{
    QStringList sorted;
    for (const QString& setting : settings)
        sorted << setting.section(QLatin1Char('='), 0, 0).toLower() + QLatin1Char('=') +
                setting.section(QLatin1Char('='), 1);
    sorted.sort();
    return sorted;
}

// Each trigger of store::ServerHistoryTriggers as it stands on the server,
// compared with what this version creates: present, enabled (it fires in
// every session unless set to 'D', or to 'R', replicas only), calling its
// function of the same schema, on the same events, with no column list, WHEN
// condition or arguments, deferred to the commit where it should be; no
// other trigger on the history or its waiting events, nor calling a function
// of the history (a renamed one would record every change twice), and no
// rule, policy or row security on those two tables, neither UNLOGGED; and every
// function of the history, compared with its description: body, language,
// result, volatility, strictness, SECURITY DEFINER, settings, and its owner,
// who must be the history's (another role owning it could rewrite it). Each
// difference is named. With GuardCheck::MissingOrDisabled only what is absent
// or does not fire is named: a definition of an earlier version is not.
// `statements`, for the upgrade, gets what must run before the guards are
// made again: the foreign triggers dropped, the functions given back to the
// history's owner; an upgrade that may not give one back fails, saying who
// can.
bool guardProblems(PGconn* conn, const QString& company, QStringList* problems, QStringList* repairs,
                   QString* error, GuardCheck check = GuardCheck::Everything, QStringList* statements = nullptr)
{
    const bool definitions = check == GuardCheck::Everything;
    Res result(nullptr, &PQclear);
    if (!run(conn,
             QStringLiteral("SELECT c.relname, t.tgname, t.tgenabled, p.proname, pn.nspname = n.nspname, t.tgtype, "
                            "t.tgconstraint <> 0, t.tgdeferrable, t.tginitdeferred, t.tgattr::text <> '', "
                            "t.tgqual IS NOT NULL, t.tgnargs <> 0 "
                            "FROM pg_catalog.pg_trigger t JOIN pg_catalog.pg_class c ON c.oid = t.tgrelid "
                            "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                            "JOIN pg_catalog.pg_proc p ON p.oid = t.tgfoid "
                            "JOIN pg_catalog.pg_namespace pn ON pn.oid = p.pronamespace "
                            "WHERE n.nspname = $1 AND NOT t.tgisinternal"),
             {company}, error, &result))
        return false;
    const auto say = [&](const QString& problem, const QString& repair) {
        *problems << problem;
        if (repairs)
            *repairs << repair;
    };
    const auto yes = [&](int row, int column) { return QByteArray(PQgetvalue(result.get(), row, column)) == "t"; };
    const std::vector<store::ServerTrigger> triggers = store::ServerHistoryTriggers();
    if (definitions) {
        // The history's own tables (the history and its waiting events, not
        // the shared ones) and the history's functions.
        QStringList historyTables;
        QSet<QString> historyFunctions;
        for (const store::ServerTrigger& expected : triggers)
            if (!historyTables.contains(expected.table))
                historyTables << expected.table;
        for (const store::TableDescription* shared : store::SharedTables())
            historyTables.removeAll(shared->name);
        for (const store::ServerFunction& function : store::ServerHistoryFunctions())
            historyFunctions.insert(function.name);
        for (int row = 0; row < PQntuples(result.get()); ++row) {
            const QString table = QString::fromUtf8(PQgetvalue(result.get(), row, 0));
            const QString name = QString::fromUtf8(PQgetvalue(result.get(), row, 1));
            const QString function = QString::fromUtf8(PQgetvalue(result.get(), row, 3));
            if (std::any_of(triggers.begin(), triggers.end(),
                            [&](const store::ServerTrigger& t) { return t.table == table && t.name == name; }))
                continue;
            const bool calls = yes(row, 4) && historyFunctions.contains(function);
            if (!calls && !historyTables.contains(table))
                continue;
            const QString which = QStringLiteral("il trigger %1 della tabella %2").arg(name, table);
            const QString why = calls ? QStringLiteral("chiama la funzione %1 dello storico").arg(function)
                                      : QStringLiteral("è sulla tabella dello storico");
            say(QStringLiteral("%1 non è uno di quelli dello storico ma %2").arg(which, why),
                QStringLiteral("tolto %1, che non è uno di quelli dello storico ma %2").arg(which, why));
            if (statements)
                *statements << QStringLiteral("DROP TRIGGER %1 ON %2.%3").arg(quoted(name), quoted(company), quoted(table));
        }
        // Nothing but the history's functions writes its tables: a rule could
        // turn their INSERT into nothing, row security hide rows from them;
        // and they are kept as every table is (an UNLOGGED one is emptied by
        // a crash and never reaches a standby).
        Res other(nullptr, &PQclear);
        if (!run(conn,
                 QStringLiteral("SELECT c.relname, 'r', r.rulename FROM pg_catalog.pg_rewrite r "
                                "JOIN pg_catalog.pg_class c ON c.oid = r.ev_class "
                                "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                "WHERE n.nspname = $1 AND c.relname = ANY ($2::text[]) AND r.rulename <> '_RETURN' "
                                "UNION ALL SELECT c.relname, 'p', p.polname FROM pg_catalog.pg_policy p "
                                "JOIN pg_catalog.pg_class c ON c.oid = p.polrelid "
                                "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                "WHERE n.nspname = $1 AND c.relname = ANY ($2::text[]) "
                                "UNION ALL SELECT c.relname, 's', '' FROM pg_catalog.pg_class c "
                                "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                "WHERE n.nspname = $1 AND c.relname = ANY ($2::text[]) "
                                "AND (c.relrowsecurity OR c.relforcerowsecurity) "
                                "UNION ALL SELECT c.relname, 'u', '' FROM pg_catalog.pg_class c "
                                "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                "WHERE n.nspname = $1 AND c.relname = ANY ($2::text[]) AND c.relpersistence = 'u' "
                                "ORDER BY 1, 2, 3"),
                 {company, QLatin1Char('{') + historyTables.join(QLatin1Char(',')) + QLatin1Char('}')}, error, &other))
            return false;
        for (int row = 0; row < PQntuples(other.get()); ++row) {
            const QString table = QString::fromUtf8(PQgetvalue(other.get(), row, 0));
            const QString qualifiedTable = quoted(company) + QLatin1Char('.') + quoted(table);
            const QByteArray kind = PQgetvalue(other.get(), row, 1);
            const QString name = QString::fromUtf8(PQgetvalue(other.get(), row, 2));
            if (kind == "r") {
                const QString& rule = name;
                say(QStringLiteral("la tabella %1 dello storico ha la regola %2 (CREATE RULE), che può cambiare "
                                   "o annullare ciò che vi si scrive")
                        .arg(table, rule),
                    QStringLiteral("tolta la regola %1 della tabella %2 dello storico").arg(rule, table));
                if (statements)
                    *statements << QStringLiteral("DROP RULE %1 ON %2").arg(quoted(rule), qualifiedTable);
            } else if (kind == "p") {
                say(QStringLiteral("la tabella %1 dello storico ha la regola di accesso %2 (CREATE POLICY)")
                        .arg(table, name),
                    QStringLiteral("tolta la regola di accesso %1 della tabella %2 dello storico").arg(name, table));
                if (statements)
                    *statements << QStringLiteral("DROP POLICY %1 ON %2").arg(quoted(name), qualifiedTable);
            } else if (kind == "u") {
                say(QStringLiteral("la tabella %1 dello storico non è scritta nel registro delle transazioni "
                                   "(UNLOGGED): un arresto del server la svuota e un server di riserva non la riceve")
                        .arg(table),
                    QStringLiteral("la tabella %1 dello storico ora è scritta nel registro delle transazioni (SET "
                                   "LOGGED)")
                        .arg(table));
                if (statements)
                    *statements << QStringLiteral("ALTER TABLE %1 SET LOGGED").arg(qualifiedTable);
            } else {
                say(QStringLiteral("la tabella %1 dello storico ha la sicurezza per righe (ROW LEVEL SECURITY), "
                                   "che può nasconderne righe")
                        .arg(table),
                    QStringLiteral("tolta la sicurezza per righe della tabella %1 dello storico").arg(table));
                if (statements)
                    *statements << QStringLiteral("ALTER TABLE %1 NO FORCE ROW LEVEL SECURITY").arg(qualifiedTable)
                                << QStringLiteral("ALTER TABLE %1 DISABLE ROW LEVEL SECURITY").arg(qualifiedTable);
            }
        }
    }
    for (const store::ServerTrigger& expected : triggers) {
        int found = -1;
        for (int row = 0; row < PQntuples(result.get()); ++row)
            if (QString::fromUtf8(PQgetvalue(result.get(), row, 0)) == expected.table &&
                QString::fromUtf8(PQgetvalue(result.get(), row, 1)) == expected.name)
                found = row;
        const QString which = QStringLiteral("il trigger %1 della tabella %2").arg(expected.name, expected.table);
        if (found < 0) {
            say(QStringLiteral("manca %1").arg(which), QStringLiteral("ricreato %1, che mancava").arg(which));
            continue;
        }
        QStringList differs;
        if (!definitions) {
            const QByteArray enabled = PQgetvalue(result.get(), found, 2);
            if (enabled == "D" || enabled == "R")
                say(QStringLiteral("%1 è disattivato").arg(which), QStringLiteral("riattivato %1").arg(which));
            continue;
        }
        if (QString::fromUtf8(PQgetvalue(result.get(), found, 3)) != expected.function || !yes(found, 4))
            differs << QStringLiteral("la funzione chiamata");
        if (QByteArray(PQgetvalue(result.get(), found, 5)).toInt() != expected.type)
            differs << QStringLiteral("gli eventi o il momento in cui scatta");
        if (yes(found, 9))
            differs << QStringLiteral("la lista delle colonne (UPDATE OF)");
        if (yes(found, 10))
            differs << QStringLiteral("la condizione WHEN");
        if (yes(found, 11))
            differs << QStringLiteral("gli argomenti");
        const bool deferred = yes(found, 6) && yes(found, 7) && yes(found, 8);
        const bool immediate = !yes(found, 6) && !yes(found, 7) && !yes(found, 8);
        if (expected.deferred ? !deferred : !immediate)
            differs << (expected.deferred ? QStringLiteral("non è più rinviato al commit (DEFERRABLE INITIALLY DEFERRED)")
                                          : QStringLiteral("è stato reso rinviabile"));
        const QByteArray enabled = PQgetvalue(result.get(), found, 2);
        if (enabled == "A")
            differs << QStringLiteral("scatta anche nelle sessioni di replica (ENABLE ALWAYS)");
        if (!differs.isEmpty())
            say(QStringLiteral("%1 è stato cambiato: %2").arg(which, differs.join(QStringLiteral(", "))),
                QStringLiteral("ricreato %1, che era stato cambiato (%2)").arg(which, differs.join(QStringLiteral(", "))));
        else if (enabled == "D" || enabled == "R")
            say(QStringLiteral("%1 è disattivato").arg(which), QStringLiteral("riattivato %1").arg(which));
    }
    if (!run(conn,
             QStringLiteral("SELECT p.proname, pg_catalog.pg_get_function_identity_arguments(p.oid), "
                            "pg_catalog.format_type(p.prorettype, NULL), p.proretset, l.lanname, p.provolatile, "
                            "p.proisstrict, p.prosecdef, "
                            "pg_catalog.array_to_string(coalesce(p.proconfig, '{}'), E'\\n'), p.prosrc, "
                            "pg_catalog.pg_get_userbyid(p.proowner), pg_catalog.pg_get_userbyid(h.relowner), "
                            "pg_catalog.pg_has_role(p.proowner, 'USAGE') "
                            "FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace "
                            "JOIN pg_catalog.pg_language l ON l.oid = p.prolang "
                            "JOIN pg_catalog.pg_class h ON h.relnamespace = n.oid AND h.relname = $2 "
                            "WHERE n.nspname = $1"),
             {company, store::HistoryTable}, error, &result))
        return false;
    const auto text = [&](int row, int column) { return QString::fromUtf8(PQgetvalue(result.get(), row, column)); };
    for (const store::ServerFunction& expected : store::ServerHistoryFunctions()) {
        int found = -1;
        for (int row = 0; row < PQntuples(result.get()); ++row)
            if (text(row, 0) == expected.name && text(row, 1) == expected.arguments)
                found = row;
        if (found < 0) {
            say(QStringLiteral("manca la funzione %1").arg(expected.name),
                QStringLiteral("ricreata la funzione %1, che mancava").arg(expected.name));
            continue;
        }
        if (!definitions)
            continue;
        QStringList differs;
        if (text(found, 9) != expected.body)
            differs << QStringLiteral("il corpo");
        if (text(found, 4) != expected.language)
            differs << QStringLiteral("il linguaggio");
        if (text(found, 2) != expected.returns || yes(found, 3))
            differs << QStringLiteral("il risultato");
        if (text(found, 5) != (expected.immutable ? QLatin1String("i") : QLatin1String("v")))
            differs << QStringLiteral("la volatilità");
        if (yes(found, 6))
            differs << QStringLiteral("STRICT");
        if (yes(found, 7) != expected.definer)
            differs << (expected.definer ? QStringLiteral("non è più SECURITY DEFINER")
                                         : QStringLiteral("è diventata SECURITY DEFINER"));
        const QString settings = text(found, 8);
        if (sortedSettings(settings.isEmpty() ? QStringList() : settings.split(QLatin1Char('\n'))) !=
            sortedSettings(expected.settings))
            differs << QStringLiteral("le impostazioni (SET)");
        const QString owner = text(found, 10), historyOwner = text(found, 11);
        if (owner != historyOwner) {
            differs << QStringLiteral("appartiene al ruolo %1, non a %2 come lo storico").arg(owner, historyOwner);
            if (statements && !yes(found, 12)) {
                *error = QStringLiteral("la funzione %1 dello storico appartiene al ruolo %2: può restituirla a %3 "
                                        "solo %2 o un superutente; eseguire quenvol-admin upgrade come superutente "
                                        "(di solito postgres)")
                             .arg(expected.name, owner, historyOwner);
                return false;
            }
            if (statements)
                *statements << QStringLiteral("ALTER FUNCTION %1.%2(%3) OWNER TO %4")
                                   .arg(quoted(company), quoted(expected.name), expected.arguments, quoted(historyOwner));
        }
        if (!differs.isEmpty())
            say(QStringLiteral("la funzione %1 è stata cambiata: %2").arg(expected.name, differs.join(QStringLiteral(", "))),
                QStringLiteral("ricreata la funzione %1, che era stata cambiata (%2)")
                    .arg(expected.name, differs.join(QStringLiteral(", "))));
    }
    return true;
}

}  // namespace

QStringList CreateSchemaStatements(const QString& company)
{
    return store::ServerSchemaStatements(company);
}

bool SchemaExists(const QString& conninfo, const QString& company, QString* error)
{
    Conn conn = connect(conninfo, error);
    return error->isEmpty() && schemaExists(conn.get(), company, error);
}

QString CreateCompanySchema(const QString& conninfo, const QString& company, bool serverHistory)
{
    if (company.trimmed().isEmpty())
        return QStringLiteral("il codice della società è vuoto");
    QString error;
    Conn conn = connect(conninfo, &error);
    if (!error.isEmpty())
        return error;
    if (schemaExists(conn.get(), company, &error))
        return QStringLiteral("la società %1 esiste già sul server: non viene sovrascritta").arg(company);
    if (!error.isEmpty())
        return error;
    QStringList statements = CreateSchemaStatements(company);
    if (serverHistory)
        statements << store::ServerHistoryStatements(company);
    return runAll(conn.get(), statements);
}

QString InstallServerHistory(const QString& conninfo, const QString& company)
{
    return runAll(conninfo, store::ServerHistoryStatements(company));
}

QString HistoryGuardProblems(const QString& conninfo, const QString& company, QStringList* problems,
                             QStringList* repairs, GuardCheck check)
{
    QString error;
    Conn conn = connect(conninfo, &error);
    if (error.isEmpty() && tableExists(conn.get(), company, store::HistoryTable, &error))
        guardProblems(conn.get(), company, problems, repairs, &error, check);
    return error;
}

QString GrantOperators(const QString& conninfo, const QString& company, const QString& group, QStringList* members)
{
    QString error;
    Conn conn = connect(conninfo, &error);
    if (!error.isEmpty())
        return error;
    if (!schemaExists(conn.get(), company, &error))
        return error.isEmpty() ? QStringLiteral("la società %1 non esiste sul server").arg(company) : error;
    if (!tableExists(conn.get(), company, store::HistoryTable, &error))
        return error.isEmpty() ? QStringLiteral("la società %1 non ha lo storico delle modifiche: prima "
                                                "quenvol-admin upgrade")
                                     .arg(company)
                               : error;
    Res result(nullptr, &PQclear);
    if (!run(conn.get(), QStringLiteral("SELECT 1 FROM pg_catalog.pg_roles WHERE rolname = $1"), {group}, &error,
             &result))
        return error;
    if (PQntuples(result.get()) == 0)
        return QStringLiteral("il ruolo %1 non esiste sul server: crearlo prima (CREATE ROLE %1 NOLOGIN)").arg(group);
    // The operators' limits are set on their roles (ALTER ROLE ... SET),
    // which only a superuser or a role with CREATEROLE may do.
    if (!run(conn.get(),
             QStringLiteral("SELECT rolname FROM pg_catalog.pg_roles WHERE rolname = current_user "
                            "AND NOT rolsuper AND NOT rolcreaterole"),
             {}, &error, &result))
        return error;
    if (PQntuples(result.get()) > 0)
        return QStringLiteral("il ruolo %1 non può impostare i tempi massimi dei ruoli degli operatori (serve un "
                              "superutente o un ruolo con CREATEROLE): eseguire quenvol-admin grant come superutente "
                              "(di solito postgres), oppure dare CREATEROLE al proprietario della società (ALTER ROLE "
                              "%1 CREATEROLE)")
            .arg(QString::fromUtf8(PQgetvalue(result.get(), 0, 0)));
    // The group and every role in it, at any depth.
    if (!run(conn.get(),
             QStringLiteral("WITH RECURSIVE dentro(oid) AS (SELECT oid FROM pg_catalog.pg_roles WHERE rolname = $1 "
                            "UNION SELECT m.member FROM pg_catalog.pg_auth_members m JOIN dentro d ON m.roleid = d.oid) "
                            "SELECT r.rolname FROM pg_catalog.pg_roles r JOIN dentro d ON d.oid = r.oid "
                            "ORDER BY r.rolname <> $1, r.rolname"),
             {group}, &error, &result))
        return error;
    QStringList roles;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        roles << QString::fromUtf8(PQgetvalue(result.get(), row, 0));
    if (!run(conn.get(), QStringLiteral("SELECT current_database()"), {}, &error, &result))
        return error;
    const QString database = quoted(QString::fromUtf8(PQgetvalue(result.get(), 0, 0)));
    const QString schema = quoted(company);
    const auto table = [&](const QString& name) { return schema + QLatin1Char('.') + quoted(name); };
    QStringList data;
    for (const store::TableDescription* shared : store::SharedTables())
        data << table(shared->name);
    QStringList statements{
        QStringLiteral("GRANT USAGE ON SCHEMA %1 TO %2").arg(schema, quoted(group)),
        QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON %1 TO %2").arg(data.join(QStringLiteral(", ")), quoted(group)),
        QStringLiteral("GRANT SELECT ON %1 TO %2").arg(table(store::HistoryTable), quoted(group)),
        QStringLiteral("GRANT EXECUTE ON FUNCTION %1(text, text, text, text, text) TO %2")
            .arg(table(store::HistoryTable + QStringLiteral("_evento")), quoted(group))};
    for (const QString& role : roles)
        statements << QStringLiteral("ALTER ROLE %1 IN DATABASE %2 SET idle_in_transaction_session_timeout = '%3'")
                          .arg(quoted(role), database, QLatin1String(OperatorIdleTimeout))
                   << QStringLiteral("ALTER ROLE %1 IN DATABASE %2 SET lock_timeout = '%3'")
                          .arg(quoted(role), database, QLatin1String(OperatorLockTimeout));
    if (error = runAll(conn.get(), statements); !error.isEmpty())
        return error;
    *members = roles;
    return QString();
}

QString EndHoldingSessions(const QString& conninfo, int limitSeconds, std::vector<EndedSession>* ended,
                           GuardMemory* memory)
{
    QString error;
    Conn conn = connect(conninfo, &error);
    if (!error.isEmpty())
        return error;
    Res result(nullptr, &PQclear);
    // The operators: the roles given the event function of any company (by
    // grant), but its owner, and their members at any depth.
    const QString operators = QStringLiteral(
        "WITH RECURSIVE gruppi(oid) AS (SELECT DISTINCT a.grantee FROM pg_catalog.pg_proc p "
        "CROSS JOIN LATERAL pg_catalog.aclexplode(p.proacl) a WHERE p.proname = $1 "
        "AND a.privilege_type = 'EXECUTE' AND a.grantee <> 0 AND a.grantee <> p.proowner "
        "UNION SELECT m.member FROM pg_catalog.pg_auth_members m JOIN gruppi g ON m.roleid = g.oid) ");
    const auto heldBy = [](const QString& whose) {
        return QStringLiteral(
                   "coalesce((SELECT string_agg(DISTINCT n.nspname || '.' || c.relname || ' (' || l.mode || ')', ', ') "
                   "FROM pg_catalog.pg_locks l JOIN pg_catalog.pg_class c ON c.oid = l.relation "
                   "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE %1 AND l.granted "
                   "AND n.nspname NOT IN ('pg_catalog', 'information_schema')), '')")
            .arg(whose);
    };
    // Each session: how long it has sat idle in a transaction, the longest
    // wait it is causing now, whether anyone waits for it at all, how long
    // its transaction has been open, and whether it waits for a lock itself.
    if (!run(conn.get(),
             operators +
                 QStringLiteral(
                     "SELECT s.pid, s.usename, coalesce(host(s.client_addr), 'socket locale'), "
                     "CASE WHEN s.state LIKE 'idle in transaction%' "
                     "THEN extract(epoch FROM now() - s.state_change)::bigint ELSE 0 END, "
                     "coalesce((SELECT max(extract(epoch FROM now() - l.waitstart))::bigint FROM pg_catalog.pg_locks l "
                     "WHERE NOT l.granted AND l.waitstart IS NOT NULL AND s.pid = ANY (pg_catalog.pg_blocking_pids(l.pid))), 0), "
                     "%1, "
                     "EXISTS (SELECT 1 FROM pg_catalog.pg_stat_activity w "
                     "WHERE s.pid = ANY (pg_catalog.pg_blocking_pids(w.pid))), "
                     "coalesce(extract(epoch FROM now() - s.xact_start)::bigint, 0), coalesce(s.xact_start::text, ''), "
                     "s.wait_event_type IS NOT DISTINCT FROM 'Lock' "
                     "FROM pg_catalog.pg_stat_activity s JOIN pg_catalog.pg_roles r ON r.oid = s.usesysid "
                     "WHERE s.usesysid IN (SELECT oid FROM gruppi) AND NOT r.rolsuper "
                     "AND s.pid <> pg_catalog.pg_backend_pid() AND s.datname = current_database()")
                     .arg(heldBy(QStringLiteral("l.pid = s.pid"))),
             {store::HistoryTable + QStringLiteral("_evento")}, &error, &result))
        return error;
    GuardMemory seen;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        const qlonglong pid = QByteArray(PQgetvalue(result.get(), row, 0)).toLongLong();
        const qlonglong idle = QByteArray(PQgetvalue(result.get(), row, 3)).toLongLong();
        const qlonglong waited = QByteArray(PQgetvalue(result.get(), row, 4)).toLongLong();
        const bool blocking = QByteArray(PQgetvalue(result.get(), row, 6)) == "t";
        const qlonglong open = QByteArray(PQgetvalue(result.get(), row, 7)).toLongLong();
        const QString transaction = QString::fromLatin1(PQgetvalue(result.get(), row, 8));
        // One that waits for a lock itself is held up too: ending whoever it
        // waits for frees both, and the next round looks at it again.
        const bool waiting = QByteArray(PQgetvalue(result.get(), row, 9)) == "t";
        // A waiting session gives up after its own lock timeout (three
        // seconds in the program) and tries again, so no single wait need
        // last the limit: a session seen holding another up in this
        // transaction is ended once the transaction has been open that long.
        const bool heldUp = !transaction.isEmpty() &&
                            (blocking || (memory && memory->blocking.value(pid) == transaction));
        if (heldUp)
            seen.blocking.insert(pid, transaction);
        const bool holding = !waiting && (waited > limitSeconds || (heldUp && open > limitSeconds));
        if (idle <= limitSeconds && !holding)
            continue;
        EndedSession session;
        session.role = QString::fromUtf8(PQgetvalue(result.get(), row, 1));
        session.address = QString::fromUtf8(PQgetvalue(result.get(), row, 2));
        session.held = QString::fromUtf8(PQgetvalue(result.get(), row, 5));
        session.reason = holding ? QStringLiteral("faceva attendere un'altra sessione, in una transazione aperta")
                                 : QStringLiteral("inattiva in una transazione aperta");
        session.seconds = holding ? std::max(waited, open) : idle;
        Res ended_(nullptr, &PQclear);
        if (!run(conn.get(), QStringLiteral("SELECT pg_catalog.pg_terminate_backend($1::integer)"),
                 {QString::number(pid)}, &error, &ended_))
            return error;
        if (QByteArray(PQgetvalue(ended_.get(), 0, 0)) == "t") {
            seen.blocking.remove(pid);
            ended->push_back(session);
        }
    }
    if (memory)
        *memory = seen;
    // A prepared transaction keeps its locks with no session behind it: one
    // of an operator's, prepared longer ago than the limit, is rolled back.
    if (!run(conn.get(),
             operators +
                 QStringLiteral(
                     "SELECT p.gid, p.owner, extract(epoch FROM now() - p.prepared)::bigint, %1, "
                     "format('ROLLBACK PREPARED %L', p.gid) "
                     "FROM pg_catalog.pg_prepared_xacts p JOIN pg_catalog.pg_roles r ON r.rolname = p.owner "
                     "WHERE r.oid IN (SELECT oid FROM gruppi) AND NOT r.rolsuper AND p.database = current_database() "
                     "AND p.prepared < now() - make_interval(secs => $2)")
                     .arg(heldBy(QStringLiteral(
                         // its locks are those of no session under its own transaction's virtual id
                         "l.pid IS NULL AND l.virtualtransaction IN (SELECT t.virtualtransaction "
                         "FROM pg_catalog.pg_locks t WHERE t.pid IS NULL AND t.locktype = 'transactionid' "
                         "AND t.transactionid = p.transaction)"))),
             {store::HistoryTable + QStringLiteral("_evento"), QString::number(limitSeconds)}, &error, &result))
        return error;
    for (int row = 0; row < PQntuples(result.get()); ++row) {
        Res rolledBack(nullptr, &PQclear);
        // The name is the operator's own text, quoted by the server's format().
        // One committed or rolled back meanwhile by its owner is gone already:
        // nothing to tell, and the round goes on.
        QString gone;
        if (!run(conn.get(), QString::fromUtf8(PQgetvalue(result.get(), row, 4)), {}, &gone, &rolledBack))
            continue;
        EndedSession session;
        session.role = QString::fromUtf8(PQgetvalue(result.get(), row, 1));
        session.prepared = QString::fromUtf8(PQgetvalue(result.get(), row, 0));
        session.held = QString::fromUtf8(PQgetvalue(result.get(), row, 3));
        session.reason = QStringLiteral("preparata");
        session.seconds = QByteArray(PQgetvalue(result.get(), row, 2)).toLongLong();
        ended->push_back(session);
    }
    return QString();
}

QString AddHistoryTable(const QString& conninfo, const QString& company, bool* added)
{
    HistoryUpgrade done;
    const QString error = UpgradeHistory(conninfo, company, &done);
    *added = done.tableAdded;
    return error;
}

QString UpgradeHistory(const QString& conninfo, const QString& company, HistoryUpgrade* done)
{
    *done = HistoryUpgrade();
    QString error;
    Conn conn = connect(conninfo, &error);
    if (!error.isEmpty())
        return error;
    if (!schemaExists(conn.get(), company, &error))
        return error.isEmpty() ? QStringLiteral("la società %1 non esiste sul server").arg(company) : error;
    const store::TableDescription& history = store::HistoryTableDescription();
    const QString table = quoted(company) + QLatin1Char('.') + quoted(history.name);
    HistoryUpgrade found;
    QStringList statements;
    // The shared tables' columns first: the triggers made below read them.
    if (!SharedColumnStatements(conn.get(), company, &statements, &found.sharedColumnsAdded, &error))
        return error;
    Res result(nullptr, &PQclear);
    if (!run(conn.get(),
             QStringLiteral("SELECT a.attname FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
                            "ON n.oid = c.relnamespace LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid "
                            "AND a.attnum > 0 AND NOT a.attisdropped WHERE n.nspname = $1 AND c.relname = $2"),
             {company, history.name}, &error, &result))
        return error;
    if (PQntuples(result.get()) == 0) {
        found.tableAdded = true;
        statements << store::ServerTableStatements(company, history);
    } else {
        QStringList present;
        for (int row = 0; row < PQntuples(result.get()); ++row)
            present << QString::fromUtf8(PQgetvalue(result.get(), row, 0)).toLower();
        for (const store::ColumnDescription& column : history.columns)
            if (!present.contains(column.name.toLower())) {
                found.columnsAdded << column.name;
                statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                                  .arg(table, quoted(column.name), store::ServerType(column));
            } else if (column.kind == store::ColumnKind::Text) {
                // A text column made shorter by an earlier version (the action
                // took 13 characters before "ristampa pagine") takes today's
                // length; at the same length this changes nothing.
                statements << QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE %3")
                                  .arg(table, quoted(column.name), store::ServerType(column));
            }
    }
    if (!run(conn.get(),
             QStringLiteral("SELECT 1 FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n "
                            "ON n.oid = p.pronamespace WHERE n.nspname = $1 AND p.proname = $2"),
             {company, history.name + QStringLiteral("_dal_server")}, &error, &result))
        return error;
    found.serverWrites = PQntuples(result.get()) == 0;
    if (found.tableAdded) {
        statements << store::ServerHistoryStatements(company);
    } else {
        // Everything is put back as it should be; what was missing, disabled
        // or changed is told (for a history the server did not write yet,
        // "now the server writes it" says it all).
        QStringList problems, repairs;
        QStringList first;
        if (!guardProblems(conn.get(), company, &problems, &repairs, &error, GuardCheck::Everything, &first))
            return error;
        if (!found.serverWrites)
            found.repaired = repairs;
        // Before the columns' statements too: a policy naming a column
        // would stop its type from being set.
        statements = first + statements + store::ServerTriggerRepairStatements(company);
    }
    statements << store::ServerVersionStatements(company);
    // The register codes' rule: the codes stored before it are listed and
    // kept (the constraint then holds for new and changed codes alone).
    if (!run(conn.get(),
             QStringLiteral("SELECT 1 FROM pg_catalog.pg_constraint c JOIN pg_catalog.pg_class t ON t.oid = c.conrelid "
                            "JOIN pg_catalog.pg_namespace n ON n.oid = t.relnamespace "
                            "WHERE n.nspname = $1 AND t.relname = $2 AND c.conname = $3"),
             {company, store::RegisterTable, store::RegisterCodeConstraint()}, &error, &result))
        return error;
    if (PQntuples(result.get()) == 0) {
        const QString registers = quoted(company) + QLatin1Char('.') + quoted(store::RegisterTable);
        if (!run(conn.get(),
                 QStringLiteral("SELECT %1 FROM %2 WHERE NOT (%3) ORDER BY 1")
                     .arg(quoted(store::RegisterTableDescription().key().name), registers, store::RegisterCodeCheck()),
                 {}, &error, &result))
            return error;
        for (int row = 0; row < PQntuples(result.get()); ++row)
            found.codesBreakingRule << QString::fromUtf8(PQgetvalue(result.get(), row, 0));
        found.codeRuleAdded = true;
        statements << QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 CHECK (%3)%4")
                          .arg(registers, quoted(store::RegisterCodeConstraint()), store::RegisterCodeCheck(),
                               found.codesBreakingRule.isEmpty() ? QString() : QStringLiteral(" NOT VALID"));
    }
    // The roles that could add history rows themselves (the workstations')
    // keep reading it and may record events through the server's function.
    if (!found.tableAdded) {
        if (!run(conn.get(),
                 QStringLiteral("SELECT DISTINCT CASE WHEN a.grantee = 0 THEN 'PUBLIC' ELSE r.rolname END "
                                "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                "CROSS JOIN LATERAL pg_catalog.aclexplode(c.relacl) a "
                                "LEFT JOIN pg_catalog.pg_roles r ON r.oid = a.grantee "
                                "WHERE n.nspname = $1 AND c.relname = $2 AND a.privilege_type = 'INSERT' "
                                "AND a.grantee <> c.relowner ORDER BY 1"),
                 {company, history.name}, &error, &result))
            return error;
        for (int row = 0; row < PQntuples(result.get()); ++row) {
            const QString role = QString::fromUtf8(PQgetvalue(result.get(), row, 0));
            const QString grantee = role == QLatin1String("PUBLIC") ? role : quoted(role);
            found.rolesMoved << role;
            statements << QStringLiteral("REVOKE INSERT ON %1 FROM %2").arg(table, grantee)
                       << QStringLiteral("GRANT EXECUTE ON FUNCTION %1.%2(text, text, text, text, text) TO %3")
                              .arg(quoted(company), quoted(history.name + QStringLiteral("_evento")), grantee);
        }
    }
    if (!run(conn.get(), QStringLiteral("BEGIN"), {}, &error))
        return error;
    const auto failed = [&](const QString& reason) {
        QString ignored;  // the statement's failure is the one to tell
        run(conn.get(), QStringLiteral("ROLLBACK"), {}, &ignored);
        return reason;
    };
    for (const QString& statement : statements)
        if (!run(conn.get(), statement, {}, &error))
            return failed(error);
    // Once, when the fingerprints arrive: a row added later without one is
    // left for verify to find, never blessed by a later upgrade.
    if (found.columnsAdded.contains(history.columnName(store::HistoryColumns::Impronta))) {
        for (const QString& statement : store::RefusalTriggers(company, false))
            if (!run(conn.get(), statement, {}, &error))
                return failed(error);
        if (!run(conn.get(), store::ChainExistingRowsStatement(company), {}, &error, &result))
            return failed(error);
        found.rowsChained = QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
        for (const QString& statement : store::RefusalTriggers(company, true))
            if (!run(conn.get(), statement, {}, &error))
                return failed(error);
    }
    if (!run(conn.get(), QStringLiteral("COMMIT"), {}, &error))
        return error;
    *done = found;
    return QString();
}

QString AdvanceCounters(const QString& conninfo, const QString& company)
{
    return runAll(conninfo, AdvanceCounterStatements(company));
}

QString UnguardedCompany(const QString& conninfo, const QString& company, GuardCheck check, QStringList* found)
{
    QStringList problems;
    if (const QString error = HistoryGuardProblems(conninfo, company, &problems, nullptr, check); !error.isEmpty())
        return error;
    if (found)
        *found = problems;
    if (problems.isEmpty())
        return QString();
    return QStringLiteral("la società %1 sul server è incompleta o il suo storico non è protetto (%2): "
                          "eseguire prima quenvol-admin upgrade <server> %1")
        .arg(company, problems.join(QStringLiteral("; ")));
}

QStringList AdvanceCounterStatements(const QString& company)
{
    QStringList statements;
    for (const store::TableDescription* table : store::CompanyTables()) {
        if (table->key().kind != store::ColumnKind::Counter)
            continue;
        // The next number follows the highest one copied; a table without
        // rows starts at 1.
        const QString qualified = quoted(company) + QLatin1Char('.') + quoted(table->name);
        statements << QStringLiteral("SELECT setval(pg_get_serial_sequence(%1, %2), "
                                     "coalesce((SELECT max(%3) FROM %4), 0) + 1, false)")
                          .arg(store::literal(qualified), store::literal(table->key().name),
                               quoted(table->key().name), qualified);
    }
    return statements;
}

QString DropCompanySchema(const QString& conninfo, const QString& company)
{
    QString error;
    Conn conn = connect(conninfo, &error);
    if (error.isEmpty())
        run(conn.get(), QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(quoted(company)), {}, &error);
    return error;
}

}  // namespace company::server
