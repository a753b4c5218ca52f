// Columns and creation statements of the three tables of the company database.
#include "store/schema.h"

namespace store {

namespace {

QString createStatement(const QString& table, const std::vector<ColumnDef>& columns)
{
    QStringList parts;
    for (size_t i = 0; i < columns.size(); ++i) {
        QString part = QStringLiteral("\"%1\" %2").arg(columns[i].name, columns[i].type);
        if (i == 0)  // the key: compared without regard to case, like the suite's engine
            part += QStringLiteral(" NOT NULL COLLATE NOCASE PRIMARY KEY");
        parts << part;
    }
    return QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(table, parts.join(QStringLiteral(", ")));
}

}  // namespace

std::vector<ColumnDef> RegisterColumns()
{
    std::vector<ColumnDef> c{{"SspCodice", "VARCHAR(10)"}, {"SspDescrizione", "VARCHAR(30)"}};
    for (const char* reg : {"Arr", "Cus", "Dep"}) {
        const QString r = QString::fromLatin1(reg);
        c.push_back({"Ssp" + r + "Serie", "VARCHAR(2)"});
        c.push_back({"Ssp" + r + "Cron", "INTEGER"});
        c.push_back({"Ssp" + r + "Riga", "INTEGER"});
        c.push_back({"Ssp" + r + "Garanz", "DOUBLE"});
        c.push_back({"Ssp" + r + "Periodo", "SMALLINT"});
        c.push_back({"Ssp" + r + "Data", "DATE"});  // whole days from 30/12/1899
    }
    c.push_back({"SspUltimoCarico", "INTEGER"});
    c.push_back({"SspUltimoScarico", "INTEGER"});
    for (const char* reg : {"A", "C", "D"}) {
        for (int n = 0; n < 5; ++n)
            c.push_back({QStringLiteral("SspWk%1Serie%2").arg(reg).arg(n), "VARCHAR(3)"});
        for (int n = 0; n < 5; ++n)
            c.push_back({QStringLiteral("SspWk%1Cron%2").arg(reg).arg(n), "INTEGER"});
    }
    c.push_back({"SspMagNum", "CHAR(6)"});
    c.push_back({"SspMagCin", "CHAR(1)"});
    c.push_back({"SspMeccanogNum", "INTEGER"});
    c.push_back({"SspMeccanogCin", "CHAR(1)"});
    c.push_back({"SspSiglUC", "VARCHAR(3)"});
    c.push_back({"SspSiglUD", "VARCHAR(3)"});
    return c;
}

QString HeaderField(int block, int line)
{
    static const char letters[] = {'A', 'D', 'C', 'P'};
    return QStringLiteral("TpsRig%1%2").arg(QLatin1Char(letters[block])).arg(line);
}

std::vector<ColumnDef> HeaderColumns()
{
    std::vector<ColumnDef> c{{"TpsCodice", "VARCHAR(10)"}};
    for (int block = 0; block < 4; ++block)
        for (int line = 1; line <= 5; ++line)
            c.push_back({HeaderField(block, line), block == 3 ? "VARCHAR(80)" : "VARCHAR(160)"});
    return c;
}

std::vector<ColumnDef> DocTypeColumns()
{
    return {{"Codice", "VARCHAR(4)"}, {"Descrizione", "VARCHAR(50)"}, {"tipo", "VARCHAR(10)"}};
}

QStringList CreateTableStatements()
{
    return {createStatement(RegisterTable, RegisterColumns()),
            createStatement(HeaderTable, HeaderColumns()),
            createStatement(DocTypeTable, DocTypeColumns())};
}

}  // namespace store
