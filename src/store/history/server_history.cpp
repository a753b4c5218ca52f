// The server's history functions and triggers, made from the table descriptions.
#include "store/history/server_history.h"

#include "store/engine/sql_text.h"
#include "store/schema/table_description.h"

namespace store {

namespace {

namespace H = HistoryColumns;

QString qualified(const QString& schema, const QString& name)
{
    return quoted(schema) + QLatin1Char('.') + quoted(name);
}

QString function(const QString& schema, const QString& suffix)
{
    return qualified(schema, HistoryTable + suffix);
}

// What runs as the owner: a search path of the catalog alone, so that no
// object of the caller's can stand in for one of the server's.
const QString Definer = QStringLiteral("SECURITY DEFINER SET search_path = pg_catalog, pg_temp");

// A column's value as the history keeps it, the same text the program makes
// of it (HistoryText): numbers in plain decimal, a whole double without
// decimals, dates as day numbers from 30/12/1899.
QString rendered(const QString& schema, const QString& row, const ColumnDescription& column)
{
    const QString value = row + QLatin1Char('.') + quoted(column.name);
    switch (column.kind) {
    case ColumnKind::Double: return QStringLiteral("%1(%2)").arg(function(schema, QStringLiteral("_numero")), value);
    case ColumnKind::Date: return QStringLiteral("(%1 - DATE '1899-12-30')::text").arg(value);
    default: return value + QStringLiteral("::text");
    }
}

// The trigger function of one table: a history row for each column whose
// value an insert, change or delete made differ. The register set's code is
// the row's own; a document type's columns carry the table's name.
QString triggerFunction(const QString& schema, const TableDescription& table)
{
    const bool docType = table.name == DocTypeTable;
    const bool header = table.name == HeaderTable;
    QStringList names, before, after;
    for (const ColumnDescription& column : table.columns) {
        const QString name = docType ? table.name + QLatin1Char('.') + column.name : column.name;
        names << literal(name);
        before << rendered(schema, QStringLiteral("OLD"), column);
        after << rendered(schema, QStringLiteral("NEW"), column);
    }
    const QString key = quoted(table.key().name);
    return QStringLiteral(
               "CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql %2 AS $body$\n"
               "DECLARE\n"
               "  nomi text[] := ARRAY[%3];\n"
               "  prima text[] := array_fill(NULL::text, ARRAY[%4]);\n"
               "  dopo text[] := array_fill(NULL::text, ARRAY[%4]);\n"
               "  codice text;\n"
               "  azione text;\n"
               "BEGIN\n"
               "  IF TG_OP <> 'INSERT' THEN prima := ARRAY[%5]; codice := OLD.%6::text; END IF;\n"
               "  IF TG_OP <> 'DELETE' THEN dopo := ARRAY[%7]; codice := NEW.%6::text; END IF;\n"
               "  azione := CASE WHEN TG_OP = 'DELETE' THEN 'cancellazione' WHEN %8 THEN 'testata'\n"
               "                 WHEN TG_OP = 'INSERT' THEN 'inserimento' ELSE 'variazione' END;\n"
               "  FOR i IN 1 .. %4 LOOP\n"
               "    CONTINUE WHEN i = %9 AND TG_OP <> 'UPDATE';\n"
               "    IF prima[i] IS DISTINCT FROM dopo[i] THEN\n"
               "      PERFORM %10(codice, azione, nomi[i], prima[i], dopo[i]);\n"
               "    END IF;\n"
               "  END LOOP;\n"
               "  RETURN NULL;\n"
               "END $body$")
        .arg(function(schema, QLatin1Char('_') + table.name), Definer, names.join(QStringLiteral(", ")))
        .arg(table.columns.size())
        .arg(before.join(QStringLiteral(", ")), key, after.join(QStringLiteral(", ")),
             header ? QStringLiteral("true") : QStringLiteral("false"))
        .arg(table.keyColumn + 1)
        .arg(function(schema, QStringLiteral("_aggiungi")));
}

}  // namespace

QStringList ServerHistoryStatements(const QString& schema)
{
    const TableDescription& history = HistoryTableDescription();
    const QString table = qualified(schema, history.name);
    const auto column = [&](int c) { return quoted(history.columnName(c)); };
    // The row's columns from StoId to StoIndirizzo as texts, for _impronta.
    QStringList fields;
    for (int c = 0; c < H::Impronta; ++c)
        fields << QStringLiteral("r.%1::text").arg(column(c));
    const QString rowFields = QStringLiteral("ARRAY[%1]").arg(fields.join(QStringLiteral(", ")));
    QStringList statements;
    statements
        << QStringLiteral("CREATE OR REPLACE FUNCTION %1(valore double precision) RETURNS text LANGUAGE sql "
                          "IMMUTABLE SET search_path = pg_catalog, pg_temp AS $body$ "
                          "SELECT CASE WHEN valore = trunc(valore) AND abs(valore) < 1e15 "
                          "THEN trunc(valore)::bigint::text ELSE valore::text END $body$")
               .arg(function(schema, QStringLiteral("_numero")))
        // One field of the canonical line: Null as \N, and \, tab, newline
        // and carriage return escaped.
        << QStringLiteral("CREATE OR REPLACE FUNCTION %1(valore text) RETURNS text LANGUAGE sql IMMUTABLE "
                          "SET search_path = pg_catalog, pg_temp AS $body$ "
                          "SELECT CASE WHEN valore IS NULL THEN '\\N' ELSE replace(replace(replace(replace("
                          "valore, '\\', '\\\\'), E'\\t', '\\t'), E'\\n', '\\n'), E'\\r', '\\r') END $body$")
               .arg(function(schema, QStringLiteral("_campo")))
        // The fingerprint: a SHA-256 of the canonical line. It takes the
        // columns as texts, not the table's row, so that nothing of the
        // table's depends on it.
        << QStringLiteral("CREATE OR REPLACE FUNCTION %1(precedente text, campi text[]) RETURNS text "
                          "LANGUAGE sql IMMUTABLE SET search_path = pg_catalog, pg_temp AS $body$ "
                          "SELECT encode(sha256(convert_to(array_to_string(ARRAY[%2(coalesce(precedente, ''))] || "
                          "ARRAY(SELECT %2(c) FROM unnest(campi) WITH ORDINALITY AS u(c, o) ORDER BY o), E'\\t') "
                          "|| E'\\n', 'UTF8')), 'hex') $body$")
               .arg(function(schema, QStringLiteral("_impronta")), function(schema, QStringLiteral("_campo")))
        // The one place a history row is written. The table lock (which
        // readers do not wait for) serialises the writers before the number
        // is taken, so the chain follows the numbers whatever the order the
        // transactions began in; it is held until the change commits.
        << QStringLiteral(
               "CREATE OR REPLACE FUNCTION %1(codice text, azione text, colonna text, prima text, dopo text) "
               "RETURNS bigint LANGUAGE plpgsql %2 AS $body$\n"
               "DECLARE\n"
               "  r %3;\n"
               "  ultima bigint;\n"
               "  precedente text;\n"
               "BEGIN\n"
               "  LOCK TABLE %3 IN SHARE ROW EXCLUSIVE MODE;\n"
               "  SELECT %4, %5 INTO ultima, precedente FROM %3 ORDER BY %4 DESC LIMIT 1;\n"
               "  r.%4 := coalesce(ultima, 0) + 1;\n"
               // A row added without a number (a role that kept INSERT from
               // before) takes the number after this one.
               "  PERFORM setval(pg_get_serial_sequence(%21, %22), r.%4);\n"
               "  r.%6 := pg_current_xact_id()::text;\n"
               "  r.%7 := to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"');\n"
               "  r.%8 := left(session_user, 64);\n"
               "  r.%9 := left(coalesce(nullif(current_setting('quenvol.postazione', true), ''), "
               "current_setting('application_name')), 64);\n"
               "  r.%10 := left(nullif(current_setting('quenvol.versione', true), ''), 16);\n"
               "  r.%11 := codice;\n"
               "  r.%12 := azione;\n"
               "  r.%13 := colonna;\n"
               "  r.%14 := prima;\n"
               "  r.%15 := dopo;\n"
               "  r.%16 := left(session_user, 64);\n"
               "  r.%17 := coalesce(host(inet_client_addr()), 'socket locale');\n"
               "  r.%18 := %19(precedente, %20);\n"
               "  INSERT INTO %3 SELECT r.*;\n"
               "  RETURN r.%4;\n"
               "END $body$")
               .arg(function(schema, QStringLiteral("_aggiungi")), Definer, table, column(H::Id),
                    column(H::Impronta), column(H::Modifica), column(H::Quando), column(H::Utente),
                    column(H::Postazione))
               .arg(column(H::Versione), column(H::Codice), column(H::Azione), column(H::Colonna),
                    column(H::Prima), column(H::Dopo), column(H::Ruolo), column(H::Indirizzo), column(H::Impronta))
               .arg(function(schema, QStringLiteral("_impronta")), rowFields, literal(table),
                    literal(history.columnName(H::Id)))
        // An event a workstation records (the print of register pages): any
        // action but those of a change, which only the triggers write.
        << QStringLiteral("CREATE OR REPLACE FUNCTION %1(codice text, azione text, colonna text, prima text, "
                          "dopo text) RETURNS bigint LANGUAGE plpgsql %2 AS $body$\n"
                          "BEGIN\n"
                          "  IF azione IS NULL OR azione IN ('inserimento', 'variazione', 'cancellazione', 'testata') THEN\n"
                          "    RAISE EXCEPTION 'azione non ammessa per un evento: %', azione;\n"
                          "  END IF;\n"
                          "  RETURN %3(codice, azione, colonna, prima, dopo);\n"
                          "END $body$")
               .arg(function(schema, QStringLiteral("_evento")), Definer,
                    function(schema, QStringLiteral("_aggiungi")))
        // The chain of the rows written before it existed, once, in number
        // order; a row that has its fingerprint keeps it.
        << QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS bigint LANGUAGE plpgsql "
                          "SET search_path = pg_catalog, pg_temp AS $body$\n"
                          "DECLARE\n"
                          "  r %2;\n"
                          "  precedente text := '';\n"
                          "  fatte bigint := 0;\n"
                          "BEGIN\n"
                          "  FOR r IN SELECT * FROM %2 ORDER BY %3 LOOP\n"
                          "    IF r.%4 IS NULL THEN\n"
                          "      r.%4 := %5(precedente, %6);\n"
                          "      UPDATE %2 SET %4 = r.%4 WHERE %3 = r.%3;\n"
                          "      fatte := fatte + 1;\n"
                          "    END IF;\n"
                          "    precedente := r.%4;\n"
                          "  END LOOP;\n"
                          "  RETURN fatte;\n"
                          "END $body$")
               .arg(function(schema, QStringLiteral("_concatena")), table, column(H::Id), column(H::Impronta),
                    function(schema, QStringLiteral("_impronta")), rowFields)
        << QStringLiteral("REVOKE ALL ON FUNCTION %1() FROM PUBLIC").arg(function(schema, QStringLiteral("_concatena")))
        // Tells the program that the server writes the history.
        << QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS boolean LANGUAGE sql "
                          "SET search_path = pg_catalog, pg_temp AS $body$ SELECT true $body$")
               .arg(function(schema, QStringLiteral("_dal_server")))
        << QStringLiteral("REVOKE ALL ON FUNCTION %1(text, text, text, text, text) FROM PUBLIC")
               .arg(function(schema, QStringLiteral("_aggiungi")))
        << QStringLiteral("REVOKE ALL ON FUNCTION %1(text, text, text, text, text) FROM PUBLIC")
               .arg(function(schema, QStringLiteral("_evento")));
    for (const TableDescription* shared : SharedTables()) {
        const QString trigger = quoted(shared->name + QStringLiteral("_storico"));
        statements << triggerFunction(schema, *shared)
                   << QStringLiteral("REVOKE ALL ON FUNCTION %1() FROM PUBLIC")
                          .arg(function(schema, QLatin1Char('_') + shared->name))
                   << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(trigger, qualified(schema, shared->name))
                   << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR EACH ROW "
                                     "EXECUTE FUNCTION %3()")
                          .arg(trigger, qualified(schema, shared->name),
                               function(schema, QLatin1Char('_') + shared->name));
    }
    return statements;
}

QString ChainExistingRowsStatement(const QString& schema)
{
    return QStringLiteral("SELECT %1()").arg(function(schema, QStringLiteral("_concatena")));
}

QStringList RefusalTriggers(const QString& schema, bool enable)
{
    return {QStringLiteral("ALTER TABLE %1 %2 TRIGGER %3")
                .arg(qualified(schema, HistoryTable), enable ? QStringLiteral("ENABLE") : QStringLiteral("DISABLE"),
                     quoted(HistoryTable + QStringLiteral("_no_modifica")))};
}

}  // namespace store
