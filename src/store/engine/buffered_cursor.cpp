// The engine-independent part of a table cursor: checks, current row, buffers.
#include "store/engine/buffered_cursor.h"

namespace store {

using namespace EngineErrorNumber;

void BufferedCursor::checkOpen() const
{
    if (closed_)
        throw EngineError(NoCurrentRecord, QStringLiteral("Il cursore è chiuso."));
}

size_t BufferedCursor::columnOf(const QString& name) const
{
    const int index = shape_.columnIndex(name);
    if (index < 0)
        throw EngineError(ItemNotFound, QStringLiteral("Elemento '%1' non trovato nell'insieme.").arg(name));
    return size_t(index);
}

void BufferedCursor::setIndex(const QString& name)
{
    checkOpen();
    if (name.compare(QLatin1String("primaria"), Qt::CaseInsensitive) != 0 || shape_.keyColumn < 0)
        throw EngineError(NotAnIndex, QStringLiteral("'%1' non è un indice di questa tabella.").arg(name));
    indexSet_ = true;
}

void BufferedCursor::seek(const QString& comparison, const Value& key)
{
    checkOpen();
    if (!indexSet_)
        throw EngineError(NotAnIndex, QStringLiteral("Nessun indice impostato."));
    if (comparison != QLatin1String("="))
        throw EngineError(TypeMismatch, QStringLiteral("Confronto '%1' non previsto.").arg(comparison));
    mode_ = Mode::None;
    std::optional<std::vector<Value>> found = findRow(key);
    if (found)
        row_ = std::move(*found);
    noMatch_ = !found;
    hasCurrent_ = bool(found);
}

void BufferedCursor::standOn(std::vector<Value> row)
{
    mode_ = Mode::None;
    row_ = std::move(row);
    noMatch_ = false;
    hasCurrent_ = true;
}

Value BufferedCursor::field(const QString& name) const
{
    checkOpen();
    const size_t index = columnOf(name);
    if (mode_ != Mode::None)
        return buffer_[index];
    if (!hasCurrent_)
        throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
    return row_[index];
}

void BufferedCursor::setField(const QString& name, const Value& value)
{
    checkOpen();
    const size_t index = columnOf(name);
    if (mode_ == Mode::None)
        throw EngineError(UpdateWithoutEdit, QStringLiteral("Aggiornamento senza AddNew o Edit."));
    buffer_[index] = value;
    assigned_[index] = true;
}

void BufferedCursor::addNew()
{
    checkOpen();
    mode_ = Mode::AddNew;
    buffer_.assign(size_t(shape_.columns.size()), Value());
    assigned_.assign(size_t(shape_.columns.size()), false);
}

void BufferedCursor::edit()
{
    checkOpen();
    if (!hasCurrent_)
        throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
    mode_ = Mode::Edit;
    buffer_ = row_;
    assigned_.assign(size_t(shape_.columns.size()), false);
}

void BufferedCursor::update()
{
    checkOpen();
    if (mode_ == Mode::None)
        throw EngineError(UpdateWithoutEdit, QStringLiteral("Aggiornamento senza AddNew o Edit."));
    const Mode mode = mode_;
    mode_ = Mode::None;  // a failed update leaves no change under way
    QStringList names;
    std::vector<Value> values;
    for (size_t i = 0; i < size_t(shape_.columns.size()); ++i) {
        if (!assigned_[i])
            continue;
        names << shape_.columns[int(i)];
        values.push_back(buffer_[i]);
    }
    if (mode == Mode::AddNew) {
        insertRow(names, values);
        return;  // the current row stays the one before the add-new
    }
    if (!names.isEmpty())
        updateCurrent(names, values, buffer_);
    row_ = buffer_;
}

void BufferedCursor::deleteRow()
{
    checkOpen();
    if (!hasCurrent_)
        throw EngineError(NoCurrentRecord, QStringLiteral("Nessun record corrente."));
    mode_ = Mode::None;
    deleteCurrent();
    hasCurrent_ = false;
}

void BufferedCursor::close()
{
    closing();
    closed_ = true;
}

}  // namespace store
