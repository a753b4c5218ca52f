// A Jet database held in memory, for feeding the import rows a test makes
// through the same interface as a file read by libmdb.
#pragma once

#include "jet/jet_reader.h"

#include <deque>

namespace tools_tests {

struct MemoryTableData {
    QString name;
    std::vector<jet::Column> columns;
    std::vector<jet::Row> rows;
    // What the "file" records and holds on its pages, when a test makes
    // them differ from the rows it hands over (-1: as many as `rows`).
    qint64 recorded = -1;
    qint64 onPages = -1;
};

class MemoryTable : public jet::Table {
public:
    explicit MemoryTable(const MemoryTableData& data) : data_(data) {}
    QString name() const override { return data_.name; }
    const std::vector<jet::Column>& columns() const override { return data_.columns; }
    qint64 rowCount() const override { return data_.recorded >= 0 ? data_.recorded : qint64(data_.rows.size()); }
    qint64 pageRowCount() override { return data_.onPages >= 0 ? data_.onPages : qint64(data_.rows.size()); }
    bool next(jet::Row& row) override
    {
        if (next_ >= data_.rows.size())
            return false;
        row = data_.rows[next_++];
        return true;
    }

private:
    const MemoryTableData& data_;
    size_t next_ = 0;
};

class MemoryJet : public jet::Database {
public:
    std::deque<MemoryTableData> tables;  // a deque: add() keeps earlier tables in place

    MemoryTableData& add(const QString& name, std::vector<jet::Column> columns)
    {
        tables.push_back({name, std::move(columns), {}});
        return tables.back();
    }
    QString version() const override { return QStringLiteral("Jet 4"); }
    QStringList tableNames() const override
    {
        QStringList names;
        for (const MemoryTableData& table : tables)
            names << table.name;
        return names;
    }
    std::unique_ptr<jet::Table> openTable(const QString& name) override
    {
        for (const MemoryTableData& table : tables)
            if (table.name.compare(name, Qt::CaseInsensitive) == 0)
                return std::make_unique<MemoryTable>(table);
        return nullptr;
    }
};

}  // namespace tools_tests
