// The change history written by the server itself: the functions and
// triggers of a company's schema that record every insert, change and delete
// of the three tables in the change's own transaction, whoever makes it and
// through whatever client, each row chained to the last by its fingerprint
// (the same canonical line as history_chain.h). Used by quenvol-admin (init,
// copy, upgrade, verify) and the tests; the program only calls the event function.
#pragma once

#include "store/schema/server_function.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace store {

// Creates or replaces the functions and the triggers; run by the schema's
// owner, whom the functions run as. The workstations' role needs EXECUTE on
// the event function alone (HistoryTable + "_evento"). No body names the
// schema: the triggers write into the history beside their own table
// (TG_TABLE_SCHEMA) and the event function into the one beside itself, so a
// renamed schema keeps recording into its own history.
QStringList ServerHistoryStatements(const QString& schema);

// Gives every history row without a fingerprint its one, in number order,
// chained to the row before; the statement's one value is how many it gave.
// Run inside the owner's transaction, between the two of RefusalTriggers.
QString ChainExistingRowsStatement(const QString& schema);
// The statements that set aside, and then put back, the trigger that refuses
// changes of history rows, around ChainExistingRowsStatement.
QStringList RefusalTriggers(const QString& schema, bool enable);

// A trigger the server's history depends on: the recording triggers of the
// three tables, the guards that refuse TRUNCATE of them, and the guards of
// the history itself.
struct ServerTrigger {
    QString table;
    QString name;
    QString function;  // in the same schema
    int type;          // pg_trigger.tgtype: when it fires and on what
    bool deferred;     // a constraint trigger, deferrable, initially deferred
    // None has a column list, a WHEN condition or arguments.
};
std::vector<ServerTrigger> ServerHistoryTriggers();
// Every function of the history as this version makes it: the triggers',
// the writing, the event function, the refusals and their helpers.
std::vector<ServerFunction> ServerHistoryFunctions();

// Re-creates every trigger of ServerHistoryTriggers (enabled), with the
// history's own guards; for a schema whose history table exists.
QStringList ServerTriggerRepairStatements(const QString& schema);

}  // namespace store
