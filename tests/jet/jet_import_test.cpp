// The import of the three tables into a new company, fed with rows the tests
// make: column matching by name, the conversions to the stored types, the rows
// that cannot be stored, the existing company, and the progress of big tables.
#include "company/company_file.h"
#include "jet/company_import.h"
#include "memory_jet.h"

#include "store/schema/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tools_tests {

namespace {

using jet::Type;
using jet::Value;

jet::Column Col(const char* name, Type type, int size = 0) { return {QString::fromUtf8(name), type, size}; }

class JetImportTest : public ::testing::Test {
protected:
    // The three tables with the columns a test fills; the other tables'
    // columns are the key alone.
    MemoryTableData& registers(std::vector<jet::Column> columns)
    {
        return source.add(store::RegisterTable, std::move(columns));
    }
    void addOtherTables()
    {
        source.add(store::HeaderTable, {Col("TpsCodice", Type::Text, 10)});
        source.add(store::DocTypeTable, {Col("Codice", Type::Text, 4)});
    }

    jet::company_import::Outcome import(jet::company_import::Options options = {}, const jet::import::Progress& progress = {})
    {
        return jet::company_import::ImportIntoFolder(source, data.path(), QStringLiteral("NUOVA"), options, progress);
    }
    QString target() const { return data.path() + QStringLiteral("/NUOVA/quelda.mdb"); }

    // A field of the stored row with that key, read through the engine as the program reads it.
    store::Value stored(const QString& table, const QString& key, const QString& column) const
    {
        const std::unique_ptr<store::Database> db = store::openDatabase(target());
        const std::unique_ptr<store::TableCursor> cursor = db->openTable(table);
        cursor->setIndex(store::PrimaryIndex);
        cursor->seek(QStringLiteral("="), key);
        if (cursor->noMatch())
            return QStringLiteral("<nessuna riga>");
        return cursor->field(column);
    }

    MemoryJet source;
    QTemporaryDir data;
};

TEST_F(JetImportTest, TheThreeTablesComeOverByColumnNameInTheirStoredTypes)
{
    registers({Col("sspcodice", Type::Text, 10), Col("SspDescrizione", Type::Text, 30), Col("SspArrCron", Type::Long),
               Col("SspArrPeriodo", Type::Integer), Col("SspArrGaranz", Type::Currency),
               Col("SspCusGaranz", Type::Double), Col("SspDepGaranz", Type::Single), Col("SspArrData", Type::DateTime),
               Col("SspCusData", Type::Long), Col("SspMagNum", Type::Text, 6), Col("SspMeccanogNum", Type::Byte),
               Col("SspVecchiaColonna", Type::Text, 5)})
        .rows = {
        {Value::string("R1"), Value::string("MAGAZZINO CITTÀ Ø€"), Value::whole(123456), Value::whole(12),
         Value::currency(12345678), Value::number(0.1), Value::number(double(2.5f)), Value::date(37879.75),
         Value::whole(45292), Value::string("12    "), Value::whole(255), Value::string("x")},
        {Value::string("ab01"), Value::null(), Value::null(), Value::null(), Value::null(), Value::null(),
         Value::null(), Value::null(), Value::null(), Value::null(), Value::null(), Value::null()},
    };
    source.add(store::HeaderTable, {Col("TpsCodice", Type::Text, 10), Col("TpsRigA1", Type::Memo)})
        .rows = {{Value::string("R1"), Value::string("INTESTAZIONE «ARRIVI» – DOGANA ")}};
    source.add(store::DocTypeTable, {Col("Codice", Type::Text, 4), Col("Descrizione", Type::Text, 50), Col("tipo", Type::Byte)})
        .rows = {{Value::string("DAU"), Value::string("DOCUMENTO AMMINISTRATIVO UNICO"), Value::whole(3)}};

    const jet::company_import::Outcome outcome = import();
    ASSERT_EQ(outcome.error.toStdString(), "");
    EXPECT_TRUE(outcome.badRows.empty());
    const QString R = store::RegisterTable;
    const std::pair<const char*, QVariant> r1[] = {
        {"SspCodice", "R1"}, {"SspDescrizione", "MAGAZZINO CITTÀ Ø€"}, {"SspArrCron", qlonglong(123456)},
        {"SspArrPeriodo", qlonglong(12)}, {"SspArrGaranz", 1234.5678}, {"SspCusGaranz", 0.1}, {"SspDepGaranz", 2.5},
        {"SspArrData", qlonglong(37879)},  // 15/09/2003, the time dropped
        {"SspCusData", qlonglong(45292)}, {"SspMagNum", "12    "}, {"SspMeccanogNum", qlonglong(255)}};
    for (const auto& [column, value] : r1)
        EXPECT_EQ(stored(R, "R1", column), value) << column;
    // Null stays Null; a column the file lacks is left Null.
    EXPECT_TRUE(stored(R, "AB01", "SspDescrizione").isNull());
    EXPECT_TRUE(stored(R, "AB01", "SspArrData").isNull());
    EXPECT_TRUE(stored(R, "R1", "SspDepSerie").isNull());
    EXPECT_EQ(stored(store::HeaderTable, "R1", "TpsRigA1"), QVariant("INTESTAZIONE «ARRIVI» – DOGANA "));
    EXPECT_EQ(stored(store::DocTypeTable, "DAU", "tipo"), QVariant("3"));

    EXPECT_TRUE(outcome.notes.contains(
        "TabellaSerieSemplificata: la colonna SspVecchiaColonna non esiste in Quenvol e non viene importata"));
    EXPECT_TRUE(outcome.notes.contains("TabellaSerieSemplificata: la colonna SspDepSerie manca nel file e resta vuota (Null)"));
    ASSERT_EQ(outcome.counts.size(), 3u);
    EXPECT_EQ(outcome.counts[0].table, R);
    EXPECT_EQ(outcome.counts[0].read, 2);
    EXPECT_EQ(outcome.counts[0].written, 2);
    EXPECT_EQ(QDir(data.path() + "/NUOVA").entryList(QDir::Files | QDir::Hidden), QStringList{"quelda.mdb"});
}

TEST_F(JetImportTest, BadRowsStopTheImportWithTableKeyAndReasonAndLeaveNoCompany)
{
    registers({Col("SspCodice", Type::Text, 20), Col("SspArrPeriodo", Type::Long), Col("SspArrData", Type::DateTime),
               Col("SspArrCron", Type::Double)})
        .rows = {
        {Value::string("R1"), Value::whole(3), Value::date(36526), Value::number(7)},
        {Value::string("CODICELUNGO"), Value::whole(1), Value::null(), Value::null()},
        {Value::string("r1"), Value::whole(1), Value::null(), Value::null()},
        {Value::string("R2"), Value::whole(40000), Value::null(), Value::null()},
        {Value::string("R3"), Value::null(), Value::date(-728.5), Value::null()},
        {Value::string("R4"), Value::null(), Value::date(2958101), Value::null()},
        {Value::string("R5"), Value::null(), Value::null(), Value::number(1.5)},
        {Value::null(), Value::null(), Value::null(), Value::null()},
    };
    addOtherTables();

    const jet::company_import::Outcome stopped = import();
    EXPECT_EQ(stopped.error, "7 righe non possono essere importate: nessuna società creata "
                             "(--skip-bad-rows importa le altre)");
    QStringList described;
    for (const jet::import::BadRow& row : stopped.badRows)
        described << jet::import::Describe(row);
    const QString T = store::RegisterTable + ", codice ";
    EXPECT_EQ(described,
              (QStringList{T + "CODICELUNGO: SspCodice: testo di 11 caratteri, la colonna ne contiene al massimo 10",
                           T + "r1: SspCodice: codice uguale a 'R1' a meno di maiuscole e minuscole",
                           T + "R2: SspArrPeriodo: il numero 40000 è fuori dall'intervallo della colonna (-32768 - 32767)",
                           T + "R3: SspArrData: la data 01/01/1898 è fuori dall'intervallo 01/01/2000 - 31/12/2099",
                           T + "R4: SspArrData: la data 01/01/9999 è fuori dall'intervallo 01/01/2000 - 31/12/2099",
                           T + "R5: SspArrCron: 1.5 non è un numero intero",
                           T + "(riga 8): SspCodice: codice vuoto"}));
    EXPECT_FALSE(QFileInfo::exists(data.path() + "/NUOVA"));

    const jet::company_import::Outcome skipped = import({.skipBadRows = true});
    ASSERT_EQ(skipped.error.toStdString(), "");
    EXPECT_EQ(skipped.badRows.size(), 7u);
    EXPECT_EQ(skipped.counts[0].read, 8);
    EXPECT_EQ(skipped.counts[0].written, 1);
    EXPECT_EQ(stored(store::RegisterTable, "R1", "SspArrData"), QVariant(qlonglong(36526)));
    EXPECT_EQ(stored(store::RegisterTable, "R2", "SspArrData"), QVariant("<nessuna riga>"));
}

TEST_F(JetImportTest, CodesBreakingTheCodeRuleAreBadRowsNamedWithTheirReason)
{
    registers({Col("SspCodice", Type::Text, 10)}).rows = {
        {Value::string("R1")},
        {Value::string("AB01 ")},
        {Value::string(QStringLiteral("AB01") + QChar(0x3164))},
        {Value::string(QString::fromUtf8("ÄB").normalized(QString::NormalizationForm_D))},
    };
    addOtherTables();

    const jet::company_import::Outcome stopped = import();
    EXPECT_EQ(stopped.error, "3 righe non possono essere importate: nessuna società creata "
                             "(--skip-bad-rows importa le altre)");
    QStringList described;
    for (const jet::import::BadRow& row : stopped.badRows)
        described << jet::import::Describe(row);
    const QString T = store::RegisterTable + ", codice ";
    EXPECT_EQ(described,
              (QStringList{T + "\"AB01 \": SspCodice: il codice \"AB01 \" ha spazi all'inizio o alla fine",
                           T + "\"AB01\\u3164\": SspCodice: il codice contiene un carattere invisibile o di "
                               "controllo (U+3164)",
                           T + "\"A\\u0308B\": SspCodice: il codice non è in forma composta (NFC): due codici "
                               "uguali a vedersi sarebbero diversi"}));
    const jet::company_import::Outcome skipped = import({.skipBadRows = true});
    ASSERT_EQ(skipped.error.toStdString(), "");
    EXPECT_EQ(skipped.counts[0].written, 1);
}

// Rows the reader never saw are no bad rows: even --skip-bad-rows refuses a
// table read short of its recorded rows or of the rows on its pages.
TEST_F(JetImportTest, ATableReadShortRefusesTheImportEvenWhenBadRowsMaySkip)
{
    MemoryTableData& table = registers({Col("SspCodice", Type::Text, 10)});
    table.rows = {{Value::string("R1")}, {Value::string("R2")}};
    table.recorded = 3;
    addOtherTables();
    const jet::company_import::Outcome byCatalogue = import({.skipBadRows = true});
    EXPECT_EQ(byCatalogue.error, "il file è danneggiato: della tabella " + store::RegisterTable +
                                     " sono state lette 2 righe, ma il file ne registra 3, 2 nelle sue pagine di "
                                     "dati: nessuna società creata");

    table.recorded = -1;
    table.onPages = 5;
    const jet::company_import::Outcome byPages = import({.skipBadRows = true});
    EXPECT_EQ(byPages.error, "il file è danneggiato: della tabella " + store::RegisterTable +
                                 " sono state lette 2 righe, ma il file ne registra 2, 5 nelle sue pagine di "
                                 "dati: nessuna società creata");
    EXPECT_FALSE(QFileInfo::exists(data.path() + "/NUOVA"));
}

TEST_F(JetImportTest, AnExistingCompanyIsKeptUnlessReplacedAndThenCopiedFirst)
{
    registers({Col("SspCodice", Type::Text, 10)}).rows = {{Value::string("NUOVO")}};
    addOtherTables();
    ASSERT_EQ(company::file::CreateCompanyDatabase(target()), "");
    ASSERT_EQ(company::file::AddDemonstrationData(target()), "");
    QFile file(target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const jet::company_import::Outcome refused = import();
    EXPECT_EQ(refused.error, "la società NUOVA esiste già (" + target() +
                                 "): non viene sovrascritta; --replace la sostituisce conservandone una copia");
    EXPECT_EQ(stored(store::RegisterTable, "R1", "SspCodice"), QVariant("R1"));

    const jet::company_import::Outcome replaced = import({.replace = true});
    ASSERT_EQ(replaced.error.toStdString(), "");
    EXPECT_EQ(stored(store::RegisterTable, "NUOVO", "SspCodice"), QVariant("NUOVO"));
    EXPECT_EQ(stored(store::RegisterTable, "R1", "SspCodice"), QVariant("<nessuna riga>"));
    ASSERT_TRUE(replaced.backup.startsWith(target() + ".bak-"));
    QFile backup(replaced.backup);
    ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
    EXPECT_EQ(backup.readAll(), before);
}

TEST_F(JetImportTest, ASourceWithoutTheThreeTablesIsRefusedAndNothingIsWritten)
{
    source.add(store::DocTypeTable, {Col("Codice", Type::Text, 4)});
    const jet::company_import::Outcome outcome = import();
    EXPECT_EQ(outcome.error, "il file non contiene le tabelle TabellaSerieSemplificata, TestataRegistriPS: "
                             "non è un archivio dei registri delle procedure semplificate: nessuna società creata");
    EXPECT_FALSE(QFileInfo::exists(data.path() + "/NUOVA"));
}

TEST_F(JetImportTest, ATableOfThousandsOfRowsReportsItsProgress)
{
    registers({Col("SspCodice", Type::Text, 10)});
    addOtherTables();
    std::vector<jet::Row>& rows = source.tables[2].rows;
    for (int i = 0; i < 12000; ++i)
        rows.push_back({Value::string(QString::number(i, 36))});  // up to 4 characters
    QStringList lines;
    const jet::company_import::Outcome outcome =
        import({}, [&](const QString& table, const QString& phase, qint64 done, qint64 total) {
            lines << QStringLiteral("%1 %2 %3/%4").arg(table, phase).arg(done).arg(total);
        });
    ASSERT_EQ(outcome.error.toStdString(), "");
    EXPECT_EQ(lines, (QStringList{"TabellaDocScorta lettura 5000/12000", "TabellaDocScorta lettura 10000/12000",
                                  "TabellaDocScorta lettura 12000/12000", "TabellaDocScorta scrittura 5000/12000",
                                  "TabellaDocScorta scrittura 10000/12000", "TabellaDocScorta scrittura 12000/12000"}));
    EXPECT_EQ(outcome.counts[2].written, 12000);
}

}  // namespace

}  // namespace tools_tests
