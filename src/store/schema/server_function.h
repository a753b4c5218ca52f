// One function of a company's schema on the server, described as this version
// creates it: enough to write its CREATE statement and to tell, field by
// field, whether what the server holds under its name is still that function.
#pragma once

#include <QString>
#include <QStringList>

namespace store {

struct ServerFunction {
    QString name;       // unqualified; the schema is given when it is created
    QString arguments;  // as pg_get_function_identity_arguments writes them: "ditta text, colonne text[]"
    QString returns;    // as format_type writes the result: "trigger", "bigint", "text"
    QString language;   // "plpgsql", "sql"
    bool immutable = false;
    bool definer = false;  // SECURITY DEFINER: runs as the owner
    // Its own settings as pg_proc.proconfig lists them ("DateStyle=ISO, YMD");
    // the search path is written as a list, every other value as a literal.
    QStringList settings;
    QString body;  // the text between the dollar quotes, exactly

    // "CREATE OR REPLACE FUNCTION schema.name(...) ...": every attribute
    // above set, so that it also puts back one that was changed.
    QString createStatement(const QString& schema) const;
};

// The settings every function that writes the history runs with (see
// server_history.cpp), and the search path alone for the others.
QStringList PinnedSettings();
QStringList CatalogSearchPath();

}  // namespace store
