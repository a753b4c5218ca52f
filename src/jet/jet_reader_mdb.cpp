// The Jet reader over libmdb (mdbtools): the library walks the file's pages,
// converts the texts to UTF-8 and hands over each field's place in the row;
// numbers and dates are taken from there with the library's own accessors,
// so nothing is lost to a printed form.
#include "jet/jet_reader.h"

#include <mdbtools.h>

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace jet {

Error::Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}

QString TypeName(Type type)
{
    switch (type) {
    case Type::Boolean: return QStringLiteral("Boolean");
    case Type::Byte: return QStringLiteral("Byte");
    case Type::Integer: return QStringLiteral("Integer");
    case Type::Long: return QStringLiteral("Long");
    case Type::Currency: return QStringLiteral("Currency");
    case Type::Single: return QStringLiteral("Single");
    case Type::Double: return QStringLiteral("Double");
    case Type::DateTime: return QStringLiteral("DateTime");
    case Type::Text: return QStringLiteral("Text");
    case Type::Memo: return QStringLiteral("Memo");
    case Type::Binary: return QStringLiteral("Binary");
    case Type::Ole: return QStringLiteral("OLE");
    case Type::ReplicationId: return QStringLiteral("ReplicationID");
    case Type::Numeric: return QStringLiteral("Numeric");
    case Type::Other: break;
    }
    return QStringLiteral("?");
}

namespace {

// Room for one text or memo value in UTF-8. Jet texts hold at most 255
// characters; memos are longer, and one that does not fit is refused rather
// than cut.
constexpr size_t BindSize = size_t(1) << 20;

// The low bits of a row's start in the page's row table are its offset; the
// high bits are the row's flags (libmdb masks them the same way).
constexpr int RowOffsetMask = 0x1fff;
// A row table entry with this bit set is a deleted row (or the moved body of
// a row counted where it first stood).
constexpr int DeletedRowFlag = 0x8000;
// The type of a data page, its first byte.
constexpr unsigned char DataPage = 0x01;

Type typeOf(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL: return Type::Boolean;
    case MDB_BYTE: return Type::Byte;
    case MDB_INT: return Type::Integer;
    case MDB_LONGINT: return Type::Long;
    case MDB_MONEY: return Type::Currency;
    case MDB_FLOAT: return Type::Single;
    case MDB_DOUBLE: return Type::Double;
    case MDB_DATETIME: return Type::DateTime;
    case MDB_TEXT: return Type::Text;
    case MDB_MEMO: return Type::Memo;
    case MDB_BINARY: return Type::Binary;
    case MDB_OLE: return Type::Ole;
    case MDB_REPID: return Type::ReplicationId;
    case MDB_NUMERIC: return Type::Numeric;
    default: return Type::Other;
    }
}

class MdbTable : public Table {
public:
    MdbTable(MdbHandle* mdb, MdbTableDef* table) : mdb_(mdb), table_(table)
    {
        mdb_read_columns(table_);
        mdb_rewind_table(table_);
        // The library keeps pointers into these: they are sized once, here.
        bound_.resize(table_->num_cols);
        lengths_.assign(table_->num_cols, 0);
        fields_.resize(table_->num_cols);
        for (unsigned i = 0; i < table_->num_cols; ++i) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
            Column column{QString::fromUtf8(col->name), typeOf(col->col_type), col->col_size};
            if (column.type == Type::Text && mdb_->f->jet_version != MDB_VER_JET3)
                column.size /= 2;  // two bytes a character from Jet 4 on
            columns_.push_back(column);
            if (column.type == Type::Text || column.type == Type::Memo || column.type == Type::Ole) {
                // Left uninitialised: the pages are touched only as far as a value reaches.
                bound_[i].reset(new char[BindSize]);
                bound_[i][0] = '\0';
                mdb_bind_column(table_, int(i) + 1, bound_[i].get(), &lengths_[i]);
            }
        }
    }

    ~MdbTable() override { mdb_free_tabledef(table_); }

    QString name() const override { return QString::fromUtf8(table_->name); }
    const std::vector<Column>& columns() const override { return columns_; }
    qint64 rowCount() const override { return table_->num_rows; }

    qint64 pageRowCount() override
    {
        const qint64 pageSize = mdb_->fmt->pg_size;
        const int countAt = mdb_->fmt->row_count_offset;
        struct stat file {};
        if (pageSize <= 0 || ::fstat(::fileno(mdb_->f->stream), &file) != 0)
            return -1;
        const qint64 pages = qint64(file.st_size) / pageSize;
        // The pages the table's map names (a freed page keeps its owner in
        // its header, so the owner alone does not tell a table's pages).
        std::vector<quint32> listed;
        for (gint32 page = mdb_map_find_next(mdb_, table_->usage_map, unsigned(table_->map_sz), 0);
             page > 0 && page < pages && qint64(listed.size()) < pages;
             page = mdb_map_find_next(mdb_, table_->usage_map, unsigned(table_->map_sz), guint32(page)))
            listed.push_back(quint32(page));
        const quint32 owner = quint32(table_->entry->table_pg);
        qint64 rows = 0;
        // Each page read on its own into the library's second buffer, which
        // the row reading does not hold between rows; its rows counted from
        // its row table, without the library's row reading.
        for (const quint32 page : listed) {
            if (mdb_read_alt_pg(mdb_, page) != pageSize)
                return -1;
            if (mdb_->alt_pg_buf[0] != DataPage || quint32(mdb_get_int32(mdb_->alt_pg_buf, 4)) != owner)
                continue;
            const int entries = mdb_get_int16(mdb_->alt_pg_buf, countAt);
            if (entries < 0 || countAt + 2 + 2 * qint64(entries) > pageSize)
                continue;  // not a page of rows whatever its header says
            for (int i = 0; i < entries; ++i)
                if (!(mdb_get_int16(mdb_->alt_pg_buf, countAt + 2 + 2 * i) & DeletedRowFlag))
                    ++rows;
        }
        return rows;
    }

    bool next(Row& row) override
    {
        if (!mdb_fetch_row(table_))
            return false;
        const std::vector<bool> nulls = nullFlags();
        row.assign(columns_.size(), Value());
        for (size_t i = 0; i < columns_.size(); ++i)
            row[i] = value(i, nulls[i]);
        return true;
    }

private:
    // The Null flags of the row just fetched. The bound values cannot tell an
    // empty text from Null, so the row is split again into its fields.
    std::vector<bool> nullFlags()
    {
        std::vector<bool> nulls(columns_.size(), false);
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb_, int(table_->cur_row) - 1, &start, &size) != 0)
            throw Error(QStringLiteral("riga illeggibile nella tabella %1").arg(name()));
        const int count = mdb_crack_row(table_, start & RowOffsetMask, size, fields_.data());
        if (count < 0)
            throw Error(QStringLiteral("riga illeggibile nella tabella %1").arg(name()));
        for (int f = 0; f < count; ++f) {
            const int column = fields_[f].colnum;
            if (column >= 0 && column < int(nulls.size()))
                nulls[column] = fields_[f].is_null;
        }
        return nulls;
    }

    Value value(size_t i, bool null)
    {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
        const Type type = columns_[i].type;
        // A Boolean has no Null: its Null flag is its value (set means False).
        if (type == Type::Boolean)
            return Value::boolean(!null);
        if (null)
            return Value::null();
        const int start = col->cur_value_start;
        void* page = mdb_->pg_buf;
        switch (type) {
        case Type::Byte: return Value::whole(mdb_get_byte(page, start));
        case Type::Integer: return Value::whole(qint16(mdb_get_int16(page, start)));
        case Type::Long: return Value::whole(qint32(mdb_get_int32(page, start)));
        case Type::Single: return Value::number(double(mdb_get_single(page, start)));
        case Type::Double: return Value::number(mdb_get_double(page, start));
        case Type::DateTime: return Value::date(mdb_get_double(page, start));
        case Type::Currency: {
            // A 64-bit count of ten-thousandths, read as its two 32-bit halves
            // (the library's own text of it is not safe on every value).
            const quint32 low = quint32(mdb_get_int32(page, start));
            const qint64 high = qint32(mdb_get_int32(page, start + 4));
            return Value::currency(qint64(quint64(high) << 32 | low));
        }
        case Type::Numeric: {
            char* text = mdb_numeric_to_string(mdb_, start, col->col_scale, col->col_prec);
            const double number = QByteArray(text).toDouble();
            g_free(text);
            return Value::number(number);
        }
        case Type::Text:
        case Type::Memo: {
            const size_t length = std::strlen(bound_[i].get());
            if (length + 8 >= BindSize)
                throw Error(QStringLiteral("testo troppo lungo nella colonna %1 della tabella %2")
                                .arg(columns_[i].name, name()));
            return Value::string(QString::fromUtf8(bound_[i].get(), qsizetype(length)));
        }
        case Type::Ole: {
            if (col->cur_value_len == 0)
                return Value::binary({});
            size_t size = 0;
            void* data = mdb_ole_read_full(mdb_, col, &size);
            QByteArray bytes(static_cast<const char*>(data), qsizetype(size));
            free(data);
            return Value::binary(bytes);
        }
        default:
            return Value::binary(QByteArray(reinterpret_cast<const char*>(mdb_->pg_buf) + start,
                                            col->cur_value_len));
        }
    }

    MdbHandle* mdb_;
    MdbTableDef* table_;
    std::vector<Column> columns_;
    std::vector<std::unique_ptr<char[]>> bound_;
    std::vector<int> lengths_;
    std::vector<MdbField> fields_;
};

class MdbDatabase : public Database {
public:
    explicit MdbDatabase(MdbHandle* mdb) : mdb_(mdb) {}
    ~MdbDatabase() override { mdb_close(mdb_); }

    QString version() const override
    {
        switch (mdb_->f->jet_version) {
        case MDB_VER_JET3: return QStringLiteral("Jet 3");
        case MDB_VER_JET4: return QStringLiteral("Jet 4");
        case MDB_VER_ACCDB_2007: return QStringLiteral("ACE 12");
        case MDB_VER_ACCDB_2010: return QStringLiteral("ACE 14");
        case MDB_VER_ACCDB_2013: return QStringLiteral("ACE 15");
        case MDB_VER_ACCDB_2016: return QStringLiteral("ACE 16");
        case MDB_VER_ACCDB_2019: return QStringLiteral("ACE 17");
        default: return QStringLiteral("sconosciuta (%1)").arg(mdb_->f->jet_version);
        }
    }

    QStringList tableNames() const override
    {
        QStringList names;
        for (MdbCatalogEntry* entry : userTables())
            names << QString::fromUtf8(entry->object_name);
        return names;
    }

    std::unique_ptr<Table> openTable(const QString& name) override
    {
        for (MdbCatalogEntry* entry : userTables()) {
            if (QString::fromUtf8(entry->object_name).compare(name, Qt::CaseInsensitive) != 0)
                continue;
            MdbTableDef* table = mdb_read_table(entry);
            if (!table)
                throw Error(QStringLiteral("impossibile leggere la tabella %1").arg(name));
            return std::make_unique<MdbTable>(mdb_, table);
        }
        return nullptr;
    }

private:
    std::vector<MdbCatalogEntry*> userTables() const
    {
        std::vector<MdbCatalogEntry*> tables;
        for (unsigned i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
                tables.push_back(entry);
        }
        return tables;
    }

    MdbHandle* mdb_;
};

}  // namespace

QString FileProblem(const QString& path)
{
    struct stat file {};
    if (::stat(QFile::encodeName(path).constData(), &file) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return QStringLiteral("il file %1 non esiste").arg(path);
        return QStringLiteral("il file %1 non è leggibile (errore %2)").arg(path).arg(errno);
    }
    if (S_ISDIR(file.st_mode))
        return QStringLiteral("%1 è una cartella, non un file Jet").arg(path);
    if (S_ISFIFO(file.st_mode))
        return QStringLiteral("%1 è una FIFO (pipe con nome), non un file Jet").arg(path);
    if (S_ISCHR(file.st_mode) || S_ISBLK(file.st_mode))
        return QStringLiteral("%1 è un dispositivo, non un file Jet").arg(path);
#ifdef S_ISSOCK  // no sockets among Windows' files
    if (S_ISSOCK(file.st_mode))
        return QStringLiteral("%1 è un socket, non un file Jet").arg(path);
#endif
    if (!S_ISREG(file.st_mode))
        return QStringLiteral("%1 non è un file regolare").arg(path);
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return QStringLiteral("il file %1 non è leggibile").arg(path);
    return {};
}

std::unique_ptr<Database> OpenJetFile(const QString& path)
{
    if (const QString problem = FileProblem(path); !problem.isEmpty())
        throw Error(problem);
    // libmdb converts texts to the character set named by MDBICONV, UTF-8
    // when it is unset.
    qunsetenv("MDBICONV");
    MdbHandle* mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    if (!mdb)
        throw Error(QStringLiteral("il file %1 non è un database Jet (Access)").arg(path));
    if (!mdb_read_catalog(mdb, MDB_ANY)) {
        mdb_close(mdb);
        throw Error(QStringLiteral("impossibile leggere il catalogo del file %1").arg(path));
    }
    // Every Jet file lists its own system tables in its catalogue: one that
    // lists none has lost the catalogue's pages, and would pass for a file
    // without tables.
    bool catalogued = false;
    for (unsigned i = 0; i < mdb->num_catalog && !catalogued; ++i) {
        const auto* entry = static_cast<const MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        catalogued = entry->object_type == MDB_TABLE
            && QString::fromUtf8(entry->object_name).compare(QLatin1String("MSysObjects"), Qt::CaseInsensitive) == 0;
    }
    if (!catalogued) {
        mdb_close(mdb);
        throw Error(QStringLiteral("il file %1 è danneggiato: il suo catalogo delle tabelle non si può leggere "
                                   "(manca perfino la tabella di sistema MSysObjects)")
                        .arg(path));
    }
    return std::make_unique<MdbDatabase>(mdb);
}

}  // namespace jet
