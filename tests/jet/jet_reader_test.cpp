// The Jet reader on the two sample files: every table read value by value as
// mdb-export prints it, the texts and table names with accents, and the dates
// that mdb-export cannot print (before 1900, year 9999) read whole.
#include "jet/jet_reader.h"
#include "support/jet_samples.h"

#include <QDate>
#include <QDateTime>
#include <QProcess>

#include <cmath>
#include <map>
#include <set>

namespace {

using testing_support::JetSample;
using Kind = jet::Value::Kind;

struct Field {
    QString text;
    bool quoted = false;
};

// mdb-export's CSV: fields quoted with '"', a quote inside doubled, rows
// ended by a line feed outside quotes.
std::vector<std::vector<Field>> ParseCsv(const QString& csv)
{
    std::vector<std::vector<Field>> rows(1, std::vector<Field>(1));
    bool inQuotes = false;
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar c = csv[i];
        Field& field = rows.back().back();
        if (c == u'"' && inQuotes && i + 1 < csv.size() && csv[i + 1] == u'"') {
            field.text += csv[++i];
        } else if (c == u'"') {
            inQuotes = !inQuotes;
            field.quoted = true;
        } else if (inQuotes || (c != u',' && c != u'\n')) {
            field.text += c;
        } else if (c == u',') {
            rows.back().emplace_back();
        } else {
            rows.emplace_back(1);
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].text.isEmpty() && !rows.back()[0].quoted)
        rows.pop_back();  // nothing after the last line feed
    return rows;
}

const char* const DateFormat = "%Y-%m-%d %H:%M:%S";

// The text mdb-export prints for a value; empty when it cannot print it
// (dates before 30/12/1899 or after about 2700).
QString Exported(const jet::Value& value)
{
    switch (value.kind) {
    case Kind::Null: return QStringLiteral("N");
    case Kind::Boolean:
    case Kind::Integer: return QString::number(value.integer);
    case Kind::Currency: {  // ten-thousandths
        const quint64 magnitude = value.integer < 0 ? quint64(0) - quint64(value.integer) : quint64(value.integer);
        return QString::asprintf("%s%llu.%04llu", value.integer < 0 ? "-" : "", magnitude / 10000, magnitude % 10000);
    }
    case Kind::Real: return QString::asprintf("%.8g", value.real);
    case Kind::Date: {
        if (value.real < 0 || value.real > 1e6)
            return {};
        const qint64 day = qint64(value.real);
        const qint64 seconds = qint64((value.real - double(day)) * 86400.0 + 0.5);
        return QDateTime(QDate(1899, 12, 30).addDays(day), QTime(0, 0).addSecs(int(seconds)))
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case Kind::Text: return value.text;
    case Kind::Bytes: return QString::fromLatin1(value.bytes.toHex().toUpper());
    }
    return {};
}

class JetReaderTest : public ::testing::Test {
protected:
    void SetUp() override { QUENVOL_NEED_JET_SAMPLES(); }

    // Every row of every table of `file` as the reader gives it and as
    // mdb-export prints it, compared field by field.
    void CompareWithMdbExport(const QString& file, std::set<jet::Type>* typesSeen)
    {
        const std::unique_ptr<jet::Database> db = jet::OpenJetFile(JetSample(file));
        for (const QString& name : db->tableNames()) {
            QProcess exporter;
            exporter.start(QStringLiteral("mdb-export"),
                           {"-H", "-0", "N", "-b", "hex", "-D", DateFormat, "-T", DateFormat, JetSample(file), name});
            ASSERT_TRUE(exporter.waitForFinished(60000)) << "mdb-export (Debian mdbtools) did not run";
            ASSERT_EQ(exporter.exitCode(), 0) << exporter.readAllStandardError().toStdString();
            const auto expected = ParseCsv(QString::fromUtf8(exporter.readAllStandardOutput()));

            const std::unique_ptr<jet::Table> table = db->openTable(name);
            ASSERT_TRUE(table) << name.toStdString();
            for (const jet::Column& column : table->columns())
                typesSeen->insert(column.type);
            jet::Row row;
            size_t r = 0;
            for (; table->next(row); ++r) {
                ASSERT_LT(r, expected.size()) << name.toStdString();
                ASSERT_EQ(expected[r].size(), row.size()) << name.toStdString() << " row " << r;
                for (size_t c = 0; c < row.size(); ++c) {
                    const Field& printed = expected[r][c];
                    const QString ours = Exported(row[c]);
                    if (ours.isEmpty() && row[c].kind == Kind::Date)
                        continue;  // beyond what mdb-export prints: checked below
                    const std::string where = QStringLiteral("%1 row %2 column %3")
                                                  .arg(name).arg(r).arg(table->columns()[c].name)
                                                  .toStdString();
                    EXPECT_EQ(printed.text, ours) << where;
                    // mdb-export quotes texts, binary data and dates, never Null
                    EXPECT_EQ(printed.quoted, row[c].kind == Kind::Text || row[c].kind == Kind::Bytes ||
                                                  row[c].kind == Kind::Date)
                        << where;
                }
            }
            EXPECT_EQ(r, expected.size()) << name.toStdString();
            EXPECT_EQ(qint64(r), table->rowCount()) << name.toStdString();
        }
    }
};

TEST_F(JetReaderTest, EveryTableOfBothFilesReadsAsMdbExportPrintsIt)
{
    std::set<jet::Type> types;
    CompareWithMdbExport(QStringLiteral("nwind.mdb"), &types);
    CompareWithMdbExport(QStringLiteral("DateTestDatabase.mdb"), &types);
    for (jet::Type type : {jet::Type::Long, jet::Type::Integer, jet::Type::Single, jet::Type::Boolean,
                           jet::Type::Currency, jet::Type::DateTime, jet::Type::Text, jet::Type::Memo,
                           jet::Type::Ole})
        EXPECT_TRUE(types.count(type) == 1) << jet::TypeName(type).toStdString();
}

TEST_F(JetReaderTest, VersionsAndTableNamesWithAccentsFoundWithoutRegardToCase)
{
    const std::unique_ptr<jet::Database> jet3 = jet::OpenJetFile(JetSample(QStringLiteral("nwind.mdb")));
    EXPECT_EQ(jet3->version(), "Jet 3");
    EXPECT_TRUE(jet3->tableNames().contains(QStringLiteral("Umsätze")));
    const std::unique_ptr<jet::Table> sales = jet3->openTable(QStringLiteral("UMSÄTZE"));
    ASSERT_TRUE(sales);
    EXPECT_EQ(sales->name(), QStringLiteral("Umsätze"));
    jet::Row row;
    ASSERT_TRUE(sales->next(row));  // the texts themselves are compared with mdb-export's above

    const std::unique_ptr<jet::Database> jet4 = jet::OpenJetFile(JetSample(QStringLiteral("DateTestDatabase.mdb")));
    EXPECT_EQ(jet4->version(), "Jet 4");
    EXPECT_EQ(jet4->tableNames(), QStringList{"DateTest"});
    EXPECT_FALSE(jet4->openTable(QStringLiteral("Umsätze")));
}

TEST_F(JetReaderTest, DatesBefore1900AndInYear9999AreReadWhole)
{
    const std::unique_ptr<jet::Database> db = jet::OpenJetFile(JetSample(QStringLiteral("DateTestDatabase.mdb")));
    const std::unique_ptr<jet::Table> table = db->openTable(QStringLiteral("DateTest"));
    ASSERT_TRUE(table);
    std::map<qint64, std::vector<QDate>> dates;
    jet::Row row;
    while (table->next(row))
        for (int c = 1; c <= 3; ++c) {
            ASSERT_EQ(row[c].kind, Kind::Date);
            EXPECT_EQ(row[c].real, std::trunc(row[c].real));
            dates[row[0].integer].push_back(QDate(1899, 12, 30).addDays(qint64(row[c].real)));
        }
    EXPECT_EQ(dates[2], (std::vector<QDate>{{9999, 1, 1}, {9999, 1, 1}, {9999, 1, 1}}));
    EXPECT_EQ(dates[3], (std::vector<QDate>{{1898, 1, 1}, {1899, 1, 1}, {1900, 1, 1}}));
    EXPECT_EQ(dates[4], (std::vector<QDate>{{632, 1, 1}, {633, 1, 1}, {634, 1, 1}}));
}

TEST(JetReader, AFileThatIsNotJetIsRefusedWithItsName)
{
    const QString path = QStringLiteral(QUENVOL_TEST_BIN_DIR "/CMakeCache.txt");
    try {
        jet::OpenJetFile(path);
        FAIL() << "opened a text file";
    } catch (const jet::Error& error) {
        EXPECT_EQ(error.message(), "il file " + path + " non è un database Jet (Access)");
    }
}

}  // namespace
