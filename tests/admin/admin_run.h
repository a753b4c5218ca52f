// Runs the built quenvol-admin as an office runs it and keeps what it said.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

struct AdminRun {
    int status = -1;
    QString out;
    QString err;
};

inline AdminRun Admin(const QStringList& arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + QStringLiteral("/quenvol-admin"), arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << "quenvol-admin did not end";
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
