// The server's history functions and triggers, made from the table descriptions.
#include "store/history/server_history.h"

#include "store/engine/sql_text.h"
#include "store/history/history_event.h"
#include "store/record/register_fields.h"
#include "store/schema/server_schema.h"
#include "store/schema/table_description.h"

#include <utility>

namespace store {

namespace {

namespace H = HistoryColumns;

QString qualified(const QString& schema, const QString& name)
{
    return quoted(schema) + QLatin1Char('.') + quoted(name);
}

// The history's functions are named after it: "StoricoSerieSemplificata_aggiungi".
QString functionName(const QString& suffix)
{
    return HistoryTable + suffix;
}

// The events set aside until their transaction commits: a table of the
// owner's alone, empty but for the moment before a commit.
QString pendingEvents()
{
    return HistoryTable + QStringLiteral("_eventi");
}

QString function(const QString& schema, const QString& suffix)
{
    return qualified(schema, functionName(suffix));
}

// `text` with each {name} replaced by its value.
QString fill(QString text, const std::vector<std::pair<QString, QString>>& values)
{
    for (const auto& [name, value] : values)
        text.replace(QLatin1Char('{') + name + QLatin1Char('}'), value);
    return text;
}

// The statement, for a function that runs with PinnedSettings, that makes the schema
// held in `schema` (a PL/pgSQL text) the one its unqualified names are found
// in, until the function returns. The catalog comes first all the same.
QString lookIn(const QString& schema)
{
    return QStringLiteral("PERFORM set_config('search_path', 'pg_catalog, ' || quote_ident(%1) || ', pg_temp', true);")
        .arg(schema);
}

// A function of the history as this version makes it.
ServerFunction described(const QString& suffix, const QString& arguments, const QString& returns, bool definer,
                         const QStringList& settings, const QString& body)
{
    ServerFunction made;
    made.name = functionName(suffix);
    made.arguments = arguments;
    made.returns = returns;
    made.language = QStringLiteral("plpgsql");
    made.definer = definer;
    made.settings = settings;
    made.body = body;
    return made;
}

// One field of the canonical line: Null as \N, and \, tab, newline and
// carriage return escaped (history_chain.h).
QString canonical(const QString& text)
{
    return QStringLiteral(R"(coalesce(replace(replace(replace(replace(%1, E'\\', E'\\\\'), E'\t', E'\\t'), )"
                          R"(E'\n', E'\\n'), E'\r', E'\\r'), E'\\N'))")
        .arg(text);
}

// The fingerprint of a row whose columns from StoId to StoIndirizzo are the
// texts `fields`, after the row whose fingerprint is `previous`.
QString fingerprint(const QString& previous, const QStringList& fields)
{
    QStringList line{canonical(QStringLiteral("coalesce(%1, '')").arg(previous))};
    for (const QString& field : fields)
        line << canonical(field);
    return QStringLiteral("encode(sha256(convert_to(concat_ws(E'\\t', %1) || E'\\n', 'UTF8')), 'hex')")
        .arg(line.join(QStringLiteral(", ")));
}

// A column's value as the history keeps it, the same text the program makes
// of it (HistoryText): numbers in the shortest decimal that reads back to the
// same double (a whole one below 10^15 without decimals), dates as day numbers
// from 30/12/1899. Written out here rather than called, so that it runs under
// the trigger's own pinned settings.
QString rendered(const QString& row, const ColumnDescription& column)
{
    const QString value = row + QLatin1Char('.') + quoted(column.name);
    switch (column.kind) {
    case ColumnKind::Double:
        return QStringLiteral("CASE WHEN %1 = trunc(%1) AND abs(%1) < 1e15 THEN trunc(%1)::bigint::text "
                              "ELSE %1::text END")
            .arg(value);
    case ColumnKind::Date: return QStringLiteral("(%1 - DATE '1899-12-30')::text").arg(value);
    default: return value + QStringLiteral("::text");
    }
}

// The trigger function of one table: a history row for each column whose
// value an insert, change or delete made differ, all written by one call.
// The register set's code is the row's own; a document type's columns carry
// the table's name. The history is the one beside the table.
ServerFunction triggerFunction(const TableDescription& table)
{
    const bool docType = table.name == DocTypeTable;
    const bool header = table.name == HeaderTable;
    QStringList names, before, after;
    for (const ColumnDescription& column : table.columns) {
        names << literal(docType ? table.name + QLatin1Char('.') + column.name : column.name);
        before << rendered(QStringLiteral("OLD"), column);
        after << rendered(QStringLiteral("NEW"), column);
    }
    return described(QLatin1Char('_') + table.name, QString(), QStringLiteral("trigger"), true, PinnedSettings(),
                fill(QStringLiteral("\n"
                               "DECLARE\n"
                               "  nomi text[] := ARRAY[{names}];\n"
                               "  prima text[] := array_fill(NULL::text, ARRAY[{count}]);\n"
                               "  dopo text[] := array_fill(NULL::text, ARRAY[{count}]);\n"
                               "  colonne text[] := '{}';\n"
                               "  vecchi text[] := '{}';\n"
                               "  nuovi text[] := '{}';\n"
                               "  codice text;\n"
                               "  azione text;\n"
                               "BEGIN\n"
                               "  IF TG_OP <> 'INSERT' THEN prima := ARRAY[{before}]; codice := OLD.{key}::text; END IF;\n"
                               "  IF TG_OP <> 'DELETE' THEN dopo := ARRAY[{after}]; codice := NEW.{key}::text; END IF;\n"
                               "  azione := CASE WHEN TG_OP = 'DELETE' THEN 'cancellazione' WHEN {header} THEN 'testata'\n"
                               "                 WHEN TG_OP = 'INSERT' THEN 'inserimento' ELSE 'variazione' END;\n"
                               "  FOR i IN 1 .. {count} LOOP\n"
                               "    CONTINUE WHEN i = {keyIndex} AND TG_OP <> 'UPDATE';\n"
                               "    IF prima[i] IS DISTINCT FROM dopo[i] THEN\n"
                               "      colonne := array_append(colonne, nomi[i]);\n"
                               "      vecchi := array_append(vecchi, prima[i]);\n"
                               "      nuovi := array_append(nuovi, dopo[i]);\n"
                               "    END IF;\n"
                               "  END LOOP;\n"
                               "  IF cardinality(colonne) > 0 THEN\n"
                               "    {lookIn}\n"
                               "    PERFORM {add}(TG_TABLE_SCHEMA, codice, azione, colonne, vecchi, nuovi);\n"
                               "  END IF;\n"
                               "  RETURN NULL;\n"
                               "END "),
                {{QStringLiteral("names"), names.join(QStringLiteral(", "))},
                 {QStringLiteral("count"), QString::number(table.columns.size())},
                 {QStringLiteral("before"), before.join(QStringLiteral(", "))},
                 {QStringLiteral("after"), after.join(QStringLiteral(", "))},
                 {QStringLiteral("key"), quoted(table.key().name)},
                 {QStringLiteral("header"), header ? QStringLiteral("true") : QStringLiteral("false")},
                 {QStringLiteral("keyIndex"), QString::number(table.keyColumn + 1)},
                 {QStringLiteral("lookIn"), lookIn(QStringLiteral("TG_TABLE_SCHEMA"))},
                 {QStringLiteral("add"), quoted(functionName(QStringLiteral("_aggiungi")))}}));
}

// The one place a history row is written, in the schema `ditta`: the rows of
// one change, each chained to the one before. The table lock (which readers
// do not wait for) serialises the writers before the number is taken, so the
// chain follows the numbers whatever the order the transactions began in; it
// is held until the change commits, which is why the triggers call this only
// as their transaction commits. Who, when and where are taken once, and each
// row's canonical line but for the previous fingerprint and the number is
// made before the lock, so that the writers wait for each other as little as
// can be. In a transaction that reads from a snapshot older than its
// statement (repeatable read, serializable) the last row it sees may not be
// the last one committed: the number it takes is then taken already, and
// that is the standard serialization failure, to be tried again, never a
// duplicate key.
ServerFunction addFunction()
{
    const TableDescription& history = HistoryTableDescription();
    const auto column = [&](int c) { return quoted(history.columnName(c)); };
    // Each column's value, in stored order.
    std::vector<QString> values(H::Count);
    values[H::Id] = QStringLiteral("numero");
    values[H::Modifica] = QStringLiteral("modifica");
    values[H::Quando] = QStringLiteral("quando");
    values[H::Utente] = QStringLiteral("utente");
    values[H::Postazione] = QStringLiteral("postazione");
    values[H::Versione] = QStringLiteral("versione");
    values[H::Codice] = QStringLiteral("codice");
    values[H::Azione] = QStringLiteral("azione");
    values[H::Colonna] = QStringLiteral("colonne[i]");
    values[H::Prima] = QStringLiteral("prima[i]");
    values[H::Dopo] = QStringLiteral("dopo[i]");
    values[H::Ruolo] = QStringLiteral("utente");
    values[H::Indirizzo] = QStringLiteral("indirizzo");
    values[H::Impronta] = QStringLiteral("impronta");
    QStringList columns, row, rest;
    for (int c = 0; c < H::Count; ++c) {
        columns << column(c);
        row << values[c];
        if (c > H::Id && c < H::Impronta)
            rest << canonical(values[c]);
    }
    // The line of fingerprint(): the previous fingerprint and the number,
    // then the rest made before the lock (no field is Null once canonical, so
    // joining in two steps gives the same text).
    const QString fingerprintOfRow =
        QStringLiteral("encode(sha256(convert_to(concat_ws(E'\\t', %1, %2, resto[i]) || E'\\n', 'UTF8')), 'hex')")
            .arg(canonical(QStringLiteral("coalesce(precedente, '')")), canonical(QStringLiteral("numero::text")));
    return described(
        QStringLiteral("_aggiungi"),
        QStringLiteral("ditta text, codice text, azione text, colonne text[], prima text[], dopo text[]"),
        QStringLiteral("bigint"), true, PinnedSettings(),
        fill(
        QStringLiteral(
            "\n"
            "DECLARE\n"
            "  ultima bigint;\n"
            "  precedente text;\n"
            "  numero bigint;\n"
            "  impronta text;\n"
            "  modifica text := pg_current_xact_id()::text;\n"
            "  quando text := to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"');\n"
            "  utente text := left(session_user, 64);\n"
            "  postazione text := left(coalesce(nullif(current_setting('quenvol.postazione', true), ''), "
            "current_setting('application_name')), 64);\n"
            "  versione text := left(nullif(current_setting('quenvol.versione', true), ''), 16);\n"
            "  indirizzo text := coalesce(host(inet_client_addr()), 'socket locale');\n"
            "  resto text[] := '{}';\n"
            "BEGIN\n"
            "  {lookIn}\n"
            "  FOR i IN 1 .. coalesce(array_length(colonne, 1), 0) LOOP\n"
            "    resto := array_append(resto, concat_ws(E'\\t', {rest}));\n"
            "  END LOOP;\n"
            "  LOCK TABLE {history} IN SHARE ROW EXCLUSIVE MODE;\n"
            "  SELECT {id}, {print} INTO ultima, precedente FROM {history} ORDER BY {id} DESC LIMIT 1;\n"
            "  numero := coalesce(ultima, 0);\n"
            "  BEGIN\n"
            "    FOR i IN 1 .. coalesce(array_length(colonne, 1), 0) LOOP\n"
            "      numero := numero + 1;\n"
            "      impronta := {fingerprint};\n"
            "      INSERT INTO {history} ({columns}) VALUES ({row});\n"
            "      precedente := impronta;\n"
            "    END LOOP;\n"
            "  EXCEPTION WHEN unique_violation THEN\n"
            "    RAISE EXCEPTION 'storico: un''altra modifica è stata registrata dopo l''inizio di questa "
            "transazione: va ripetuta' USING ERRCODE = 'serialization_failure';\n"
            "  END;\n"
            // A row added without a number (a role that kept INSERT from
            // before) takes the number after these.
            "  IF numero > coalesce(ultima, 0) THEN\n"
            "    PERFORM setval(pg_get_serial_sequence(quote_ident(ditta) || '.' || quote_ident({historyName}), "
            "{idName}), numero);\n"
            "  END IF;\n"
            "  RETURN numero;\n"
            "END "),
        {{QStringLiteral("lookIn"), lookIn(QStringLiteral("ditta"))},
         {QStringLiteral("history"), quoted(history.name)},
         {QStringLiteral("id"), column(H::Id)},
         {QStringLiteral("print"), column(H::Impronta)},
         {QStringLiteral("rest"), rest.join(QStringLiteral(", "))},
         {QStringLiteral("fingerprint"), fingerprintOfRow},
         {QStringLiteral("columns"), columns.join(QStringLiteral(", "))},
         {QStringLiteral("row"), row.join(QStringLiteral(", "))},
         {QStringLiteral("historyName"), literal(history.name)},
         {QStringLiteral("idName"), literal(history.columnName(H::Id))}}));
}

// A text given to a function as its refusal shows it: quoted, at most 40
// characters and "..." after, or Null.
QString shownText(const QString& name)
{
    return QStringLiteral("coalesce(quote_literal(left(%1, 40)) || CASE WHEN length(%1) > 40 THEN '...' ELSE '' END, "
                          "'Null')")
        .arg(name);
}

// An event a workstation records (the print of register pages, the
// signature of a printed document): exactly one of the event actions in its
// form, nothing else, set aside until the transaction
// commits (it returns Null: the row's number is given then). It writes into the history of its own
// schema, which it reads from its own qualified name in the call's context
// (shown qualified, since the pinned search path does not hold the schema).
ServerFunction eventFunction()
{
    QStringList actions, registers;
    for (const QString& action : HistoryEventActions())
        actions << literal(action);
    for (const QString& name : PageEventColumns())
        registers << literal(name);
    const QString name = quoted(functionName(QStringLiteral("_evento")));
    return described(
        QStringLiteral("_evento"), QStringLiteral("codice text, azione text, colonna text, prima text, dopo text"),
        QStringLiteral("bigint"), true, PinnedSettings(),
        fill(
        QStringLiteral(
            "\n"
            "DECLARE\n"
            "  contesto text;\n"
            "  ditta text;\n"
            "BEGIN\n"
            "  IF azione IS NULL OR azione NOT IN ({actions}) THEN\n"
            "    RAISE EXCEPTION 'azione non ammessa per un evento: %', {shown_azione};\n"
            "  END IF;\n"
            // No longer than the history's columns hold.
            "  IF length(colonna) > {columnLength} OR length(prima) > {valueLength} OR length(dopo) > {valueLength} THEN\n"
            "    RAISE EXCEPTION '%', {tooLong};\n"
            "  END IF;\n"
            // A signature names the document signed, the certificate's
            // subject and its serial, nothing else.
            "  IF azione = {signature} THEN\n"
            "    IF colonna IS NULL OR colonna !~ {document} THEN\n"
            "      RAISE EXCEPTION 'evento firma: il documento deve essere la scheda o pagine di un registro, non %', "
            "{shown_colonna};\n"
            "    END IF;\n"
            "    IF prima IS NULL OR prima = '' OR dopo IS NULL OR dopo !~ {serial} THEN\n"
            "      RAISE EXCEPTION 'evento firma: servono il titolare e il numero di serie (esadecimale) del "
            "certificato, non % e %', {shown_prima}, {shown_dopo};\n"
            "    END IF;\n"
            "  ELSE\n"
            // A print of pages names its register and its first and last
            // page, nothing else: no other text is laid out as a print.
            "  IF colonna IS NULL OR colonna NOT IN ({registers}) THEN\n"
            "    RAISE EXCEPTION 'evento %: il registro deve essere uno tra {registerList}, non %', azione, "
            "{shown_colonna};\n"
            "  END IF;\n"
            "  IF prima IS NULL OR dopo IS NULL OR prima !~ '^[1-9][0-9]{0,8}$' OR dopo !~ '^[1-9][0-9]{0,8}$' THEN\n"
            "    RAISE EXCEPTION 'evento %: la prima e l''ultima pagina devono essere numeri di pagina, non % e %', "
            "azione, {shown_prima}, {shown_dopo};\n"
            "  END IF;\n"
            "  IF prima::integer > dopo::integer THEN\n"
            "    RAISE EXCEPTION 'evento %: l''ultima pagina (%) viene prima della prima (%)', azione, dopo, prima;\n"
            "  END IF;\n"            "  END IF;\n"
            "  GET DIAGNOSTICS contesto = PG_CONTEXT;\n"
            "  ditta := substring(split_part(contesto, E'\\n', 1) FROM {pattern});\n"
            "  IF ditta IS NULL THEN\n"
            "    RAISE EXCEPTION 'funzione degli eventi: impossibile riconoscere la propria società';\n"
            "  END IF;\n"
            "  ditta := (parse_ident(ditta))[1];\n"
            "  {lookIn}\n"
            // Of a register set that is there: the program prints and signs
            // no other.
            "  IF codice IS NULL OR NOT EXISTS (SELECT 1 FROM {registers_table} WHERE {code} = codice) THEN\n"
            "    RAISE EXCEPTION 'evento %: il registro % non esiste', azione, {shown_codice};\n"
            "  END IF;\n"
            "  INSERT INTO {pending} VALUES (codice, azione, colonna, prima, dopo);\n"
            "  RETURN NULL;\n"
            "END "),
        {{QStringLiteral("actions"), actions.join(QStringLiteral(", "))},
         {QStringLiteral("signature"), literal(SignatureAction)},
         {QStringLiteral("document"), literal(SignedDocumentPattern())},
         {QStringLiteral("serial"), literal(CertificateSerialPattern())},
         {QStringLiteral("registers"), registers.join(QStringLiteral(", "))},
         {QStringLiteral("registerList"), PageEventColumns().join(QStringLiteral(", "))},
         {QStringLiteral("pattern"),
          literal(QStringLiteral("^PL/pgSQL function (.+)\\.%1\\(text,text,text,text,text\\) ").arg(name))},
         {QStringLiteral("lookIn"), lookIn(QStringLiteral("ditta"))},
         {QStringLiteral("pending"), quoted(pendingEvents())},
         {QStringLiteral("registers_table"), quoted(RegisterTable)},
         {QStringLiteral("columnLength"), QString::number(HistoryTableDescription().columns[H::Colonna].length)},
         {QStringLiteral("valueLength"), QString::number(HistoryTableDescription().columns[H::Prima].length)},
         {QStringLiteral("tooLong"),
          QStringLiteral("'evento ' || azione || ': ' || %1").arg(literal(EventTooLong()))},
         {QStringLiteral("code"), quoted(RegisterTableDescription().key().name)},
         {QStringLiteral("shown_codice"), shownText(QStringLiteral("codice"))},
         {QStringLiteral("shown_azione"), shownText(QStringLiteral("azione"))},
         {QStringLiteral("shown_colonna"), shownText(QStringLiteral("colonna"))},
         {QStringLiteral("shown_prima"), shownText(QStringLiteral("prima"))},
         {QStringLiteral("shown_dopo"), shownText(QStringLiteral("dopo"))}}));
}

// An event waiting for its transaction's commit written into the history,
// then gone: the history's lock is taken at the commit, as for a change.
ServerFunction pendingEventFunction()
{
    return described(QStringLiteral("_evento_al_commit"), QString(), QStringLiteral("trigger"), true, PinnedSettings(),
                     fill(QStringLiteral("\n"
                                         "BEGIN\n"
                                         "  {lookIn}\n"
                                         "  PERFORM {add}(TG_TABLE_SCHEMA, NEW.codice, NEW.azione, ARRAY[NEW.colonna], "
                                         "ARRAY[NEW.prima], ARRAY[NEW.dopo]);\n"
                                         "  DELETE FROM {pending} WHERE ctid = NEW.ctid;\n"
                                         "  RETURN NULL;\n"
                                         "END "),
                          {{QStringLiteral("lookIn"), lookIn(QStringLiteral("TG_TABLE_SCHEMA"))},
                           {QStringLiteral("add"), quoted(functionName(QStringLiteral("_aggiungi")))},
                           {QStringLiteral("pending"), quoted(pendingEvents())}}));
}

// The chain of the rows written before it existed, once, in number order; a
// row that has its fingerprint keeps it.
ServerFunction chainFunction()
{
    const TableDescription& history = HistoryTableDescription();
    const auto column = [&](int c) { return quoted(history.columnName(c)); };
    QStringList fields;
    for (int c = 0; c < H::Impronta; ++c)
        fields << QStringLiteral("r.%1::text").arg(column(c));
    return described(QStringLiteral("_concatena"), QStringLiteral("ditta text"), QStringLiteral("bigint"), false,
                PinnedSettings(),
                fill(QStringLiteral("\n"
                               "DECLARE\n"
                               "  r record;\n"
                               "  precedente text := '';\n"
                               "  impronta text;\n"
                               "  fatte bigint := 0;\n"
                               "BEGIN\n"
                               "  {lookIn}\n"
                               "  FOR r IN SELECT * FROM {history} ORDER BY {id} LOOP\n"
                               "    impronta := r.{print};\n"
                               "    IF impronta IS NULL THEN\n"
                               "      impronta := {fingerprint};\n"
                               "      UPDATE {history} SET {print} = impronta WHERE {id} = r.{id};\n"
                               "      fatte := fatte + 1;\n"
                               "    END IF;\n"
                               "    precedente := impronta;\n"
                               "  END LOOP;\n"
                               "  RETURN fatte;\n"
                               "END "),
                {{QStringLiteral("lookIn"), lookIn(QStringLiteral("ditta"))},
                 {QStringLiteral("history"), quoted(history.name)},
                 {QStringLiteral("id"), column(H::Id)},
                 {QStringLiteral("print"), column(H::Impronta)},
                 {QStringLiteral("fingerprint"), fingerprint(QStringLiteral("precedente"), fields)}}));
}

// A function of the language sql, immutable, with the catalog alone to look in.
ServerFunction sqlFunction(const QString& suffix, const QString& arguments, const QString& returns,
                           const QString& body, bool immutable)
{
    ServerFunction made = described(suffix, arguments, returns, false, CatalogSearchPath(), body);
    made.language = QStringLiteral("sql");
    made.immutable = immutable;
    return made;
}

// Trigger types (pg_trigger.tgtype): bits for row, before, insert, delete,
// update and truncate.
constexpr int Row = 1, Before = 2, Insert = 4, Delete = 8, Update = 16, Truncate = 32;

}  // namespace

std::vector<ServerFunction> ServerHistoryFunctions()
{
    QStringList fields;
    for (int c = 0; c < H::Impronta; ++c)
        fields << QStringLiteral("campi[%1]").arg(c + 1);
    std::vector<ServerFunction> functions{
        // One field of the canonical line, and the fingerprint of a row given
        // as texts: for whoever recomputes the chain on the server.
        sqlFunction(QStringLiteral("_campo"), QStringLiteral("valore text"), QStringLiteral("text"),
                    QStringLiteral(" SELECT %1 ").arg(canonical(QStringLiteral("valore"))), true),
        sqlFunction(QStringLiteral("_impronta"), QStringLiteral("precedente text, campi text[]"),
                    QStringLiteral("text"),
                    QStringLiteral(" SELECT %1 ").arg(fingerprint(QStringLiteral("precedente"), fields)), true),
        addFunction(), eventFunction(), pendingEventFunction(), chainFunction(),
        // Tells the program that the server writes the history.
        sqlFunction(QStringLiteral("_dal_server"), QString(), QStringLiteral("boolean"),
                    QStringLiteral(" SELECT true "), false),
        // Emptying a table at once would remove its rows without a history
        // row each: refused to everybody, the owner included.
        described(QStringLiteral("_rifiuta_svuota"), QString(), QStringLiteral("trigger"), false,
                  CatalogSearchPath(),
                  QStringLiteral(" BEGIN RAISE EXCEPTION '%: le tabelle della società non si svuotano con TRUNCATE: "
                                 "ogni cancellazione va nello storico', TG_TABLE_NAME; END "))};
    for (const TableDescription* shared : SharedTables())
        functions.push_back(triggerFunction(*shared));
    functions.push_back(AppendOnlyRefusalFunction(HistoryTableDescription()));
    return functions;
}

QStringList ServerHistoryStatements(const QString& schema)
{
    const QString refuseTruncate = function(schema, QStringLiteral("_rifiuta_svuota"));
    QStringList statements{
        // Made by earlier versions, replaced by what follows.
        QStringLiteral("DROP FUNCTION IF EXISTS %1(double precision)").arg(function(schema, QStringLiteral("_numero"))),
        QStringLiteral("DROP FUNCTION IF EXISTS %1(text, text, text, text, text)")
            .arg(function(schema, QStringLiteral("_aggiungi"))),
        QStringLiteral("DROP FUNCTION IF EXISTS %1()").arg(function(schema, QStringLiteral("_concatena"))),
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (codice text, azione text, colonna text, prima text, dopo text)")
            .arg(qualified(schema, pendingEvents())),
        QStringLiteral("REVOKE ALL ON %1 FROM PUBLIC").arg(qualified(schema, pendingEvents()))};
    for (const ServerFunction& made : ServerHistoryFunctions())
        if (made.name != HistoryTable + QStringLiteral("_rifiuta"))  // the history table's own, made with it
            statements << made.createStatement(schema);
    // Only the owner runs them, the triggers aside; the workstations are
    // granted the event function alone.
    statements << QStringLiteral("REVOKE ALL ON FUNCTION %1(text) FROM PUBLIC").arg(function(schema, QStringLiteral("_concatena")))
               << QStringLiteral("REVOKE ALL ON FUNCTION %1(text, text, text, text[], text[], text[]) FROM PUBLIC")
                      .arg(function(schema, QStringLiteral("_aggiungi")))
               << QStringLiteral("REVOKE ALL ON FUNCTION %1(text, text, text, text, text) FROM PUBLIC")
                      .arg(function(schema, QStringLiteral("_evento")))
               << QStringLiteral("REVOKE ALL ON FUNCTION %1() FROM PUBLIC")
                      .arg(function(schema, QStringLiteral("_evento_al_commit")))
               << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2")
                      .arg(quoted(pendingEvents() + QStringLiteral("_storico")), qualified(schema, pendingEvents()))
               << QStringLiteral("CREATE CONSTRAINT TRIGGER %1 AFTER INSERT ON %2 DEFERRABLE INITIALLY DEFERRED "
                                 "FOR EACH ROW EXECUTE FUNCTION %3()")
                      .arg(quoted(pendingEvents() + QStringLiteral("_storico")), qualified(schema, pendingEvents()),
                           function(schema, QStringLiteral("_evento_al_commit")));
    for (const TableDescription* shared : SharedTables()) {
        const QString table = qualified(schema, shared->name);
        const QString trigger = quoted(shared->name + QStringLiteral("_storico"));
        const QString guard = quoted(shared->name + QStringLiteral("_no_svuota"));
        statements << QStringLiteral("REVOKE ALL ON FUNCTION %1() FROM PUBLIC")
                          .arg(function(schema, QLatin1Char('_') + shared->name))
                   << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(trigger, table)
                   // Fired as the transaction commits: the history's lock is
                   // taken then and held only until the commit is done.
                   << QStringLiteral("CREATE CONSTRAINT TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 "
                                     "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION %3()")
                          .arg(trigger, table, function(schema, QLatin1Char('_') + shared->name))
                   << QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(guard, table)
                   << QStringLiteral("CREATE TRIGGER %1 BEFORE TRUNCATE ON %2 FOR EACH STATEMENT EXECUTE FUNCTION %3()")
                          .arg(guard, table, refuseTruncate);
    }
    return statements;
}

QString ChainExistingRowsStatement(const QString& schema)
{
    return QStringLiteral("SELECT %1(%2)").arg(function(schema, QStringLiteral("_concatena")), literal(schema));
}

QStringList RefusalTriggers(const QString& schema, bool enable)
{
    return {QStringLiteral("ALTER TABLE %1 %2 TRIGGER %3")
                .arg(qualified(schema, HistoryTable), enable ? QStringLiteral("ENABLE") : QStringLiteral("DISABLE"),
                     quoted(HistoryTable + QStringLiteral("_no_modifica")))};
}

std::vector<ServerTrigger> ServerHistoryTriggers()
{
    std::vector<ServerTrigger> triggers;
    for (const TableDescription* shared : SharedTables()) {
        triggers.push_back({shared->name, shared->name + QStringLiteral("_storico"),
                            functionName(QLatin1Char('_') + shared->name), Row | Insert | Delete | Update, true});
        triggers.push_back({shared->name, shared->name + QStringLiteral("_no_svuota"),
                            functionName(QStringLiteral("_rifiuta_svuota")), Before | Truncate, false});
    }
    triggers.push_back({pendingEvents(), pendingEvents() + QStringLiteral("_storico"),
                        functionName(QStringLiteral("_evento_al_commit")), Row | Insert, true});
    triggers.push_back({HistoryTable, HistoryTable + QStringLiteral("_no_modifica"),
                        functionName(QStringLiteral("_rifiuta")), Row | Before | Delete | Update, false});
    triggers.push_back({HistoryTable, HistoryTable + QStringLiteral("_no_svuota"),
                        functionName(QStringLiteral("_rifiuta")), Before | Truncate, false});
    return triggers;
}

QStringList ServerTriggerRepairStatements(const QString& schema)
{
    const QString history = qualified(schema, HistoryTable);
    return QStringList{QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2")
                           .arg(quoted(HistoryTable + QStringLiteral("_no_modifica")), history),
                       QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2")
                           .arg(quoted(HistoryTable + QStringLiteral("_no_svuota")), history)} +
        AppendOnlyTriggerStatements(schema, HistoryTableDescription()) + ServerHistoryStatements(schema);
}

}  // namespace store
