// A company database in a temporary folder, created with the admin tool's
// routines, and a direct SQLite connection to read back what the program wrote.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace testing_support {

class TempCompany {
public:
    // Creates <temp>/DEMO/quelda.mdb; with demo data when asked.
    explicit TempCompany(bool demo = false);
    QString dataDir() const { return dir_.path() + QLatin1Char('/'); }
    QString company() const { return QStringLiteral("DEMO"); }
    QString databasePath() const { return dir_.path() + QStringLiteral("/DEMO/quelda.mdb"); }
    QString folder() const { return dir_.path(); }

    // Runs SQL directly on the file; fails the test on an error.
    void exec(const QString& sql) const;
    // The first column of the first row of a query, Null when there is none.
    QVariant scalar(const QString& sql) const;
    // Number of rows of a table.
    int count(const QString& table) const;

private:
    QTemporaryDir dir_;
};

}  // namespace testing_support
