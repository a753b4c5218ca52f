// What every engine's table cursor shares: the index "primaria", the current
// row, the add-new and edit buffers, and the errors their misuse gives. An
// engine supplies the seek of a row, the insert, the update and the delete.
#pragma once

#include "store/engine/engine.h"
#include "store/engine/table_shape.h"

#include <optional>
#include <vector>

namespace store {

class BufferedCursor : public TableCursor {
public:
    explicit BufferedCursor(const TableShape& shape) : shape_(shape) {}

    void setIndex(const QString& name) override;
    void seek(const QString& comparison, const Value& key) override;
    bool noMatch() const override { return noMatch_; }
    Value field(const QString& name) const override;
    void setField(const QString& name, const Value& value) override;
    void addNew() override;
    void edit() override;
    void update() override;
    void deleteRow() override;
    void close() override;
    QString tableName() const override { return shape_.name; }

protected:
    // The engine's part. `findRow`: the row whose key equals `key`, every
    // column in the stored order, or none; it becomes the current row. The
    // writes get the names of the columns assigned since addNew or edit, as
    // stored, with their values; `updateCurrent` (given the whole new row)
    // and `deleteCurrent` act on the current row.
    virtual std::optional<std::vector<Value>> findRow(const Value& key) = 0;
    virtual void insertRow(const QStringList& names, const std::vector<Value>& values) = 0;
    virtual void updateCurrent(const QStringList& names, const std::vector<Value>& values,
                               const std::vector<Value>& newRow) = 0;
    virtual void deleteCurrent() = 0;
    virtual void closing() {}

    const TableShape& shape() const { return shape_; }
    // Makes `row` (every column in the stored order) the current row, as a
    // seek that found it does.
    void standOn(std::vector<Value> row);

private:
    enum class Mode { None, AddNew, Edit };

    void checkOpen() const;
    size_t columnOf(const QString& name) const;

    TableShape shape_;
    bool indexSet_ = false;
    bool noMatch_ = true;
    bool hasCurrent_ = false;
    bool closed_ = false;
    std::vector<Value> row_;
    Mode mode_ = Mode::None;
    std::vector<Value> buffer_;
    std::vector<bool> assigned_;
};

}  // namespace store
