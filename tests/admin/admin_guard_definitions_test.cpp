// The history's guards checked by what they are: each weakening of a trigger
// or function, on its own, makes verify fail naming the object and what
// differs, and upgrade puts back exactly that, naming it; a trigger, rule or
// row security of anyone else's on the history, or a function of the history
// owned by another role, likewise; on the server and on the file.
#include "admin_run.h"

#include "company/starting_state.h"
#include "support/test_company.h"

#include <gtest/gtest.h>

using testing_support::Engine;
using testing_support::MakeTestCompany;

namespace {

struct Weakening {
    const char* verify;    // what verify names
    const char* upgrade;   // what upgrade says it put back
};

// `from` replaced by `to` in the definition of `function` (its signature as
// regprocedure takes it), everything else kept as it is.
QString Edited(const QString& function, const QString& from, const QString& to)
{
    return QStringLiteral("DO $edit$ BEGIN EXECUTE replace(pg_get_functiondef('%1'::regprocedure), %2, %3); END "
                          "$edit$")
        .arg(function, from, to);
}

void CheckEach(testing_support::TestCompany& company, const std::vector<std::pair<QString, Weakening>>& cases)
{
    QString started;  // the demonstration rows, as init --demo records them
    ASSERT_EQ(company::starting_state::Record(company.location(), company.company(), &started), "");
    const AdminRun whole = Admin({"verify", company.location(), company.company()});
    ASSERT_EQ(whole.status, 0) << whole.err.toStdString();
    for (const auto& [sql, expected] : cases) {
        SCOPED_TRACE(sql.toStdString());
        company.exec(sql);
        AdminRun run = Admin({"verify", company.location(), company.company()});
        EXPECT_EQ(run.status, 1) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(expected.verify))) << run.err.toStdString();
        run = Admin({"upgrade", company.location(), company.company()});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(expected.upgrade))) << run.out.toStdString();
        EXPECT_FALSE(run.out.contains("nulla da fare")) << run.out.toStdString();
        run = Admin({"verify", company.location(), company.company()});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
    }
}

}  // namespace

TEST(ServerGuardDefinitions, EachWeakenedTriggerOrFunctionIsNamedByVerifyAndPutBackByUpgrade)
{
    auto company = MakeTestCompany(Engine::Server, true);
    if (!company)
        GTEST_SKIP() << testing_support::NoTestServer;
    const QString schema = "\"" + company->company() + "\".";
    const QString recorder = schema + "\"StoricoSerieSemplificata_TabellaSerieSemplificata\"()";
    const QString add = schema + "\"StoricoSerieSemplificata_aggiungi\"(text, text, text, text[], text[], text[])";
    const QString refuse = schema + "\"StoricoSerieSemplificata_rifiuta\"()";
    const QString refuseTruncate = schema + "\"StoricoSerieSemplificata_rifiuta_svuota\"()";
    const QString table = schema + "\"TabellaSerieSemplificata\"";
    const QString history = schema + "\"StoricoSerieSemplificata\"";
    const QString trigger = "\"TabellaSerieSemplificata_storico\"";
    const QString recreated = "DROP TRIGGER %1 ON %2; CREATE CONSTRAINT TRIGGER %1 AFTER %3 ON %2 DEFERRABLE "
                              "INITIALLY DEFERRED FOR EACH ROW %4 EXECUTE FUNCTION %5";
    const std::vector<std::pair<QString, Weakening>> cases{
        // The body alone, SECURITY DEFINER and the settings kept.
        {"DO $edit$ DECLARE d text; s text; BEGIN SELECT pg_get_functiondef(p.oid), p.prosrc INTO d, s FROM pg_proc p "
         "WHERE p.oid = '" + recorder + "'::regprocedure; EXECUTE replace(d, s, ' BEGIN RETURN NULL; END '); END $edit$",
         {"la funzione StoricoSerieSemplificata_TabellaSerieSemplificata è stata cambiata: il corpo",
          "ricreata la funzione StoricoSerieSemplificata_TabellaSerieSemplificata, che era stata cambiata (il corpo)"}},
        {Edited(add, "'left(session_user, 64)'", "'''bruno'''"),
         {"la funzione StoricoSerieSemplificata_aggiungi è stata cambiata: il corpo",
          "ricreata la funzione StoricoSerieSemplificata_aggiungi"}},
        {Edited(refuse, "'BEGIN RAISE'", "'BEGIN RETURN OLD; RAISE'"),
         {"la funzione StoricoSerieSemplificata_rifiuta è stata cambiata: il corpo",
          "ricreata la funzione StoricoSerieSemplificata_rifiuta,"}},
        {Edited(refuseTruncate, "'BEGIN RAISE'", "'BEGIN RETURN NULL; RAISE'"),
         {"la funzione StoricoSerieSemplificata_rifiuta_svuota è stata cambiata: il corpo",
          "ricreata la funzione StoricoSerieSemplificata_rifiuta_svuota"}},
        {"ALTER FUNCTION " + add + " SECURITY INVOKER",
         {"la funzione StoricoSerieSemplificata_aggiungi è stata cambiata: non è più SECURITY DEFINER",
          "ricreata la funzione StoricoSerieSemplificata_aggiungi"}},
        {"ALTER FUNCTION " + recorder + " RESET extra_float_digits",
         {"StoricoSerieSemplificata_TabellaSerieSemplificata è stata cambiata: le impostazioni",
          "ricreata la funzione StoricoSerieSemplificata_TabellaSerieSemplificata"}},
        {"ALTER FUNCTION " + add + " STRICT",
         {"la funzione StoricoSerieSemplificata_aggiungi è stata cambiata: STRICT",
          "ricreata la funzione StoricoSerieSemplificata_aggiungi"}},
        {recreated.arg(trigger, table, "UPDATE OF \"SspDescrizione\"", "", recorder),
         {"il trigger TabellaSerieSemplificata_storico della tabella TabellaSerieSemplificata è stato cambiato: gli "
          "eventi o il momento in cui scatta, la lista delle colonne (UPDATE OF)",
          "ricreato il trigger TabellaSerieSemplificata_storico della tabella TabellaSerieSemplificata"}},
        {recreated.arg(trigger, table, "INSERT OR UPDATE OR DELETE", "WHEN (session_user <> 'bruno')", recorder),
         {"TabellaSerieSemplificata_storico della tabella TabellaSerieSemplificata è stato cambiato: la condizione WHEN",
          "ricreato il trigger TabellaSerieSemplificata_storico"}},
        {QStringLiteral("DROP TRIGGER %1 ON %2; CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR EACH ROW "
                        "EXECUTE FUNCTION %3")
             .arg(trigger, table, recorder),
         {"TabellaSerieSemplificata_storico della tabella TabellaSerieSemplificata è stato cambiato: non è più rinviato",
          "ricreato il trigger TabellaSerieSemplificata_storico"}},
        {"DROP FUNCTION " + refuseTruncate + " CASCADE",
         {"manca la funzione StoricoSerieSemplificata_rifiuta_svuota",
          "ricreato il trigger TabellaDocScorta_no_svuota della tabella TabellaDocScorta, che mancava"}},
        {"ALTER TABLE " + table + " ENABLE ALWAYS TRIGGER " + trigger,
         {"TabellaSerieSemplificata_storico della tabella TabellaSerieSemplificata è stato cambiato: scatta anche "
          "nelle sessioni di replica (ENABLE ALWAYS)",
          "ricreato il trigger TabellaSerieSemplificata_storico"}},
        // Renamed, it would still record beside the one upgrade makes again.
        {"ALTER TRIGGER " + trigger + " ON " + table + " RENAME TO \"altro\"",
         {"il trigger altro della tabella TabellaSerieSemplificata non è uno di quelli dello storico ma chiama la "
          "funzione StoricoSerieSemplificata_TabellaSerieSemplificata dello storico",
          "tolto il trigger altro della tabella TabellaSerieSemplificata"}},
        {"CREATE FUNCTION " + schema + "nulla() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN RETURN NULL; END'; "
         "CREATE TRIGGER ignora BEFORE INSERT ON " + history + " FOR EACH ROW EXECUTE FUNCTION " + schema + "nulla()",
         {"il trigger ignora della tabella StoricoSerieSemplificata non è uno di quelli dello storico",
          "tolto il trigger ignora della tabella StoricoSerieSemplificata"}},
        {"CREATE RULE niente AS ON INSERT TO " + history + " DO INSTEAD NOTHING",
         {"la tabella StoricoSerieSemplificata dello storico ha la regola niente (CREATE RULE)",
          "tolta la regola niente della tabella StoricoSerieSemplificata"}},
        {"ALTER TABLE " + history + " ENABLE ROW LEVEL SECURITY; ALTER TABLE " + history +
             " FORCE ROW LEVEL SECURITY; CREATE POLICY nascosti ON " + history + " USING (\"StoUtente\" <> 'bruno')",
         {"la tabella StoricoSerieSemplificata dello storico ha la sicurezza per righe",
          "tolta la regola di accesso nascosti della tabella StoricoSerieSemplificata"}},
        {"ALTER TABLE " + history + " SET UNLOGGED",
         {"la tabella StoricoSerieSemplificata dello storico non è scritta nel registro delle transazioni (UNLOGGED)",
          "la tabella StoricoSerieSemplificata dello storico ora è scritta nel registro delle transazioni"}},
        // Owned by another role, it could be rewritten by that role.
        {"DO $r$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'quenvol_altro_proprietario') THEN "
         "CREATE ROLE quenvol_altro_proprietario; END IF; END $r$; ALTER FUNCTION " + add +
             " OWNER TO quenvol_altro_proprietario",
         {"la funzione StoricoSerieSemplificata_aggiungi è stata cambiata: appartiene al ruolo "
          "quenvol_altro_proprietario",
          "ricreata la funzione StoricoSerieSemplificata_aggiungi"}},
    };
    CheckEach(*company, cases);
}

TEST(GuardDefinitions, TheFileHistorysTriggersDroppedOrChangedAreNamedByVerifyAndPutBackByUpgrade)
{
    auto company = MakeTestCompany(Engine::File, true);
    const std::vector<std::pair<QString, Weakening>> cases{
        {"DROP TRIGGER \"StoricoSerieSemplificata_no_update\"; DROP TRIGGER \"StoricoSerieSemplificata_no_delete\"",
         {"manca il trigger StoricoSerieSemplificata_no_delete della tabella StoricoSerieSemplificata",
          "ricreato il trigger StoricoSerieSemplificata_no_update della tabella StoricoSerieSemplificata, che mancava"}},
        {"DROP TRIGGER \"StoricoSerieSemplificata_no_delete\"; CREATE TRIGGER \"StoricoSerieSemplificata_no_delete\" "
         "BEFORE DELETE ON \"StoricoSerieSemplificata\" WHEN old.\"StoUtente\" <> 'bruno' BEGIN SELECT "
         "RAISE(ABORT, 'no'); END",
         {"il trigger StoricoSerieSemplificata_no_delete della tabella StoricoSerieSemplificata è stato cambiato",
          "ricreato il trigger StoricoSerieSemplificata_no_delete della tabella StoricoSerieSemplificata, che era "
          "stato cambiato"}},
        // Beside the guards, one that silently drops every history row written.
        {"CREATE TRIGGER ignora BEFORE INSERT ON \"StoricoSerieSemplificata\" BEGIN SELECT RAISE(IGNORE); END",
         {"il trigger ignora della tabella StoricoSerieSemplificata non è uno di quelli dello storico",
          "tolto il trigger ignora della tabella StoricoSerieSemplificata"}},
    };
    CheckEach(*company, cases);
}
