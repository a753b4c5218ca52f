// The rows of the register-field table and the history's names for columns.
#include "store/record/register_fields.h"

#include "store/record/screen_fields.h"
#include "store/schema/table_description.h"

#include <QHash>
#include <QSet>

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
    t.add(C::Text, Field::UltimoCarico, R::UltimoCarico, QStringLiteral("ULT. CARICO"), none, "Ult. Carico",
          K::Digits, [](auto& r) { return &r.SspUltimoCarico; });
    t.add(C::Text, Field::UltimoScarico, R::UltimoScarico, QStringLiteral("ULT. SCARICO"), none,
          "Ult. Scarico", K::Digits, [](auto& r) { return &r.SspUltimoScarico; });
    t.add(C::Text, Field::MagNum, R::MagNum, QStringLiteral("MAGAZZINO"), none, "Magazzino", K::UpperCase,
          [](auto& r) { return &r.SspMagNum; });
    t.add(C::Text, Field::MagCin, R::MagCin, QStringLiteral("MAGAZZINO CIN"), none, "Magazzino (cin)",
          K::UpperCase, [](auto& r) { return &r.SspMagCin; }, false, true);
    t.add(C::Text, Field::SiglUC, R::SiglUC, QStringLiteral("SIGLA PER USCITA C"),
          RegisterName(Custodia), "Sigla per uscita", K::UpperCase,
          [](auto& r) { return &r.SspSiglUC; });
    t.add(C::Text, Field::SiglUD, R::SiglUD, QStringLiteral("SIGLA PER USCITA D"),
          RegisterName(Deposito), "Sigla per uscita", K::UpperCase,
          [](auto& r) { return &r.SspSiglUD; });
    // The authorisation's number takes any key, as its check character does.
    t.add(C::Text, Field::MeccanogNum, R::MeccanogNum, QStringLiteral("AUTORIZZAZIONE COD. MECCANOGR."), none,
          "Autorizzazione Cod. meccanogr.", K::UpperCase,
          [](auto& r) { return &r.SspMeccanogNum; });
    t.add(C::Text, Field::MeccanogCin, R::MeccanogCin, QStringLiteral("AUTORIZZAZIONE COD. MECCANOGR. CIN"), none,
          "Autorizzazione Cod. meccanogr. (cin)", K::UpperCase,
          [](auto& r) { return &r.SspMeccanogCin; }, false, true);
    return std::move(t.rows);
}

}  // namespace

QString FieldTableProblem(const std::vector<RegisterFieldRow>& rows)
{
    QSet<int> columns, texts;
    QSet<std::pair<int, int>> lists;
    for (const RegisterFieldRow& row : rows) {
        const QString which = QStringLiteral("the field \"%1\" (column %2, index %3)")
                                  .arg(row.name).arg(row.column).arg(row.index);
        if (row.name.isEmpty() || row.caption.isEmpty() || !row.member || !row.value)
            return which + QStringLiteral(" lacks its name, caption or member");
        if (row.column < 0 || row.column >= int(RegisterTableDescription().columns.size()))
            return which + QStringLiteral(": no such column in the table description");
        if (columns.contains(row.column))
            return which + QStringLiteral(": its column is shown by another field too");
        columns.insert(row.column);
        if (row.control == FieldControl::Text) {
            if (row.index < Field::First || row.index > Field::Last)
                return which + QStringLiteral(": the index lies outside Txt(%1) to Txt(%2) "
                                              "(raise Field::Last in screen_fields.h)")
                                   .arg(Field::First)
                                   .arg(Field::Last);
            if (row.index >= Field::FirstHeaderLine && row.index <= Field::LastHeaderLine)
                return which + QStringLiteral(": the index is a header line's");
            if (texts.contains(row.index))
                return which + QStringLiteral(": another field has this index");
            texts.insert(row.index);
        } else if (row.control != FieldControl::Code) {
            if (row.index < 0 || row.index > 2 || lists.contains({int(row.control), row.index}))
                return which + QStringLiteral(": a period control outside 0 to 2, or taken twice");
            lists.insert({int(row.control), row.index});
        }
    }
    if (columns.size() != qsizetype(RegisterTableDescription().columns.size()))
        return QStringLiteral("a column of %1 is shown by no field").arg(RegisterTable);
    for (int i = Field::First; i <= Field::Last; ++i)
        if ((i < Field::FirstHeaderLine || i > Field::LastHeaderLine) && !texts.contains(i))
            return QStringLiteral("Txt(%1) is shown by no field (lower Field::Last in screen_fields.h, "
                                  "or add its row)")
                .arg(i);
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

QString ColumnOperatorName(const QString& column)
{
    static const auto names = [] {
        QHash<QString, QString> map;
        const TableDescription& registers = RegisterTableDescription();
        for (const RegisterFieldRow& row : RegisterFields())
            map.insert(registers.columnName(row.column).toLower(), row.name);
        const TableDescription& header = HeaderTableDescription();
        map.insert(header.columnName(HeaderColumns::Code).toLower(), QStringLiteral("TESTATA CODICE"));
        for (int block = 0; block < HeaderColumns::Blocks; ++block)
            for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line)
                map.insert(HeaderField(block, line).toLower(), HeaderLineName(block, line));
        return map;
    }();
    return names.value(column.toLower(), column);
}

}  // namespace store
