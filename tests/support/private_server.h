// A PostgreSQL server of one test's own, started with tools/pg_test_server.sh
// in a temporary folder, for the cases that stop and start it; stopped and
// removed at the end.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace testing_support {

class PrivateServer {
public:
    PrivateServer();
    // A streaming standby of `primary`, in a folder of its own.
    struct StandbyOf {
        const PrivateServer& primary;
    };
    explicit PrivateServer(StandbyOf standby);
    // One that speaks TLS on 127.0.0.1 (the script's start-tls): its
    // certificates in folder()/tls, conninfo() a key=value string.
    struct WithTls {};
    explicit PrivateServer(WithTls);
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    // Its connection URI; empty when it could not start (the test has failed).
    const QString& conninfo() const { return conninfo_; }
    // Stops it, keeping its data; starts it again.
    bool down() { return script(QStringLiteral("down")); }
    bool up() { return script(QStringLiteral("up")); }
    // A standby made the primary; returns once it accepts writes.
    bool promote() { return script(QStringLiteral("promote")); }
    // The folder of its socket, as a libpq "host".
    QString folder() const { return dir_.path(); }

private:
    bool script(const QString& command, QString* output = nullptr, const QStringList& more = {});

    QTemporaryDir dir_;
    QString conninfo_;
};

}  // namespace testing_support
