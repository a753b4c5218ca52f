// Register codes that look alike, stored before the code rule refused them,
// are told apart wherever the history shows a code: quoted, so blanks at the
// ends show, with fillers and combining marks escaped, in the listing, the CSV
// and the inspection sheet.
#include "admin_run.h"
#include "pdf_reader.h"

#include "store/opened_company.h"

#include <gtest/gtest.h>

using testing_support::TempCompany;

namespace {

// The look-alikes of "AB01" and of "ÄB", each given a change through the
// program (a code stored before the rule can still be changed).
const QStringList LookAlikes{QStringLiteral("AB01 "), QStringLiteral("AB01") + QChar(0x3164),
                             QString::fromUtf8("ÄB"), QString::fromUtf8("ÄB").normalized(QString::NormalizationForm_D)};
// How each is shown, in the same order.
const QStringList Shown{QStringLiteral("\"AB01 \""), QStringLiteral("\"AB01\\u3164\""),
                        QString::fromUtf8("\"ÄB\""), QStringLiteral("\"A\\u0308B\"")};

void StoreLookAlikes(TempCompany& company)
{
    // A company from before the rule.
    company.exec("DROP TRIGGER \"TabellaSerieSemplificata_codice_nuovo\"; "
                 "DROP TRIGGER \"TabellaSerieSemplificata_codice_cambiato\"");
    company.exec("INSERT INTO TabellaSerieSemplificata (SspCodice) VALUES ('AB01 '), ('AB01' || char(12644)), "
                 "(char(196, 66)), (char(65, 776, 66))");
    store_tests::OpenedCompany o(company);
    for (const QString& code : LookAlikes) {
        o.show(code);
        ASSERT_TRUE(o.shown.row) << code.toStdString();
        store::RegisterRecord record = *o.shown.row;
        record.SspDescrizione = "SOSIA";
        ASSERT_TRUE(o.write(store::RegisterToScreen(record))) << code.toStdString();
    }
}

}  // namespace

TEST(ShownCodes, TheListingTellsLookAlikeCodesApart)
{
    TempCompany company(true);
    StoreLookAlikes(company);
    const AdminRun run = Admin({"history", company.folder(), company.company()});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.split('\n').filter("VARIAZIONE");
    for (const QString& shown : Shown)
        EXPECT_EQ(lines.filter(QRegularExpression("  " + QRegularExpression::escape(shown) + "$")).size(), 1)
            << shown.toStdString() << "\n" << run.out.toStdString();
}

TEST(ShownCodes, TheCsvTellsLookAlikeCodesApart)
{
    TempCompany company(true);
    StoreLookAlikes(company);
    const AdminRun run = Admin({"history", company.folder(), company.company(), "--csv"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    for (QString shown : Shown) {
        const QString cell = ",\"" + shown.replace("\"", "\"\"") + "\",\"variazione\",";
        EXPECT_TRUE(run.out.contains(cell)) << cell.toStdString() << "\n" << run.out.toStdString();
    }
}

TEST(ShownCodes, TheSheetTellsLookAlikeCodesApart)
{
    TempCompany company(true);
    StoreLookAlikes(company);
    for (int i = 0; i < LookAlikes.size(); ++i) {
        const QString out = company.folder() + QStringLiteral("/scheda%1.pdf").arg(i);
        const AdminRun run = Admin({"print", "sheet", company.folder(), "DEMO", LookAlikes[i], "--output", out});
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QString text = PdfText(out);
        EXPECT_TRUE(text.contains("SCHEDA DEL REGISTRO " + Shown[i])) << text.toStdString();
        for (int other = 0; other < Shown.size(); ++other) {
            if (other == i)
                continue;
            EXPECT_FALSE(text.contains(Shown[other])) << Shown[other].toStdString() << "\n" << text.toStdString();
        }
    }
}
