// WriteRegister and the delete of a register set with its header row.
#include "store/registers/register_save.h"

#include "store/history/history_reader.h"
#include "store/history/history_writer.h"
#include "store/schema/register_code.h"
#include "store/schema/table_description.h"
#include "store/registers/write_transaction.h"

namespace store {

namespace {

// What one write transaction did; it is over (committed or rolled back) by
// the time the caller reads this.
struct Attempt {
    bool done = false;                       // committed
    Found found = Found::AsShown;            // what the comparison found
    std::optional<RegisterRecord> storedRow; // the row found, when it differed
    std::vector<Value> storedColumns;        // the same row as the engine gave it
    std::optional<HeaderLines> storedHeader;
    WriteFailure failure;                    // the first failure, which ended the steps
};

QString Code(const QString& code)
{
    return code.trimmed();
}

// The stored row of `code`, as a record and column by column.
void ReadStored(Attempt& a, TableCursor& cursor, const QString& code)
{
    a.storedRow = StoredRegister(cursor, code);
    a.storedColumns = a.storedRow ? ReadRow(cursor, RegisterTableDescription()) : Row();
}

// A set deleted elsewhere that the operator writes again: the screen it was
// shown as and its row as stored then. The fields the operator left as shown
// go back exactly as they were stored (a date never given stays 0, a Null
// stays Null); the others take the screen's values.
struct WrittenAgain {
    ScreenValues shownScreen;
    std::vector<Value> columns;
};

// The columns whose screen values the operator changed from `shown`, and
// those chosen to be written over a change made elsewhere.
std::vector<bool> ColumnsToWrite(const ScreenValues& shown, const ScreenValues& screen,
                                 const std::vector<bool>& overwrite)
{
    std::vector<bool> changed = ChangedColumns(shown, screen);
    for (std::size_t i = 0; i < overwrite.size() && i < changed.size(); ++i)
        if (overwrite[i])
            changed[i] = true;
    return changed;
}

Attempt TryWriteRegister(CompanyDatabase& company, const ScreenValues& screen,
                         RegisterRecord& record, const ShownVersion& shown,
                         const HeaderLines* restoreHeader, const WrittenAgain* again)
{
    Attempt a;
    Database& database = *company.database;
    TableCursor& cursor = *company.RegisterCursor;
    a.failure = RunWrite([&] {
        // A set shown for change whose row has moved on is told from a plain
        // read, outside any transaction: no other workstation waits on a row
        // lock while this one finds out. Whatever the operator answers, the
        // write that follows compares again under its transaction.
        if (shown.row) {
            ReadStored(a, cursor, record.SspCodice);
            a.found = Compare(shown.row, a.storedRow);
            if (a.found != Found::AsShown)
                return;
        }
        WriteTransaction transaction(database);
        // A register set shown for change: the fields the operator changed
        // (and those written over a change made elsewhere), every other
        // column keeps its stored value exactly. A new one: every field.
        std::optional<std::vector<bool>> changed;
        if (shown.row && shown.screen)
            changed = ColumnsToWrite(*shown.screen, screen, shown.overwrite);
        else if (again)
            changed = ColumnsToWrite(again->shownScreen, screen, shown.overwrite);
        const std::vector<bool>* columns = changed ? &*changed : nullptr;
        ScreenToRegister(screen, record, columns);
        ReadStored(a, cursor, record.SspCodice);
        a.found = Compare(shown.row, a.storedRow);
        if (a.found != Found::AsShown)
            return;  // rolled back; the caller tells the operator
        // The history of the change: the row as stored, read inside this
        // transaction, against the row as update() writes it.
        const TableDescription& table = RegisterTableDescription();
        Row before;
        const bool adding = cursor.noMatch();
        if (adding) {
            // A new set's code keeps the rule; one stored before it stays.
            if (const QString problem = RegisterCodeProblem(record.SspCodice); !problem.isEmpty())
                throw EngineError(EngineErrorNumber::WriteFailed, problem);
            cursor.addNew();
        } else {
            before = ReadRow(cursor, table);
            cursor.edit();
        }
        StoreRegister(record, cursor, adding ? nullptr : columns);
        if (adding && again && columns)
            for (std::size_t i = 0; i < again->columns.size() && i < columns->size(); ++i)
                if (!(*columns)[i])
                    cursor.setField(table.columnName(int(i)), again->columns[i]);
        const Row after = ReadRow(cursor, table);
        cursor.update();
        ChangeRecord(company.HistoryCursor.get(), record.SspCodice,
                     adding ? HistoryAction::Inserimento : HistoryAction::Variazione)
            .add(table, before, after);
        // The row as written, read back in the same transaction: the version
        // shown from now on.
        ReadStored(a, cursor, record.SspCodice);
        if (restoreHeader) {
            TableCursor& header = *company.HeaderCursor;
            a.storedHeader = StoredHeader(header, record.SspCodice);
            if (!a.storedHeader)
                PutHeaderRow(header, company.HistoryCursor.get(), record.SspCodice, *restoreHeader);
        }
        transaction.commit();
        a.done = true;
    });
    return a;
}

Attempt TryDeleteRegister(CompanyDatabase& company, const QString& code, const ShownVersion& shown)
{
    Attempt a;
    Database& database = *company.database;
    TableCursor& registers = *company.RegisterCursor;
    TableCursor& header = *company.HeaderCursor;
    a.failure = RunWrite([&] {
        ChangeRecord history(company.HistoryCursor.get(), code, HistoryAction::Cancellazione);
        WriteTransaction transaction(database);
        a.storedHeader = StoredHeader(header, code);
        ReadStored(a, registers, code);
        a.found = Compare(shown.row, a.storedRow);
        if (a.found == Found::AsShown && Compare(shown.header, a.storedHeader) != Found::AsShown)
            a.found = Found::ChangedElsewhere;
        if (a.found != Found::AsShown)
            return;  // rolled back; the caller tells the operator
        // The rows as stored, read inside this transaction, go into the
        // history as one change.
        const Row before = ReadRow(registers, RegisterTableDescription());
        registers.deleteRow();
        history.add(RegisterTableDescription(), before, {});
        if (a.storedHeader) {
            header.seek(QStringLiteral("="), code);
            if (!header.noMatch()) {
                const Row headerBefore = ReadRow(header, HeaderTableDescription());
                header.deleteRow();
                history.add(HeaderTableDescription(), headerBefore, {});
            }
        }
        transaction.commit();
        a.done = true;
    });
    return a;
}

// The columns whose values differ between two versions, to be written from
// the screen whatever the operator typed.
void MarkDifferences(ShownVersion& shown, const RegisterRecord& before, const RegisterRecord& after)
{
    const std::vector<bool> differing = DifferingColumns(before, after);
    shown.overwrite.resize(differing.size(), false);
    for (std::size_t i = 0; i < differing.size(); ++i)
        if (differing[i])
            shown.overwrite[i] = true;
}

QStringList Differences(const ShownVersion& shown, const Attempt& a)
{
    QStringList lines;
    if (shown.row && a.storedRow)
        lines << RegisterDifferences(*shown.row, *a.storedRow);
    if (a.storedHeader || shown.header)
        lines << HeaderDifferences(shown.header.value_or(BlankHeaderLines()),
                                   a.storedHeader.value_or(BlankHeaderLines()));
    return lines;
}

}  // namespace

QString RegisterChangedText(const QString& code, const QStringList& differences, const QString& question,
                            const QString& lastChange)
{
    QString text = QStringLiteral("IL REGISTRO %1 E' STATO MODIFICATO DA UN'ALTRA POSTAZIONE DOPO L'APERTURA.\n")
                       .arg(Code(code));
    if (!lastChange.isEmpty())
        text += lastChange + QLatin1Char('\n');
    if (!differences.isEmpty())
        text += QStringLiteral("VALORI DELL'ALTRA POSTAZIONE:\n") + DifferenceLines(differences);
    return text + question;
}

namespace {

// Who and when on a line of its own, when the history says it.
QString WhoAndWhen(const QString& lastChange)
{
    return lastChange.isEmpty() ? QString() : lastChange + QLatin1Char('\n');
}

}  // namespace

QString RegisterDeletedText(const QString& code, const QString& lastChange)
{
    return QStringLiteral("IL REGISTRO %1 E' STATO CANCELLATO DA UN'ALTRA POSTAZIONE DOPO L'APERTURA.\n")
               .arg(Code(code)) +
           WhoAndWhen(lastChange) + QStringLiteral("LO REINSERISCO CON I DATI A VIDEO E LE SUE TESTATE?\n") +
           NothingWrittenNote;
}

QString RegisterInsertedText(const QString& code, const QString& lastChange)
{
    return QStringLiteral("IL REGISTRO %1 E' STATO INSERITO NEL FRATTEMPO DA UN'ALTRA POSTAZIONE: "
                          "NON VIENE SOSTITUITO.\n")
               .arg(Code(code)) +
           WhoAndWhen(lastChange) +
           QStringLiteral("I DATI RESTANO A VIDEO; PER VEDERE L'ALTRA VERSIONE PREMERE \"ANNULLA\" "
                          "E RICHIAMARE IL CODICE.");
}

QString WriteRegisterFailedText(const QString& code, const QString& engineText)
{
    QString text = WriteRegisterFailed;
    // The server's CHECK of the code rule holds for every row a statement
    // writes, whatever columns it sets: a set whose code was stored before
    // the rule cannot be changed there at all. Its name is in the server's
    // text in any language.
    const QString problem = RegisterCodeProblem(code);
    if (!problem.isEmpty() && engineText.contains(RegisterCodeConstraint()))
        text += QLatin1Char('\n') +
                QStringLiteral("Il codice %1 è stato registrato prima della regola dei codici dei registri e non la "
                               "rispetta (%2): il server non accetta modifiche di questo registro finché ha questo "
                               "codice, e nulla è stato scritto. Chi gestisce la società sul server può dargli un "
                               "codice senza spazi all'inizio o alla fine, senza caratteri invisibili o di controllo "
                               "e in forma composta (NFC).")
                    .arg(ShownCode(code), problem);
    if (!engineText.trimmed().isEmpty())
        text += QLatin1Char('\n') + engineText.trimmed();
    return text;
}

QString UnshowableText(const QString& code, const QStringList& fields)
{
    return QStringLiteral("IL REGISTRO %1 CONTIENE VALORI CHE LO SCHERMO NON PUO' MOSTRARE COSI' COME SONO:\n")
               .arg(Code(code)) +
           DifferenceLines(fields) +
           QStringLiteral("RESTANO COME SONO SALVO CHE SI SCRIVA SOPRA IL CAMPO.");
}

QString RegisterAlreadyDeletedText(const QString& code, const QString& lastChange)
{
    QString text = QStringLiteral("IL REGISTRO %1 E' GIA' STATO CANCELLATO DA UN'ALTRA POSTAZIONE.").arg(Code(code));
    if (!lastChange.isEmpty())
        text += QLatin1Char('\n') + lastChange;
    return text;
}

bool WriteRegister(CompanyDatabase& company, const ScreenValues& screen, RegisterRecord& record,
                   ShownVersion& shown, const HeaderLines& headerOnScreen, MessageBoxes& boxes)
{
    bool restoreHeader = false;
    std::optional<WrittenAgain> again;
    for (;;) {
        const Attempt a = TryWriteRegister(company, screen, record, shown,
                                           restoreHeader ? &headerOnScreen : nullptr, again ? &*again : nullptr);
        // The transaction is over: the boxes below hold nothing in the file.
        if (a.done) {
            shown.row = a.storedRow;
            shown.columns = a.storedColumns;
            if (shown.screen)
                shown.screen = screen;  // what the stored row now stands for
            shown.overwrite.clear();
            if (restoreHeader && !a.storedHeader)
                shown.header = StoredForm(headerOnScreen);
            return true;
        }
        if (a.failure) {
            boxes.MsgBox(WriteRegisterFailedText(record.SspCodice, a.failure.description), BoxCode::OkOnly);
            return false;
        }
        switch (a.found) {
        case Found::ChangedElsewhere:
            if (boxes.MsgBox(RegisterChangedText(record.SspCodice,
                                                 RegisterDifferences(*shown.row, *a.storedRow),
                                                 OverwriteQuestion + QLatin1Char('\n') + NothingWrittenNote,
                                                 LastChangeText(*company.database, record.SspCodice)),
                             BoxCode::YesNoExclaimNoDefault, ConfirmTitle) != BoxAnswer::Yes)
                return false;
            // The operator has seen this version and chose the screen's
            // values for the fields that differ.
            MarkDifferences(shown, *shown.row, *a.storedRow);
            shown.row = a.storedRow;
            shown.columns = a.storedColumns;
            break;
        case Found::DeletedElsewhere:
            if (boxes.MsgBox(RegisterDeletedText(record.SspCodice, LastChangeText(*company.database, record.SspCodice)),
                             BoxCode::YesNoExclaimNoDefault, ConfirmTitle) != BoxAnswer::Yes)
                return false;
            // Written again as a new set: what the screen shows, the fields
            // left as shown exactly as they were stored. Its header lines
            // come back from the screen unless another workstation has
            // stored some meanwhile.
            again = WrittenAgain{shown.screen.value_or(RegisterToScreen(*shown.row)), shown.columns};
            shown.row.reset();
            shown.columns.clear();
            restoreHeader = shown.header.has_value();
            break;
        case Found::InsertedElsewhere:
            boxes.MsgBox(RegisterInsertedText(record.SspCodice, LastChangeText(*company.database, record.SspCodice)),
                         BoxCode::OkOnly);
            return false;
        case Found::AsShown:
            return false;
        }
    }
}

DeleteResult DeleteRegister(CompanyDatabase& company, const QString& code, ShownVersion& shown,
                            MessageBoxes& boxes)
{
    for (;;) {
        const Attempt a = TryDeleteRegister(company, code, shown);
        if (a.done)
            return DeleteResult::Deleted;
        if (a.failure) {
            ShowWriteFailure(boxes, DeleteRegisterFailed, a.failure);
            return DeleteResult::NotDeleted;
        }
        switch (a.found) {
        case Found::ChangedElsewhere:
            if (boxes.MsgBox(RegisterChangedText(code, Differences(shown, a), DeleteAnywayQuestion,
                                                 LastChangeText(*company.database, code)),
                             BoxCode::YesNoExclaimNoDefault, ConfirmTitle) != BoxAnswer::Yes)
                return DeleteResult::NotDeleted;
            shown.row = a.storedRow;
            shown.columns = a.storedColumns;
            shown.header = a.storedHeader;
            break;
        case Found::DeletedElsewhere:
            boxes.MsgBox(RegisterAlreadyDeletedText(code, LastChangeText(*company.database, code)), BoxCode::OkOnly);
            return DeleteResult::AlreadyDeleted;
        case Found::InsertedElsewhere:
        case Found::AsShown:
            return DeleteResult::NotDeleted;
        }
    }
}

}  // namespace store
