// WriteRegister and the delete of a register set with its header row.
#include "store/registers/register_save.h"

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
    std::optional<HeaderLines> storedHeader;
    WriteFailure failure;                    // the first failure, which ended the steps
};

QString Code(const QString& code)
{
    return code.trimmed();
}

Attempt TryWriteRegister(CompanyDatabase& company, const ScreenValues& screen,
                         RegisterRecord& record, const ShownVersion& shown,
                         const HeaderLines* restoreHeader)
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
            a.storedRow = StoredRegister(cursor, record.SspCodice);
            a.found = Compare(shown.row, a.storedRow);
            if (a.found != Found::AsShown)
                return;
        }
        WriteTransaction transaction(database);
        // A register set shown for change: the fields the operator changed
        // (and those written over a change made elsewhere), every other
        // column keeps its stored value exactly. A new one: every field.
        std::optional<std::vector<bool>> changed;
        if (shown.row && shown.screen) {
            changed = ChangedColumns(*shown.screen, screen);
            for (std::size_t i = 0; i < shown.overwrite.size() && i < changed->size(); ++i)
                if (shown.overwrite[i])
                    (*changed)[i] = true;
        }
        const std::vector<bool>* columns = changed ? &*changed : nullptr;
        ScreenToRegister(screen, record, columns);
        a.storedRow = StoredRegister(cursor, record.SspCodice);
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
        const Row after = ReadRow(cursor, table);
        cursor.update();
        ChangeRecord(company.HistoryCursor.get(), record.SspCodice,
                     adding ? HistoryAction::Inserimento : HistoryAction::Variazione)
            .add(table, before, after);
        // The row as written, read back in the same transaction: the version
        // shown from now on.
        a.storedRow = StoredRegister(cursor, record.SspCodice);
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
        a.storedRow = StoredRegister(registers, code);
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

QString RegisterDeletedText(const QString& code)
{
    return QStringLiteral("IL REGISTRO %1 E' STATO CANCELLATO DA UN'ALTRA POSTAZIONE DOPO L'APERTURA.\n"
                          "LO REINSERISCO CON I DATI A VIDEO E LE SUE TESTATE?\n")
               .arg(Code(code)) +
           NothingWrittenNote;
}

QString RegisterInsertedText(const QString& code)
{
    return QStringLiteral("IL REGISTRO %1 E' STATO INSERITO NEL FRATTEMPO DA UN'ALTRA POSTAZIONE: "
                          "NON VIENE SOSTITUITO.\n"
                          "I DATI RESTANO A VIDEO; PER VEDERE L'ALTRA VERSIONE PREMERE \"ANNULLA\" "
                          "E RICHIAMARE IL CODICE.")
        .arg(Code(code));
}

QString UnshowableText(const QString& code, const QStringList& fields)
{
    return QStringLiteral("IL REGISTRO %1 CONTIENE VALORI CHE LO SCHERMO NON PUO' MOSTRARE COSI' COME SONO:\n")
               .arg(Code(code)) +
           DifferenceLines(fields) +
           QStringLiteral("RESTANO COME SONO SALVO CHE SI SCRIVA SOPRA IL CAMPO.");
}

QString RegisterAlreadyDeletedText(const QString& code)
{
    return QStringLiteral("IL REGISTRO %1 E' GIA' STATO CANCELLATO DA UN'ALTRA POSTAZIONE.").arg(Code(code));
}

bool WriteRegister(CompanyDatabase& company, const ScreenValues& screen, RegisterRecord& record,
                   ShownVersion& shown, const HeaderLines& headerOnScreen, MessageBoxes& boxes)
{
    bool restoreHeader = false;
    for (;;) {
        const Attempt a = TryWriteRegister(company, screen, record, shown,
                                           restoreHeader ? &headerOnScreen : nullptr);
        // The transaction is over: the boxes below hold nothing in the file.
        if (a.done) {
            shown.row = a.storedRow;
            if (shown.screen)
                shown.screen = screen;  // what the stored row now stands for
            shown.overwrite.clear();
            if (restoreHeader && !a.storedHeader)
                shown.header = StoredForm(headerOnScreen);
            return true;
        }
        if (a.failure) {
            ShowWriteFailure(boxes, WriteRegisterFailed, a.failure);
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
            break;
        case Found::DeletedElsewhere:
            if (boxes.MsgBox(RegisterDeletedText(record.SspCodice), BoxCode::YesNoExclaimNoDefault,
                             ConfirmTitle) != BoxAnswer::Yes)
                return false;
            // Written again as a new set; its header lines come back from the
            // screen unless another workstation has stored some meanwhile.
            shown.row.reset();
            restoreHeader = shown.header.has_value();
            break;
        case Found::InsertedElsewhere:
            boxes.MsgBox(RegisterInsertedText(record.SspCodice), BoxCode::OkOnly);
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
            shown.header = a.storedHeader;
            break;
        case Found::DeletedElsewhere:
            boxes.MsgBox(RegisterAlreadyDeletedText(code), BoxCode::OkOnly);
            return DeleteResult::AlreadyDeleted;
        case Found::InsertedElsewhere:
        case Found::AsShown:
            return DeleteResult::NotDeleted;
        }
    }
}

}  // namespace store
