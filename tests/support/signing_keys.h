// Test helper: the office's signing keys and their CA for the signature's
// tests, as tools/signing_test_keys.sh makes them.
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

namespace testing_support {

// The keys made in `folder`: by tools/signing_test_keys.sh here, or, where
// the tests run without openssl (under Wine), copied from the folder the
// script filled beforehand, named in $QUENVOL_TEST_SIGNING.
inline void MakeSigningKeys(const QString& folder)
{
    QDir().mkpath(folder);
    const QString made = qEnvironmentVariable("QUENVOL_TEST_SIGNING");
    if (!made.isEmpty()) {
        const QFileInfoList files = QDir(made).entryInfoList(QDir::Files);
        ASSERT_FALSE(files.isEmpty()) << "no keys in " << made.toStdString();
        for (const QFileInfo& file : files)
            ASSERT_TRUE(QFile::copy(file.filePath(), folder + "/" + file.fileName())) << file.filePath().toStdString();
        return;
    }
    const QString script = QStringLiteral(QUENVOL_TOOLS_DIR "/signing_test_keys.sh");
    ASSERT_TRUE(QFileInfo(script).isExecutable())
        << "no openssl here: make the keys with tools/signing_test_keys.sh and name them in QUENVOL_TEST_SIGNING";
    QProcess openssl;
    openssl.start(script, {folder});
    ASSERT_TRUE(openssl.waitForFinished(60000));
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
}

}  // namespace testing_support
