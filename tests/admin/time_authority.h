// Test helper: a CA and a time-stamping authority it certifies, made with
// openssl, and the authority answering on loopback (tsa_responder).
#pragma once

#include "../shell/test_programs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

// A CA and a time-stamping authority it certifies, in `folder` (ca.pem and
// ca.key, tsa.pem and tsa.key): made there with openssl
// (tools/tsa_test_authority.sh), or, where the tests run without it (under
// Wine), copied from the folder of the same name that the script made
// beforehand in $QUENVOL_TEST_TSA. Returns the folder.
inline QString MakeAuthority(const QString& folder)
{
    const QString made = qEnvironmentVariable("QUENVOL_TEST_TSA");
    if (!made.isEmpty()) {
        QDir().mkpath(folder);
        const QDir from(made + "/" + QFileInfo(folder).fileName());
        for (const char* name : {"ca.pem", "ca.key", "tsa.pem", "tsa.key"})
            EXPECT_TRUE(QFile::copy(from.filePath(name), folder + "/" + name)) << from.filePath(name).toStdString();
        return folder;
    }
    QProcess openssl;
    openssl.start(QStringLiteral(QUENVOL_TOOLS_DIR "/tsa_test_authority.sh"), {folder});
    EXPECT_TRUE(openssl.waitForFinished(60000));
    EXPECT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    return folder;
}

// The authority of `folder` behind tsa_responder on loopback, while it lives.
class Authority {
public:
    explicit Authority(const QString& folder)
    {
        responder_.start(shell_tests::TestProgram("tsa_responder"), {folder});
        while (!responder_.canReadLine() && responder_.waitForReadyRead(30000)) {
        }
        port_ = responder_.readLine().trimmed().toInt();
        EXPECT_GT(port_, 0) << responder_.readAllStandardError().toStdString();
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/tsa").arg(port_); }

private:
    QProcess responder_;
    int port_ = 0;
};
