// Test helper: a CA and a time-stamping authority it certifies, made with
// openssl, and the authority answering on loopback (tsa_responder).
#pragma once

#include "../shell/test_programs.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

// A CA and a time-stamping authority it certifies, made with openssl in
// `folder`: ca.pem, and the configuration `openssl ts -reply` signs with.
inline QString MakeAuthority(const QString& folder)
{
    QDir().mkpath(folder);
    QFile extensions(folder + "/tsa.ext");
    EXPECT_TRUE(extensions.open(QIODevice::WriteOnly));
    extensions.write("extendedKeyUsage = critical,timeStamping\nkeyUsage = critical,digitalSignature\n");
    extensions.close();
    QFile config(folder + "/tsa.cnf");
    EXPECT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("[ tsa ]\ndefault_tsa = prova\n[ prova ]\ndir = %1\nserial = $dir/tsaserial\n"
                                "signer_cert = $dir/tsa.pem\ncerts = $dir/ca.pem\nsigner_key = $dir/tsa.key\n"
                                "signer_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256\n"
                                "accuracy = secs:1\ness_cert_id_alg = sha256\n")
                     .arg(folder)
                     .toUtf8());
    config.close();
    QProcess openssl;
    openssl.setWorkingDirectory(folder);
    const QString key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    openssl.start("sh", {"-c", "set -e; openssl req -x509 " + key + " -keyout ca.key -out ca.pem -days 2 "
                               "-subj /CN=CA-di-prova -addext basicConstraints=critical,CA:TRUE "
                               "-addext keyUsage=critical,keyCertSign; "
                               "openssl req " + key + " -keyout tsa.key -out tsa.csr -subj /CN=TSA-di-prova; "
                               "openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
                               "-out tsa.pem -days 2 -extfile tsa.ext; echo 01 > tsaserial"});
    EXPECT_TRUE(openssl.waitForFinished(60000));
    EXPECT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();
    return config.fileName();
}

// The authority of `config` behind tsa_responder on loopback, while it lives.
class Authority {
public:
    explicit Authority(const QString& config)
    {
        responder_.start(shell_tests::TestProgram("tsa_responder"), {config});
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

