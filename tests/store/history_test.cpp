// The change history as the store writes it, read back from the file: the
// rows each kind of change leaves, none for a change that did not happen, and
// a company without the history table working as before.
#include "opened_company.h"
#include "replay_differences.h"

#include "store/history/history_reader.h"
#include "store/history/history_writer.h"
#include "store/schema/table_description.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::TempCompany;
using Opened = store_tests::OpenedCompany;
using store_tests::BlankRegister;

namespace {

// What is stored for `code`, as the lookup shows it.
RegisterRecord stored(Opened& o, const QString& code)
{
    o.show(code);
    EXPECT_TRUE(o.shown.row) << code.toStdString();
    return o.shown.row.value_or(RegisterRecord());
}

// Each write below starts from what is stored, as after a lookup.
bool write(Opened& o, RegisterRecord& record)
{
    o.show(record.SspCodice);
    return WriteRegister(o.db, RegisterToScreen(record), record, o.shown, BlankHeaderLines(), o.boxes);
}

bool writeHeader(Opened& o, const QString& code, const HeaderLines& lines)
{
    std::optional<HeaderLines> shown = StoredHeader(*o.db.HeaderCursor, code);
    return WriteHeader(o.db, code, lines, shown, o.boxes);
}

bool remove(Opened& o, const QString& code)
{
    o.show(code);
    return DeleteRegister(o.db, code, o.shown, o.boxes) == DeleteResult::Deleted;
}

int historyRows(const TempCompany& company, const QString& where = "1")
{
    return company.scalar("SELECT count(*) FROM StoricoSerieSemplificata WHERE " + where).toInt();
}

}  // namespace

TEST(History, InsertThenTwoColumnsChangedThenAConfirmWithNoChange)
{
    TempCompany company;
    Opened o(company);
    RegisterRecord record = BlankRegister("N1", "PRIMA");
    ASSERT_TRUE(write(o, record));
    // Every column but the key, each from Null to its first value, as one change.
    const int columns = int(RegisterTableDescription().columns.size()) - 1;
    EXPECT_EQ(historyRows(company, "StoAzione = 'inserimento' AND StoPrima IS NULL AND StoDopo IS NOT NULL"),
              columns);
    EXPECT_EQ(historyRows(company), columns);
    EXPECT_EQ(company.scalar("SELECT count(DISTINCT StoModifica) FROM StoricoSerieSemplificata").toInt(), 1);
    EXPECT_EQ(company.scalar("SELECT StoDopo FROM StoricoSerieSemplificata WHERE StoColonna = 'SspDescrizione'"),
              "PRIMA");
    EXPECT_EQ(company.scalar("SELECT StoCodice FROM StoricoSerieSemplificata LIMIT 1"), "N1");

    record.SspDescrizione = "DOPO";
    record.Registers[Custodia].Cron = 77;
    ASSERT_TRUE(write(o, record));
    const QString change = "StoAzione = 'variazione'";
    EXPECT_EQ(historyRows(company, change), 2);
    EXPECT_EQ(historyRows(company, change + " AND StoColonna = 'SspDescrizione' AND StoPrima = 'PRIMA' "
                                            "AND StoDopo = 'DOPO'"), 1);
    EXPECT_EQ(historyRows(company, change + " AND StoColonna = 'SspCusCron' AND StoPrima = '0' "
                                            "AND StoDopo = '77'"), 1);

    ASSERT_TRUE(write(o, record));
    EXPECT_EQ(historyRows(company), columns + 2);

    // Read back: newest first, the change's rows together, who and where filled in.
    const std::vector<Change> changes = ReadHistory(*o.db.database, "n1");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].action, "variazione");
    EXPECT_EQ(changes[0].columns.size(), 2u);
    EXPECT_GT(changes[0].number, changes[1].number);
    EXPECT_EQ(changes[0].user, ThisWorkstation().user);
    EXPECT_FALSE(changes[0].host.isEmpty());
    EXPECT_LE(qAbs(changes[0].when.secsTo(QDateTime::currentDateTimeUtc())), 3600);
}

TEST(History, NullIsToldApartFromBlank)
{
    TempCompany company;
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice) VALUES ('N2')");
    Opened o(company);
    RegisterRecord record = stored(o, "N2");
    record.SspDescrizione = "";
    ASSERT_TRUE(write(o, record));
    EXPECT_EQ(historyRows(company, "StoColonna = 'SspDescrizione' AND StoPrima IS NULL AND StoDopo = ''"), 1);
    const std::vector<Change> changes = ReadHistory(*o.db.database, "N2");
    ASSERT_FALSE(changes.empty());
    for (const ColumnChange& column : changes[0].columns) {
        if (column.column == "SspDescrizione") {
            EXPECT_EQ(ShownValue(column.column, column.before) + " -> " + ShownValue(column.column, column.after),
                      "Null -> \"\"");
        }
    }
}

TEST(History, HeaderLinesAreRecordedUnderTestataOnlyWhenTheyChange)
{
    TempCompany company;
    Opened o(company);
    HeaderLines lines = BlankHeaderLines();
    lines[2] = "PRIMA RIGA";
    ASSERT_TRUE(writeHeader(o, "H1", lines));
    EXPECT_EQ(historyRows(company, "StoAzione = 'testata' AND StoPrima IS NULL"), 20);
    ASSERT_TRUE(writeHeader(o, "H1", lines));
    EXPECT_EQ(historyRows(company), 20);
    lines[21] = "MITTENTE";
    ASSERT_TRUE(writeHeader(o, "H1", lines));
    EXPECT_EQ(historyRows(company), 21);
    EXPECT_EQ(historyRows(company, "StoColonna = 'TpsRigP5' AND StoPrima = ' ' AND StoDopo = 'MITTENTE '"), 1);
}

TEST(History, DeleteRecordsBothRowsAsOneChange)
{
    TempCompany company(true);  // R1 has a header row
    Opened o(company);
    ASSERT_TRUE(remove(o, "R1"));
    const QString deleted = "StoAzione = 'cancellazione' AND StoDopo IS NULL AND StoCodice = 'R1'";
    EXPECT_EQ(historyRows(company, deleted + " AND StoColonna = 'SspDescrizione' AND StoPrima = 'MAGAZZINO NORD'"), 1);
    EXPECT_EQ(historyRows(company, deleted + " AND StoColonna LIKE 'TpsRig%'"), 20);
    EXPECT_EQ(historyRows(company, deleted + " AND StoColonna = 'SspArrGaranz' AND StoPrima = '150000'"), 1);
    EXPECT_EQ(historyRows(company, "StoPrima IS NULL"), 0);  // Null columns of the row are no change
    EXPECT_EQ(company.scalar("SELECT count(DISTINCT StoModifica) FROM StoricoSerieSemplificata").toInt(), 1);
}

TEST(History, ARolledBackWriteLeavesNoHistoryAndAFailedHistoryRowFailsTheWrite)
{
    TempCompany company(true);
    company.exec("CREATE TRIGGER refuse BEFORE UPDATE ON TabellaSerieSemplificata "
                 "BEGIN SELECT RAISE(ABORT, 'rifiutato'); END");
    Opened o(company);
    RegisterRecord record = stored(o, "R1");
    record.SspDescrizione = "CAMBIATA";
    o.boxes.expect(BoxAnswer::Ok);
    EXPECT_FALSE(write(o, record));
    EXPECT_EQ(historyRows(company), 0);

    company.exec("DROP TRIGGER refuse");
    company.exec("CREATE TRIGGER refuse BEFORE INSERT ON StoricoSerieSemplificata "
                 "BEGIN SELECT RAISE(ABORT, 'storico pieno'); END");
    o.boxes.expect(BoxAnswer::Ok);
    EXPECT_FALSE(write(o, record));
    EXPECT_TRUE(o.boxes.prompts().last().startsWith(WriteRegisterFailed + "\n"));
    EXPECT_EQ(company.scalar("SELECT SspDescrizione FROM TabellaSerieSemplificata WHERE SspCodice = 'R1'"),
              "MAGAZZINO NORD");
    o.boxes.expect(BoxAnswer::Ok);
    EXPECT_FALSE(remove(o, "R1"));
    EXPECT_EQ(company.count(RegisterTable), 5);
    EXPECT_EQ(historyRows(company), 0);
}

TEST(History, TheFileRefusesToChangeOrDeleteHistoryRows)
{
    TempCompany company;
    Opened o(company);
    RegisterRecord record = BlankRegister("N3", "X");
    ASSERT_TRUE(write(o, record));
    auto other = openDatabase(company.databasePath());
    auto history = other->openTable(HistoryTable);
    history->setIndex(PrimaryIndex);
    history->seek("=", company.scalar("SELECT min(StoId) FROM StoricoSerieSemplificata"));
    ASSERT_FALSE(history->noMatch());
    history->edit();
    history->setField("StoDopo", "FALSO");
    EXPECT_THROW(history->update(), EngineError);
    EXPECT_THROW(history->deleteRow(), EngineError);
    EXPECT_EQ(historyRows(company, "StoDopo = 'FALSO'"), 0);
}

TEST(History, ACompanyWithoutTheTableWorksAsBeforeAndRecordsNothing)
{
    TempCompany company(true);
    company.exec("DROP TABLE StoricoSerieSemplificata");
    Opened o(company);
    EXPECT_TRUE(o.boxes.seen().empty());
    RegisterRecord record = BlankRegister("N4", "SENZA STORICO");
    EXPECT_TRUE(write(o, record));
    EXPECT_TRUE(remove(o, "R1"));
    EXPECT_TRUE(o.boxes.seen().empty());
}

TEST(History, CsvQuotesEveryFieldForASpreadsheet)
{
    Change change;
    change.number = 7;
    change.when = QDateTime(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC);
    change.user = "=cmd";
    change.host = "pc1";
    change.version = "1.0.0";
    change.code = "R1";
    change.action = "variazione";
    change.columns.push_back({"SspDescrizione", QString("MAG, \"NORD\""), Value()});
    change.columns.push_back({"SspArrData", QString("45292"), QString("0")});
    const QStringList lines = HistoryCsv({change}).split("\r\n");
    ASSERT_EQ(lines.size(), 4);  // heading, two column changes, the empty end
    EXPECT_TRUE(lines[1].startsWith("\"7\","));
    EXPECT_TRUE(lines[1].contains(",\"'=cmd\",")) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].endsWith(",\"SspDescrizione\",\"\"\"MAG, \"\"NORD\"\"\"\"\",\"Null\""))
        << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",\"01/01/2024\",\"\"\"0\"\"\"")) << lines[2].toStdString();
}

TEST(History, StoredTextWithLineBreaksAndEscapesIsShownOnOneLineEach)
{
    Change change;
    change.number = 3;
    change.when = QDateTime(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC);
    change.user = "anna";
    change.host = "DIRETTORE\n     99  01/12/2026 09:00:00  CANCELLAZIONE  mario@UFFICIO1";
    change.version = "9.9.9";
    change.role = "operatore1";
    change.address = "10.0.0.5";
    change.code = "AB01";
    change.action = "variazione";
    change.columns.push_back({"SspDescrizione", QString("X\"\r\n     99\x1b[2J\u200b\\n"), Value()});
    const QStringList lines = HistoryLines({change});
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines)
        for (const QChar c : line)
            EXPECT_TRUE(c.isPrint() && c != QChar(0x200b)) << line.toStdString();
    EXPECT_TRUE(lines[0].contains("ruolo operatore1 da 10.0.0.5")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("dichiarati: anna@DIRETTORE\\n     99")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("\"X\"\\r\\n     99\\x1b[2J\\u200b\\\\n\" -> Null")) << lines[1].toStdString();
    const QStringList csv = HistoryCsv({change}).split("\r\n");
    ASSERT_EQ(csv.size(), 3);  // heading, the one column change, the empty end
    EXPECT_TRUE(csv[1].contains(",\"operatore1\",\"10.0.0.5\",\"anna\",")) << csv[1].toStdString();
}

TEST(History, TheCsvEscapesAValueOnceAsTheListingDoesAndBlanksThatLookAlikeAreEscaped)
{
    Change change;
    change.number = 4;
    change.when = QDateTime(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC);
    change.code = "AB01";
    change.action = "variazione";
    change.columns.push_back({"SspDescrizione", QString("A\x1b\u3164\ufe0f\u2800\u00a0B"), Value()});
    const QString shown = "\"A\\x1b\\u3164\\ufe0f\\u2800\\xa0B\"";
    const QStringList lines = HistoryLines({change});
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(shown + " -> Null")) << lines[1].toStdString();
    const QStringList csv = HistoryCsv({change}).split("\r\n");
    ASSERT_EQ(csv.size(), 3);
    QString cell = shown;
    cell.replace("\"", "\"\"");
    EXPECT_TRUE(csv[1].endsWith(",\"" + cell + "\",\"Null\"")) << csv[1].toStdString();
}

TEST(History, OneTransactionIsListedByCodeAndItsEventApart)
{
    TempCompany company;
    // One transaction of the server: a delete of two sets, a print, and a
    // row whose action only looks like a change's.
    company.exec("INSERT INTO StoricoSerieSemplificata (StoModifica, StoCodice, StoAzione, StoColonna, StoPrima) "
                 "VALUES ('77', 'CP01', 'cancellazione', 'SspDescrizione', 'PRIMO'), "
                 "('77', 'CP02', 'cancellazione', 'SspDescrizione', 'SECONDO'), "
                 "('77', 'CP01', 'stampa pagine', 'ARRIVI', '1'), "
                 "('77', 'CP01', 'Variazione ', 'SspDescrizione', 'FALSO')");
    auto db = openDatabase(company.databasePath());
    const std::vector<Change> changes = ReadHistory(*db);
    ASSERT_EQ(changes.size(), 4);
    QStringList lines = HistoryLines(changes);
    EXPECT_EQ(lines.filter("CANCELLAZIONE  ").size(), 2) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter("STAMPA PAGINE (evento)").size(), 1) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter("azione sconosciuta \"Variazione \"").size(), 1) << lines.join('\n').toStdString();
    for (const Change& change : changes)
        EXPECT_EQ(change.columns.size(), 1u) << change.code.toStdString();
    const QStringList csv = HistoryCsv(changes).split("\r\n");
    EXPECT_TRUE(csv.filter("\"CP02\",\"cancellazione\"").value(0).contains("SECONDO")) << csv.join('\n').toStdString();
}

TEST(History, WhatTheProgramRecordsReplaysToExactlyTheStoredRows)
{
    TempCompany company(true);
    auto db = openDatabase(company.databasePath());
    const auto differences = [&] { return ReplayDifferences(*db); };
    EXPECT_FALSE(differences().isEmpty());  // the demonstration rows, with no history of them
    ASSERT_TRUE(RecordStartingState(*db).recorded);
    EXPECT_EQ(differences(), QStringList());
    EXPECT_FALSE(RecordStartingState(*db).needed);

    Opened o(company);
    RegisterRecord record = stored(o, "AB01");
    // Escaped characters and a letter of two UTF-8 bytes: the walk hashes the stored bytes.
    record.SspDescrizione = QString::fromUtf8("DEPOSITO \"NUOVO\"\t1 \\ CITT\xC3\x80");
    record.Registers[Arrivi].Garanz = 987654.32;
    record.Registers[Deposito].Data = 46000;
    ASSERT_TRUE(write(o, record));
    RegisterRecord added = BlankRegister("N9", "NUOVO");
    added.Registers[Custodia].Garanz = 0.1;
    ASSERT_TRUE(write(o, added));
    HeaderLines lines = BlankHeaderLines();
    lines[HeaderLineIndex(0, 1)] = "PRIMA RIGA";
    ASSERT_TRUE(writeHeader(o, "N9", lines));
    ASSERT_TRUE(remove(o, "R1"));
    EXPECT_EQ(differences(), QStringList());
}
