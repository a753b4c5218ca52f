// The rows of the register-field table and the history's names for columns.
#include "store/record/register_fields.h"

#include "store/record/screen_fields.h"
#include "store/schema/table_description.h"

#include <QHash>
#include <QSet>

#include <iterator>

namespace store {

namespace {

namespace R = RegisterColumns;

// Characters a number field takes: six figures, and an amount's sixteen
// ("9.999.999.999,99").
constexpr int NumberLength = 6;
constexpr int AmountLength = 16;

const char* const RegisterNames[3] = {"ARRIVI", "CUSTODIA", "DEPOSITO"};
// The header blocks in their order, by register (the pre-advice has none).
constexpr int HeaderBlockRegister[3] = {Arrivi, Deposito, Custodia};

class TableBuilder {
public:
    // `pick` gives the member's address from a record, const or not.
    template <typename Pick>
    void add(FieldControl control, int index, int column, const QString& name, const QString& heading,
             const QString& caption, KeyClass keys, Pick pick, bool verbatim = false, bool joinsPrevious = false)
    {
        const ColumnDescription& description = RegisterTableDescription().columns[std::size_t(column)];
        int length = description.length;
        if (description.kind == ColumnKind::Double)
            length = AmountLength;
        else if (description.kind != ColumnKind::Text && description.kind != ColumnKind::FixedText)
            length = control == FieldControl::Text ? NumberLength : 0;
        rows.push_back({control, index, column, name, heading, caption, keys, length,
                        [pick](RegisterRecord& r) -> MemberTarget { return pick(r); },
                        [pick](const RegisterRecord& r) -> MemberValue { return pick(r); }, verbatim,
                        joinsPrevious});
    }
    std::vector<RegisterFieldRow> rows;
};

std::vector<RegisterFieldRow> buildFields()
{
    using C = FieldControl;
    using K = KeyClass;
    TableBuilder t;
    const QString none;
    t.add(C::Code, 0, R::Code, QStringLiteral("CODICE"), none, "Codice", K::UpperCase,
          [](auto& r) { return &r.SspCodice; }, true);
    t.add(C::Text, Field::Description, R::Description, QStringLiteral("DESCRIZIONE"), none, "Descrizione",
          K::UpperCase, [](auto& r) { return &r.SspDescrizione; }, true);
    for (int k = 0; k < 3; ++k) {
        const QString heading = RegisterName(k);
        const QString reg = heading + QLatin1Char(' ');
        auto of = [k](auto& r) -> auto& { return r.Registers[std::size_t(k)]; };
        t.add(C::Text, Field::Serie(k), R::Of(k, R::Serie), reg + QStringLiteral("SERIE"), heading, "Serie",
              K::UpperCase, [of](auto& r) { return &of(r).Serie; });
        t.add(C::Text, Field::Cron(k), R::Of(k, R::Cron), reg + QStringLiteral("ULT. CRONOL."), heading,
              "Ult. Cronol.", K::Digits, [of](auto& r) { return &of(r).Cron; });
        for (int n = 0; n < Field::WorkPositions; ++n) {
            const QString doc = reg + QStringLiteral("DOCUM. %1").arg(n + 1);
            const std::size_t at = std::size_t(n);
            t.add(C::Text, Field::WorkSerie(k, n), R::WorkSerie(k, n), doc, heading,
                  QStringLiteral("Docum. %1").arg(n + 1), K::UpperCase,
                  [of, at](auto& r) { return &of(r).WkSerie[at]; });
            t.add(C::Text, Field::WorkCron(k, n), R::WorkCron(k, n), doc + QStringLiteral(" NUMERO"), heading,
                  QStringLiteral("Docum. %1 numero").arg(n + 1), K::Digits,
                  [of, at](auto& r) { return &of(r).WkCron[at]; });
        }
        t.add(C::Text, Field::Riga(k), R::Of(k, R::Riga), reg + QStringLiteral("RIGA"), heading, "Riga",
              K::Digits, [of](auto& r) { return &of(r).Riga; });
        t.add(C::Text, Field::Garanz(k), R::Of(k, R::Garanz), reg + QStringLiteral("GARANZIA"), heading,
              "Garanzia", K::Decimal, [of](auto& r) { return &of(r).Garanz; });
        t.add(C::Months, k, R::Of(k, R::Periodo), reg + QStringLiteral("PERIODO MESI"), heading,
              "Periodi: mesi", K::None, [of](auto& r) { return &of(r).Periodo; });
        t.add(C::Picker, k, R::Of(k, R::Data), reg + QStringLiteral("PERIODO DAL"), heading, "Periodi: dal",
              K::None, [of](auto& r) { return &of(r).Data; });
    }
    for (std::size_t i = 0; i < std::size(SingleFields); ++i) {
        const SingleFieldRow& f = SingleFields[i];
        const QString heading = f.heading < 0 ? none : RegisterName(f.heading);
        std::visit(
            [&](auto pointer) {
                t.add(C::Text, Field::FirstSingle + int(i), f.column, QString::fromUtf8(f.name), heading,
                      QString::fromUtf8(f.caption), f.keys, [pointer](auto& r) { return &(r.*pointer); }, false,
                      f.joinsPrevious);
            },
            f.member);
    }
    return std::move(t.rows);
}

}  // namespace

QString FieldTableProblem(const std::vector<RegisterFieldRow>& rows, const TableDescription& table)
{
    QSet<int> columns, texts;
    QSet<std::pair<int, int>> lists;
    for (const RegisterFieldRow& row : rows) {
        const QString which = QStringLiteral("il campo \"%1\" (colonna %2, indice %3)")
                                  .arg(row.name).arg(row.column).arg(row.index);
        if (row.name.isEmpty() || row.caption.isEmpty() || !row.member || !row.value)
            return which + QStringLiteral(" non ha il nome, la didascalia o il campo del record");
        if (row.column < 0 || row.column >= int(table.columns.size()))
            return which + QStringLiteral(": la colonna non esiste nella tabella %1").arg(table.name);
        if (columns.contains(row.column))
            return which + QStringLiteral(": la sua colonna è mostrata anche da un altro campo");
        columns.insert(row.column);
        if (row.control == FieldControl::Text) {
            if (row.index < Field::First || row.index > Field::Last)
                return which + QStringLiteral(": l'indice è fuori da Txt(%1) - Txt(%2), i controlli della "
                                              "finestra (una riga di SingleFields per ogni campo aggiunto)")
                                   .arg(Field::First)
                                   .arg(Field::Last);
            if (row.index >= Field::FirstHeaderLine && row.index <= Field::LastHeaderLine)
                return which + QStringLiteral(": l'indice è quello di una riga di testata");
            if (texts.contains(row.index))
                return which + QStringLiteral(": un altro campo ha lo stesso indice");
            texts.insert(row.index);
        } else if (row.control != FieldControl::Code) {
            if (row.index < 0 || row.index > 2 || lists.contains({int(row.control), row.index}))
                return which + QStringLiteral(": un controllo del periodo fuori da 0 - 2, o preso due volte");
            lists.insert({int(row.control), row.index});
        }
    }
    for (int column = 0; column < int(table.columns.size()); ++column)
        if (!columns.contains(column))
            return QStringLiteral("la colonna %1 di %2 non è mostrata da nessun campo")
                .arg(table.columnName(column), table.name);
    for (int i = Field::First; i <= Field::Last; ++i)
        if ((i < Field::FirstHeaderLine || i > Field::LastHeaderLine) && !texts.contains(i))
            return QStringLiteral("Txt(%1) non è mostrato da nessun campo").arg(i);
    return QString();
}

const std::vector<RegisterFieldRow>& RegisterFields()
{
    static const std::vector<RegisterFieldRow> rows = buildFields();
    return rows;
}

const RegisterFieldRow* FieldOfColumn(int column)
{
    static const auto byColumn = [] {
        QHash<int, const RegisterFieldRow*> map;
        for (const RegisterFieldRow& row : RegisterFields())
            map.insert(row.column, &row);
        return map;
    }();
    return byColumn.value(column, nullptr);
}

const RegisterFieldRow* FieldOfText(int index)
{
    static const auto byIndex = [] {
        QHash<int, const RegisterFieldRow*> map;
        for (const RegisterFieldRow& row : RegisterFields())
            if (row.control == FieldControl::Text)
                map.insert(row.index, &row);
        return map;
    }();
    return byIndex.value(index, nullptr);
}

QString RegisterName(int k)
{
    return k >= 0 && k < 3 ? QString::fromLatin1(RegisterNames[k]) : QString();
}

QString HeaderBlockName(int block)
{
    if (block == 3)
        return QStringLiteral("PREAVVISO");
    return block >= 0 && block < 3 ? RegisterName(HeaderBlockRegister[block]) : QString();
}

QString HeaderLineName(int block, int line)
{
    return QStringLiteral("TESTATA %1 RIGA %2").arg(HeaderBlockName(block)).arg(line);
}

QString ColumnOperatorName(const QString& column, const std::vector<RegisterFieldRow>& fields,
                           const TableDescription& registers)
{
    auto names = [&] {
        QHash<QString, QString> map;
        for (const RegisterFieldRow& row : fields)
            map.insert(registers.columnName(row.column).toLower(), row.name);
        const TableDescription& header = HeaderTableDescription();
        map.insert(header.columnName(HeaderColumns::Code).toLower(), QStringLiteral("TESTATA CODICE"));
        for (int block = 0; block < HeaderColumns::Blocks; ++block)
            for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line)
                map.insert(HeaderField(block, line).toLower(), HeaderLineName(block, line));
        return map;
    };
    // The history names every column of every change: the real table's
    // names are made once.
    if (&fields == &RegisterFields() && &registers == &RegisterTableDescription()) {
        static const QHash<QString, QString> real = names();
        return real.value(column.toLower(), column);
    }
    return names().value(column.toLower(), column);
}

}  // namespace store
