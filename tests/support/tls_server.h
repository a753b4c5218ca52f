// A PostgreSQL server that speaks TLS, for the cases of the encrypted
// connection: on Linux the test's own, started with tools/pg_test_server.sh
// start-tls; under Wine the one tools/windows.sh started, named by
// QUENVOL_TEST_PG_TLS (its connection string) and QUENVOL_TEST_PG_TLS_CERTS
// (the folder of its CA's certificates).
#pragma once

#include "support/private_server.h"

#include <QString>

#include <memory>

namespace testing_support {

class TlsServer {
public:
    TlsServer();
    // Empty when there is none (the case skips) or it could not start.
    bool ready() const { return !conninfo_.isEmpty(); }
    // host=localhost hostaddr=127.0.0.1 port=... with the settings given, in
    // place of the defaults sslmode=verify-full and sslrootcert=root.crt.
    QString conninfo(const QString& settings = {}) const;
    // The CA that signed the server's certificate, and one that did not.
    QString rootCertificate() const { return certs_ + QStringLiteral("/root.crt"); }
    QString otherRootCertificate() const { return certs_ + QStringLiteral("/other-root.crt"); }
    // The server's ssl setting changed and reloaded; returns once a new
    // connection sees it.
    bool setTls(bool on) const;

private:
    std::unique_ptr<PrivateServer> own_;
    QString conninfo_;  // without sslmode and sslrootcert
    QString certs_;
};

// Why a TLS case skips.
inline constexpr const char* NoTlsServer =
    "no PostgreSQL server with TLS for this case (QUENVOL_TEST_PG_TLS, or the postgresql package on Linux)";

}  // namespace testing_support
