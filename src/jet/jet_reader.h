// Reading a Jet database (the quelda.mdb of the suite's Windows workstations):
// its tables, their columns with the Jet types, and the rows as typed values.
// OpenJetFile reads a file through libmdb; the import works on this interface
// only, so tests can feed it rows of their own.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <vector>

namespace jet {

// A failure to open or read a Jet file; the message is the operator's, in Italian.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message);
    const QString& message() const { return message_; }

private:
    QString message_;
};

// The Jet column types.
enum class Type {
    Boolean,
    Byte,      // 8-bit unsigned
    Integer,   // 16-bit
    Long,      // 32-bit
    Currency,  // 64-bit count of ten-thousandths
    Single,
    Double,
    DateTime,  // days from 30/12/1899, the fraction the time of day
    Text,
    Memo,
    Binary,
    Ole,
    ReplicationId,
    Numeric,   // Jet 4 decimal
    Other,
};

// The type's name as Access shows it ("Long", "Text", ...).
QString TypeName(Type type);

struct Column {
    QString name;
    Type type = Type::Other;
    int size = 0;  // bytes as stored; for Text the length in characters
};

// One field of a row. Only the member that its kind names is meaningful.
struct Value {
    enum class Kind { Null, Boolean, Integer, Currency, Real, Date, Text, Bytes };
    Kind kind = Kind::Null;
    qint64 integer = 0;  // Boolean (0 or 1), Integer (Byte, Integer, Long), Currency (ten-thousandths)
    double real = 0;     // Real (Single, Double, Numeric), Date (days from 30/12/1899; negative
                         // before it, the fraction always the time of day after midnight)
    QString text;        // Text, Memo
    QByteArray bytes;    // Binary, OLE, replication id

    bool isNull() const { return kind == Kind::Null; }
    static Value null() { return {}; }
    static Value boolean(bool v) { Value x; x.kind = Kind::Boolean; x.integer = v; return x; }
    static Value whole(qint64 v) { Value x; x.kind = Kind::Integer; x.integer = v; return x; }
    static Value currency(qint64 tenThousandths) { Value x; x.kind = Kind::Currency; x.integer = tenThousandths; return x; }
    static Value number(double v) { Value x; x.kind = Kind::Real; x.real = v; return x; }
    static Value date(double days) { Value x; x.kind = Kind::Date; x.real = days; return x; }
    static Value string(const QString& v) { Value x; x.kind = Kind::Text; x.text = v; return x; }
    static Value binary(const QByteArray& v) { Value x; x.kind = Kind::Bytes; x.bytes = v; return x; }
};

using Row = std::vector<Value>;

// One table, read from the first row to the last.
class Table {
public:
    virtual ~Table() = default;
    virtual QString name() const = 0;
    virtual const std::vector<Column>& columns() const = 0;
    // The number of rows the file records for the table.
    virtual qint64 rowCount() const = 0;
    // The rows found by a second walk over the table's data pages, counted
    // from each page's row table apart from the reading of rows; -1 when the
    // pages cannot be walked. Called before the first next() or after the
    // last.
    virtual qint64 pageRowCount() = 0;
    // Fills `row` with the next row, one value per column; false at the end.
    virtual bool next(Row& row) = 0;
};

class Database {
public:
    virtual ~Database() = default;
    // "Jet 3", "Jet 4", "ACE 12", ...
    virtual QString version() const = 0;
    // The user tables, in the order of the file's catalogue.
    virtual QStringList tableNames() const = 0;
    // The table of that name (compared without regard to case); nullptr when
    // there is none. Throws Error when the file cannot be read. Tables share
    // the file's page buffer: read one table to its end before the next.
    virtual std::unique_ptr<Table> openTable(const QString& name) = 0;
};

// Why `path` cannot be read as a Jet file without opening it: missing, a
// folder, a FIFO, a device, a socket, unreadable; empty when it is a
// readable regular file. Nothing is opened, so a FIFO never blocks.
QString FileProblem(const QString& path);

// Opens a Jet file for reading (it is never written). Texts come as UTF-8
// whatever the file's code page. Throws Error when FileProblem() finds one
// or the file is not a Jet database.
std::unique_ptr<Database> OpenJetFile(const QString& path);

}  // namespace jet
