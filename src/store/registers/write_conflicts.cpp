// The stored versions of a register set and the differences named for the
// operator.
#include "store/registers/write_conflicts.h"

#include "store/engine/null_conversions.h"
#include "store/record/register_fields.h"
#include "store/schema/table_description.h"

#include <QDateTime>

#include <cmath>
#include <variant>

namespace store {

namespace {

// A box lists this many differing fields, then says how many more there are.
constexpr int ListedDifferences = 12;

// A member's value as plain text: a text as it is, a number in figures.
QString PlainText(const MemberValue& member)
{
    return std::visit(
        [](auto* value) -> QString {
            using T = std::remove_cv_t<std::remove_pointer_t<decltype(value)>>;
            if constexpr (std::is_same_v<T, QString>)
                return *value;
            else
                return QString::number(*value);
        },
        member);
}

QString Quoted(const QString& text)
{
    return QLatin1Char('"') + text.trimmed() + QLatin1Char('"');
}

QString DateText(std::int32_t day)
{
    // 0 is no date; a day before it is a date before 30/12/1899.
    return day != 0 ? DateOfDay(day).toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("(nessuna)");
}

class Differences {
public:
    void text(const QString& name, const QString& shown, const QString& stored)
    {
        if (shown != stored)
            lines_ << name + QStringLiteral(": ") + Quoted(stored);
    }
    template <typename Number>
    void number(const QString& name, Number shown, Number stored)
    {
        if (shown != stored)
            lines_ << name + QStringLiteral(": ") + QString::number(stored);
    }
    void amount(const QString& name, double shown, double stored)
    {
        if (shown != stored && !(std::isnan(shown) && std::isnan(stored)))
            lines_ << name + QStringLiteral(": ") + ShownAmount(stored);
    }
    void date(const QString& name, std::int32_t shown, std::int32_t stored)
    {
        if (shown != stored)
            lines_ << name + QStringLiteral(": ") + DateText(stored);
    }
    QStringList lines() const { return lines_; }

private:
    QStringList lines_;
};

}  // namespace

std::optional<RegisterRecord> StoredRegister(TableCursor& registers, const QString& code)
{
    registers.setIndex(PrimaryIndex);
    registers.seek(QStringLiteral("="), code);
    if (registers.noMatch())
        return std::nullopt;
    RegisterRecord record;
    LoadRegister(registers, record);
    return record;
}

std::optional<HeaderLines> StoredHeader(TableCursor& header, const QString& code)
{
    bool found = false;
    HeaderLines lines = ReadHeaderLines(header, code, &found);
    if (!found)
        return std::nullopt;
    return lines;
}

QStringList RegisterDifferences(const RegisterRecord& shown, const RegisterRecord& stored)
{
    Differences d;
    const std::vector<RegisterFieldRow>& fields = RegisterFields();
    const RegisterRecord& a = shown;
    const RegisterRecord& b = stored;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const RegisterFieldRow& field = fields[i];
        if (field.control == FieldControl::Code)
            continue;  // the set's key: the same on both
        if (i + 1 < fields.size() && fields[i + 1].joinsPrevious) {
            // A value and its check character, told as one text.
            d.text(field.name, PlainText(field.value(a)) + PlainText(fields[i + 1].value(a)),
                   PlainText(field.value(b)) + PlainText(fields[i + 1].value(b)));
            ++i;
            continue;
        }
        const bool date = RegisterTableDescription().columns[std::size_t(field.column)].kind == ColumnKind::Date;
        std::visit(
            [&](auto* shownValue) {
                using T = std::remove_pointer_t<decltype(shownValue)>;
                const T& storedValue = *std::get<T*>(field.value(b));
                if constexpr (std::is_same_v<T, const QString>)
                    d.text(field.name, *shownValue, storedValue);
                else if constexpr (std::is_same_v<T, const double>)
                    d.amount(field.name, *shownValue, storedValue);
                else if (date)
                    d.date(field.name, *shownValue, storedValue);
                else
                    d.number(field.name, *shownValue, storedValue);
            },
            field.value(a));
    }
    return d.lines();
}

std::vector<bool> DifferingColumns(const RegisterRecord& shown, const RegisterRecord& stored)
{
    std::vector<bool> columns(std::size_t(RegisterColumns::Count), false);
    for (const RegisterFieldRow& field : RegisterFields())
        columns[std::size_t(field.column)] = std::visit(
            [&](auto* shownValue) {
                using T = std::remove_pointer_t<decltype(shownValue)>;
                const T& storedValue = *std::get<T*>(field.value(stored));
                if constexpr (std::is_same_v<T, const double>)
                    if (std::isnan(*shownValue) && std::isnan(storedValue))
                        return false;  // NaN kept as it was
                return !(*shownValue == storedValue);
            },
            field.value(shown));
    return columns;
}

QStringList HeaderDifferences(const HeaderLines& shown, const HeaderLines& stored)
{
    Differences d;
    for (int block = 0; block < HeaderColumns::Blocks; ++block)
        for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line) {
            const int i = HeaderLineIndex(block, line);
            d.text(HeaderLineName(block, line), shown[i], stored[i]);
        }
    return d.lines();
}

QString LastChangeText(Database& database, const QString& code)
{
    namespace H = HistoryColumns;
    try {
        const TableDescription& table = HistoryTableDescription();
        auto rows = database.openSnapshot(table.name, table.columnName(H::Codice), code);
        const int id = rows->fieldIndex(table.columnName(H::Id));
        const int codeAt = rows->fieldIndex(table.columnName(H::Codice));
        const int action = rows->fieldIndex(table.columnName(H::Azione));
        qlonglong last = -1;
        QDateTime when;
        QString user, host, role;
        for (; !rows->atEnd(); rows->moveNext()) {
            // The pattern's wildcards match other codes too; a page print is no change.
            if (rows->field(codeAt).toString().compare(code, Qt::CaseInsensitive) != 0 ||
                rows->field(action).toString().contains(QLatin1String("stampa")))
                continue;
            const qlonglong number = rows->field(id).toLongLong();
            if (number <= last)
                continue;
            last = number;
            when = QDateTime::fromString(rows->field(table.columnName(H::Quando)).toString(), Qt::ISODateWithMs);
            user = rows->field(table.columnName(H::Utente)).toString();
            host = rows->field(table.columnName(H::Postazione)).toString();
            // A history made before the server's role was kept has no such column.
            role = rows->fieldIndex(table.columnName(H::Ruolo)) >= 0
                       ? rows->field(table.columnName(H::Ruolo)).toString()
                       : QString();
        }
        if (last < 0)
            return {};
        const QString time = when.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        if (!role.isEmpty())
            return QStringLiteral("ULTIMA MODIFICA: %1, DAL RUOLO %2 (POSTAZIONE %3)").arg(time, role, host);
        return QStringLiteral("ULTIMA MODIFICA: %1, DALLA POSTAZIONE %2 (UTENTE %3)").arg(time, host, user);
    } catch (const EngineError&) {
        return {};  // a company without the history: the box says what it can
    }
}

QString DifferenceLines(const QStringList& differences)
{
    QString text;
    for (int i = 0; i < differences.size() && i < ListedDifferences; ++i)
        text += QStringLiteral("  ") + differences[i] + QLatin1Char('\n');
    if (differences.size() > ListedDifferences)
        text += QStringLiteral("  ... E ALTRI %1 CAMPI\n").arg(differences.size() - ListedDifferences);
    return text;
}

}  // namespace store
