// The one-statement "&CONFERMA" of a change on a server.
#include "store/registers/write_in_one_step.h"

#include "store/registers/register_save.h"

namespace store {

namespace {

using namespace EngineErrorNumber;

// Takes the columns and values StoreRegister assigns, in its order, and
// nothing else: the statement's SET list.
class AssignedColumns : public TableCursor {
public:
    void setIndex(const QString&) override {}
    void seek(const QString&, const Value&) override { refuse(); }
    bool noMatch() const override { return true; }
    Value field(const QString& name) const override
    {
        const qsizetype at = names.indexOf(name);
        return at < 0 ? Value() : values[std::size_t(at)];
    }
    void setField(const QString& name, const Value& value) override
    {
        names << name;
        values.push_back(value);
    }
    void addNew() override { refuse(); }
    void edit() override { refuse(); }
    void update() override { refuse(); }
    void deleteRow() override { refuse(); }
    void close() override {}
    QString tableName() const override { return RegisterTableDescription().name; }

    QStringList names;
    std::vector<Value> values;

private:
    [[noreturn]] static void refuse()
    {
        throw EngineError(WriteFailed, QStringLiteral("Operazione non prevista."));
    }
};

QStringList ColumnNames(const TableDescription& table)
{
    QStringList names;
    for (const ColumnDescription& column : table.columns)
        names << column.name;
    return names;
}

}  // namespace

OneStepWrite WriteInOneStep(CompanyDatabase& company, const ScreenValues& screen, RegisterRecord& record,
                            ShownVersion& shown, std::optional<ReadRegisterRow>& read, MessageBoxes& boxes)
{
    // Only a change of a row shown as read, where the server writes the
    // history itself (the program writes none that the statement would skip).
    if (!read || !shown.row || *shown.row != read->shownAs || company.HistoryCursor || !company.RegisterCursor ||
        !company.database)
        return OneStepWrite::NotThisWay;
    // The fields the operator changed, as the full write takes them; every
    // field where the screen as shown is not kept.
    std::optional<std::vector<bool>> changed;
    if (shown.screen) {
        changed = ChangedColumns(*shown.screen, screen);
        for (std::size_t i = 0; i < shown.overwrite.size() && i < changed->size(); ++i)
            if (shown.overwrite[i])
                (*changed)[i] = true;
    }
    const std::vector<bool>* columns = changed ? &*changed : nullptr;
    RegisterRecord written = record;
    AssignedColumns assigned;
    try {
        ScreenToRegister(screen, written, columns);
        StoreRegister(written, assigned, columns);
    } catch (const EngineError&) {
        return OneStepWrite::NotThisWay;  // the full write tells the value it cannot take
    }
    if (assigned.names.isEmpty())
        return OneStepWrite::NotThisWay;
    TableCursor& cursor = *company.RegisterCursor;
    const TableDescription& table = RegisterTableDescription();
    TableCursor::WriteIfUnchanged outcome;
    try {
        outcome = cursor.updateIfUnchanged(assigned.names, assigned.values, ColumnNames(table), read->stored);
        if (outcome == TableCursor::WriteIfUnchanged::Uncertain) {
            // The answer was lost with the connection: the row tells whether
            // the change got there (then it holds just what was written).
            const std::optional<RegisterRecord> stored = StoredRegister(cursor, written.SspCodice);
            if (!stored || *stored != written)
                return OneStepWrite::NotThisWay;
            outcome = TableCursor::WriteIfUnchanged::Written;
        }
    } catch (const EngineError& error) {
        boxes.MsgBox(WriteRegisterFailedText(written.SspCodice, error.description()), BoxCode::OkOnly);
        return OneStepWrite::Failed;
    }
    if (outcome != TableCursor::WriteIfUnchanged::Written)
        return OneStepWrite::NotThisWay;
    // The cursor stands on the row as stored now: the version shown from now on.
    RegisterRecord stored;
    LoadRegister(cursor, stored);
    read = ReadRegisterRow{ReadRow(cursor, table), stored};
    record = written;
    shown.row = stored;
    shown.columns = read->stored;
    if (shown.screen)
        shown.screen = screen;  // what the stored row now stands for
    shown.overwrite.clear();
    return OneStepWrite::Written;
}

}  // namespace store
