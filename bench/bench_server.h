// A PostgreSQL server of the benchmark's own, started with the project's test
// server script in a temporary folder and stopped at the end, and a company
// seeded on it with generated register sets.
#pragma once

#include "company/company_copy.h"
#include "company/company_file.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

class BenchServer {
public:
    BenchServer()
    {
        const QString out = script(QStringLiteral("start"));
        conninfo_ = out.trimmed();
    }
    ~BenchServer() { script(QStringLiteral("stop")); }
    const QString& conninfo() const { return conninfo_; }

    // Company `company` with `count` generated register sets, in `folder` as a
    // file and on the server as a copy of it.
    void seed(const QString& folder, const QString& company, int count) const
    {
        const QString path = company::copy::CompanyFilePath(folder, company);
        QString error = company::file::CreateCompanyDatabase(path);
        if (error.isEmpty())
            error = company::file::AddGeneratedRegisters(path, count, QStringLiteral("R"));
        if (error.isEmpty())
            error = company::copy::CopyCompany(folder, conninfo_, company, nullptr);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "seeding: %s\n", qPrintable(error));
            std::exit(1);
        }
    }

private:
    QString script(const QString& command)
    {
        // The script sits in tools/ beside this folder of the sources.
        const QString path = QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../tools/pg_test_server.sh"));
        QProcess process;
        process.start(path, {command, dir_.path()});
        if (!process.waitForFinished(120000) || process.exitCode() != 0) {
            std::fprintf(stderr, "%s %s: %s\n", qPrintable(path), qPrintable(command),
                         process.readAllStandardError().constData());
            std::exit(1);
        }
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QTemporaryDir dir_;
    QString conninfo_;
};
