// The profile service: reading with the Windows profile rules, the 99-character
// limit, Windows-1252 values, and writes that change one line and nothing else.
#include "shell/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace shell;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    QString path(const QString& name = "test.ini") const { return dir_.filePath(name); }

    void put(const QByteArray& content, const QString& name = "test.ini")
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray get(const QString& name = "test.ini") const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

TEST_F(ProfileTest, ReadsWithWindowsProfileRules)
{
    put("orphan=before any section\n"
        "; comment=not a key\n"
        "[Base]\n"
        "  Ditta  =   ACME srl   \n"
        "DITTA=second, ignored\n"
        "noequals\n"
        "\tpath\t=\t/data/\t\n"
        "[ altra ]\n"
        "k=1\n"
        "[BASE]\n"
        "extra=in a repeated section\n");
    const QString f = path();
    EXPECT_EQ(ReadIni(f, "BASE", "DITTA"), "ACME srl");
    EXPECT_EQ(ReadIni(f, "base", "ditta"), "ACME srl");
    EXPECT_EQ(ReadIni(f, " Base ", " Ditta "), "ACME srl");
    EXPECT_EQ(ReadIni(f, "Base", "PATH"), "/data/");
    EXPECT_EQ(ReadIni(f, "ALTRA", "K"), "1");
    EXPECT_EQ(ReadIni(f, "Base", "extra"), "");  // the first section is the one
    EXPECT_EQ(ReadIni(f, "Base", "orphan"), "");
    EXPECT_EQ(ReadIni(f, "Base", "; comment"), "");
    EXPECT_EQ(ReadIni(f, "Base", "noequals"), "");
    EXPECT_EQ(ReadIni(f, "Base", "k"), "");  // belongs to another section
    EXPECT_EQ(ReadIni(f, "Nessuna", "DITTA"), "");
    EXPECT_EQ(ReadIni(path("missing.ini"), "BASE", "DITTA"), "");
    EXPECT_EQ(ReadIni(QString(), "BASE", "DITTA"), "");

    bool found = true;
    EXPECT_EQ(GetProfileValue(f, "Base", "missing", &found), QByteArray());
    EXPECT_FALSE(found);
    put("[S]\nempty=\n");
    EXPECT_EQ(GetProfileValue(path(), "S", "empty", &found), QByteArray());
    EXPECT_TRUE(found);
}

TEST_F(ProfileTest, ReadIniReturnsAtMost99Characters)
{
    const QByteArray longValue = QByteArray(120, 'x').replace(0, 10, "0123456789");
    put("[BASE]\r\nDITTA=" + longValue + "\r\nSHORT=abc\r\n");
    const QString value = ReadIni(path(), "BASE", "DITTA");
    EXPECT_EQ(value.size(), 99);
    EXPECT_EQ(value, QString::fromLatin1(longValue.left(99)));
    EXPECT_EQ(ReadIni(path(), "BASE", "SHORT"), "abc");  // CRLF is not part of the value
}

TEST_F(ProfileTest, Windows1252ValuesReadAndWriteBack)
{
    // "Società Però €" in Windows-1252.
    const QByteArray original = "[Sezione]\nNome=Societ\xE0 Per\xF2 \x80\nCitt\xE0=Forl\xEC\n";
    put(original);
    EXPECT_EQ(ReadIni(path(), "Sezione", "Nome"), QString::fromUtf8("Società Però €"));
    EXPECT_EQ(ReadIni(path(), "SEZIONE", "CITTÀ"), QString::fromUtf8("Forlì"));

    WriteIni(path(), "Sezione", "Altro", QString::fromUtf8("Perché"));
    EXPECT_EQ(get(), original + "Altro=Perch\xE9\r\n");

    // Every byte converts to a character and back unchanged.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
    EXPECT_EQ(ToAnsi(QString::fromUtf8("a€b😀c中")), QByteArray("a\x80" "b?c?"));
}

TEST_F(ProfileTest, WriteChangesOneLineAndKeepsEveryOtherByte)
{
    const QByteArray before =
        "; suite configuration\r\n"
        "\r\n"
        "[BASE]  \r\n"
        "   ditta   =  VECCHIA   \r\n"
        "Other = keep  this \r\n"
        "\r\n"
        "[APPLICATIVI]\r\n"
        "Pavoxa=\"/opt/suite/pavoxa\" -x\r\n"
        "\r\n";
    put(before);
    WriteIni(path(), "base", "DITTA", "NUOVA");
    QByteArray expected = before;
    expected.replace("   ditta   =  VECCHIA   \r\n", "   ditta=NUOVA\r\n");
    EXPECT_EQ(get(), expected);

    // A new key goes after the section's last entry, before its blank lines.
    WriteIni(path(), "BASE", "HANDLE", "123");
    expected.replace("keep  this \r\n", "keep  this \r\nHANDLE=123\r\n");
    EXPECT_EQ(get(), expected);

    // A new section goes at the end, with the file's own line breaks.
    WriteIni(path(), "Pavoxa", "DITTA", "ACME");
    expected += "[Pavoxa]\r\nDITTA=ACME\r\n";
    EXPECT_EQ(get(), expected);
}

TEST_F(ProfileTest, ALastLineEndedByABareCarriageReturnKeepsEveryKeyReadable)
{
    put("[BASE]\r\nDITTA=CO1\r");
    WriteIni(path(), "BASE", "UTENTE", "MARIO");
    EXPECT_EQ(ReadIni(path(), "BASE", "DITTA"), "CO1");
    EXPECT_EQ(ReadIni(path(), "BASE", "UTENTE"), "MARIO");
    put("[BASE]\r\nDITTA=CO1\r");
    WriteIni(path(), "ALTRA", "K", "V");
    EXPECT_EQ(ReadIni(path(), "BASE", "DITTA"), "CO1");
    EXPECT_EQ(ReadIni(path(), "ALTRA", "K"), "V");
}

TEST_F(ProfileTest, WriteKeepsTheFilesLineBreaksAndByteOrderMarkOrCreatesTheFile)
{
    struct Case { const char* name; QByteArray before /* null: no file */; const char *section, *key; QByteArray after; };
    const Case cases[] = {
        {"no file", {}, "Pavoxa", "HANDLE", "[Pavoxa]\r\nHANDLE=V\r\n"},
        {"no final line break", "[A]\nx=1", "A", "y", "[A]\nx=1\r\ny=V"},
        {"no final line break, new section", "[A]\nx=1", "B", "z", "[A]\nx=1\r\n[B]\r\nz=V\r\n"},
        {"byte order mark", "\xEF\xBB\xBF[BASE]\r\nDITTA=CO1\r\n", "BASE", "DITTA",
         "\xEF\xBB\xBF[BASE]\r\nDITTA=V\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        if (!c.before.isNull())
            put(c.before);
        WriteIni(path(), c.section, c.key, "V");
        EXPECT_EQ(get(), c.after);
        EXPECT_EQ(ReadIni(path(), QString(c.section).toLower(), c.key), "V");
    }

    // No folder, no file: the write fails and creates nothing.
    const QString nowhere = path("no/such/folder/x.ini");
    EXPECT_FALSE(WriteProfileValue(nowhere, "A", "b", "c"));
    EXPECT_FALSE(QFile::exists(nowhere));
}

// A value between double quotes reads without them; the file is not changed.
TEST_F(ProfileTest, DoubleQuotesAroundAValueAreNotPartOfIt)
{
    const QByteArray before = "[PATH]\r\nDIRINI = \"/dati/\" \r\nMEZZO=a\"b\"\r\nSOLO=\"\r\nVUOTO=\"\"\r\n";
    put(before);
    EXPECT_EQ(ReadIni(path(), "PATH", "DIRINI"), "/dati/");
    EXPECT_EQ(ReadIni(path(), "PATH", "MEZZO"), "a\"b\"");
    EXPECT_EQ(ReadIni(path(), "PATH", "SOLO"), "\"");
    EXPECT_EQ(ReadIni(path(), "PATH", "VUOTO"), "");
    EXPECT_EQ(get(), before);
}

// A file whose lines end in a lone CR reads like any other, and a write
// replaces the value where it stands instead of adding a second section.
TEST_F(ProfileTest, ALoneCarriageReturnEndsALineInReadingAndWriting)
{
    put("[BASE]\rDITTA=CO1\rUTENTE=MARIO\r[PATH]\rDIRINI=/dati/\r");
    EXPECT_EQ(ReadIni(path(), "BASE", "DITTA"), "CO1");
    EXPECT_EQ(ReadIni(path(), "PATH", "DIRINI"), "/dati/");
    ASSERT_TRUE(WriteProfileValue(path(), "BASE", "DITTA", "CO2"));
    EXPECT_EQ(get(), "[BASE]\rDITTA=CO2\rUTENTE=MARIO\r[PATH]\rDIRINI=/dati/\r");
    ASSERT_TRUE(WriteProfileValue(path(), "BASE", "NUOVA", "X"));
    EXPECT_EQ(get(), "[BASE]\rDITTA=CO2\rUTENTE=MARIO\rNUOVA=X\r\n[PATH]\rDIRINI=/dati/\r");
    EXPECT_EQ(ReadIni(path(), "PATH", "DIRINI"), "/dati/");
}

// New files and added lines end in CRLF, as Windows writes them; the file's
// own line ends stay as they are.
TEST_F(ProfileTest, NewFilesAndAddedLinesEndInCrLf)
{
    ASSERT_TRUE(WriteProfileValue(path(), "BASE", "DITTA", "CO1"));
    EXPECT_EQ(get(), "[BASE]\r\nDITTA=CO1\r\n");
    put("[BASE]\nDITTA=CO1\n");
    ASSERT_TRUE(WriteProfileValue(path(), "BASE", "UTENTE", "MARIO"));
    ASSERT_TRUE(WriteProfileValue(path(), "PATH", "DIRINI", "/dati/"));
    EXPECT_EQ(get(), "[BASE]\nDITTA=CO1\nUTENTE=MARIO\r\n[PATH]\r\nDIRINI=/dati/\r\n");
}

TEST_F(ProfileTest, WriteRefusesTextThatWouldForgeLines)
{
    put("[BASE]\nDITTA=ACME\n");
    EXPECT_FALSE(WriteProfileValue(path(), "BASE", "DITTA", "X\n[APPLICATIVI]\nPavoxa=rm"));
    EXPECT_FALSE(WriteProfileValue(path(), "BASE", "DI\rTTA", "X"));
    EXPECT_FALSE(WriteProfileValue(path(), "BA\nSE", "DITTA", "X"));
    EXPECT_FALSE(WriteProfileValue(path(), "BASE", "A=B", "X"));
    EXPECT_FALSE(WriteProfileValue(path(), "BASE", "  ", "X"));
    EXPECT_EQ(get(), "[BASE]\nDITTA=ACME\n");
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndSymbolicLinks)
{
    put("[A]\nx=1\n", "real.ini");
    ASSERT_TRUE(QFile::setPermissions(path("real.ini"), QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(path("real.ini"), path("link.ini")));
    WriteIni(path("link.ini"), "A", "x", "2");
    EXPECT_TRUE(QFileInfo(path("link.ini")).isSymLink());
    EXPECT_EQ(get("real.ini"), "[A]\nx=2\n");
    EXPECT_EQ(QFile::permissions(path("real.ini")),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
}

}  // namespace
