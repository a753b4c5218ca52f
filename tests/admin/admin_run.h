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

// With `input` written on its standard input, then closed.
inline AdminRun Admin(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess process;
    process.start(qEnvironmentVariable("QUENVOL_BIN_DIR") + QStringLiteral("/quenvol-admin"), arguments);
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000)) << "quenvol-admin did not end";
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
