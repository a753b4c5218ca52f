// The stored versions of a register set and the differences named for the
// operator.
#include "store/write_conflicts.h"

#include "store/null_conversions.h"
#include "store/table_description.h"

namespace store {

namespace {

// A box lists this many differing fields, then says how many more there are.
constexpr int ListedDifferences = 12;

const char* const RegisterNames[3] = {"ARRIVI", "CUSTODIA", "DEPOSITO"};
const char* const HeaderBlockNames[4] = {"ARRIVI", "DEPOSITO", "CUSTODIA", "PREAVVISO"};

QString Quoted(const QString& text)
{
    return QLatin1Char('"') + text.trimmed() + QLatin1Char('"');
}

QString DateText(std::int32_t day)
{
    return day > 0 ? DateOfDay(day).toString(QStringLiteral("dd/MM/yyyy")) : QStringLiteral("(nessuna)");
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
        if (shown != stored)
            lines_ << name + QStringLiteral(": ") + FormatAmount(stored);
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
    d.text(QStringLiteral("DESCRIZIONE"), shown.SspDescrizione, stored.SspDescrizione);
    for (int k = 0; k < 3; ++k) {
        const auto& a = shown.Registers[k];
        const auto& b = stored.Registers[k];
        const QString reg = QString::fromLatin1(RegisterNames[k]) + QLatin1Char(' ');
        d.text(reg + QStringLiteral("SERIE"), a.Serie, b.Serie);
        d.number(reg + QStringLiteral("ULT. CRONOL."), a.Cron, b.Cron);
        for (int n = 0; n < 5; ++n) {
            const QString doc = reg + QStringLiteral("DOCUM. %1").arg(n + 1);
            d.text(doc, a.WkSerie[n], b.WkSerie[n]);
            d.number(doc + QStringLiteral(" NUMERO"), a.WkCron[n], b.WkCron[n]);
        }
        d.number(reg + QStringLiteral("RIGA"), a.Riga, b.Riga);
        d.amount(reg + QStringLiteral("GARANZIA"), a.Garanz, b.Garanz);
        d.number(reg + QStringLiteral("PERIODO MESI"), a.Periodo, b.Periodo);
        d.date(reg + QStringLiteral("PERIODO DAL"), a.Data, b.Data);
    }
    d.number(QStringLiteral("ULT. CARICO"), shown.SspUltimoCarico, stored.SspUltimoCarico);
    d.number(QStringLiteral("ULT. SCARICO"), shown.SspUltimoScarico, stored.SspUltimoScarico);
    d.text(QStringLiteral("MAGAZZINO"), shown.SspMagNum + shown.SspMagCin,
           stored.SspMagNum + stored.SspMagCin);
    d.text(QStringLiteral("SIGLA PER USCITA C"), shown.SspSiglUC, stored.SspSiglUC);
    d.text(QStringLiteral("SIGLA PER USCITA D"), shown.SspSiglUD, stored.SspSiglUD);
    d.text(QStringLiteral("AUTORIZZAZIONE COD. MECCANOGR."),
           QString::number(shown.SspMeccanogNum) + shown.SspMeccanogCin,
           QString::number(stored.SspMeccanogNum) + stored.SspMeccanogCin);
    return d.lines();
}

QStringList HeaderDifferences(const HeaderLines& shown, const HeaderLines& stored)
{
    Differences d;
    for (int block = 0; block < HeaderColumns::Blocks; ++block)
        for (int line = 1; line <= HeaderColumns::LinesPerBlock; ++line) {
            const int i = HeaderLineIndex(block, line);
            d.text(QStringLiteral("TESTATA %1 RIGA %2").arg(QLatin1String(HeaderBlockNames[block])).arg(line),
                   shown[i], stored[i]);
        }
    return d.lines();
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
