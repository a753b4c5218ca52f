// Paths as the operator reads and types them: shown with the system's own
// separators, and refused on the command line when written in a way the
// system's shell would hand on as part of the name.
#include "shell/platform.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

TEST(ShownPath, APathIsShownWithTheSystemsSeparatorsAndNoDoubledOne)
{
#ifdef _WIN32
    EXPECT_EQ(shell::PathAsShown(QStringLiteral("Z:\\\\quelda.mdb")), QStringLiteral("Z:\\quelda.mdb"));
    EXPECT_EQ(shell::PathAsShown(QStringLiteral("C:/Dati/DEMO")), QStringLiteral("C:\\Dati\\DEMO"));
    EXPECT_EQ(shell::PathAsShown(QStringLiteral("\\\\server\\ufficio\\ROSSI")), QStringLiteral("\\\\server\\ufficio\\ROSSI"));
#else
    EXPECT_EQ(shell::PathAsShown(QStringLiteral("//quelda.mdb")), QStringLiteral("/quelda.mdb"));
    EXPECT_EQ(shell::PathAsShown(QStringLiteral("/srv/dati/DEMO")), QStringLiteral("/srv/dati/DEMO"));
#endif
}

TEST(ShownPath, AFolderWrittenWithQuotesTheShellKeepsIsRefusedAndALegalNameIsNot)
{
#ifdef _WIN32
    const QStringList refused{QStringLiteral("'C:\\Dati\\'"), QStringLiteral("C:\\Dell'Orto"),
                              QStringLiteral("C:\\Dati\"\\ROSSI"), QStringLiteral("C:\\Dati:2026"),
                              QStringLiteral("Dati:x"), QStringLiteral(":C\\Dati")};
    const QStringList accepted{QStringLiteral("C:\\Dati"), QStringLiteral("c:Dati"), QStringLiteral("..\\Dati"),
                               QStringLiteral("\\\\server\\ufficio")};
#else
    // ":" and a lone apostrophe are legal in Linux names.
    const QStringList refused{QStringLiteral("'/srv/dati'"), QStringLiteral("\"/srv/dati\"")};
    const QStringList accepted{QStringLiteral("/srv/dati:2026"), QStringLiteral("/srv/l'ufficio"),
                               QStringLiteral("'/srv/dati")};
#endif
    for (const QString& path : refused)
        EXPECT_TRUE(shell::PathArgumentProblem(path).contains(path)) << path.toStdString();
    for (const QString& path : accepted)
        EXPECT_EQ(shell::PathArgumentProblem(path), QString()) << path.toStdString();
}

}  // namespace
