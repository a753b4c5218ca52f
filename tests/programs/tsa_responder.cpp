// Test helper: a time-stamping authority on loopback. Answers each HTTP POST
// of a time-stamp query with the reply `openssl ts -reply` makes from the
// configuration given, one connection at a time, until killed. Says the port
// it listens on, on its standard output, once listening. Its query and reply
// files are written in the folder of the configuration.
// Usage: tsa_responder CONFIG
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QFileInfo>

#include <cstdio>
#include <memory>

namespace {

// The request's body, read as its Content-Length says.
QByteArray ReadBody(QTcpSocket& socket)
{
    QByteArray data;
    qsizetype end = -1;
    while ((end = data.indexOf("\r\n\r\n")) < 0) {
        if (!socket.waitForReadyRead(10000))
            return {};
        data += socket.readAll();
    }
    qsizetype length = 0;
    for (const QByteArray& line : data.left(end).split('\n'))
        if (line.toLower().startsWith("content-length:"))
            length = line.mid(15).trimmed().toLongLong();
    QByteArray body = data.mid(end + 4);
    while (body.size() < length) {
        if (!socket.waitForReadyRead(10000))
            return {};
        body += socket.readAll();
    }
    return body;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tsa_responder CONFIG\n");
        return 2;
    }
    const QString config = QString::fromLocal8Bit(argv[1]);
    // The query and the reply are kept beside the configuration, in the
    // test's own folder: the test ends this program by killing it, which
    // would leave a folder of its own behind.
    const QDir work = QFileInfo(config).absoluteDir();
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "tsa_responder: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("%d\n", int(server.serverPort()));
    std::fflush(stdout);
    const QString query = work.filePath("q.tsq"), reply = work.filePath("r.tsr");
    while (server.waitForNewConnection(-1)) {
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        QFile out(query);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        out.write(ReadBody(*socket));
        out.close();
        QFile::remove(reply);
        QProcess openssl;
        openssl.start("openssl", {"ts", "-reply", "-config", config, "-queryfile", query, "-out", reply});
        openssl.waitForFinished(30000);
        QFile in(reply);
        QByteArray answer;
        if (openssl.exitCode() == 0 && in.open(QIODevice::ReadOnly)) {
            const QByteArray token = in.readAll();
            answer = "HTTP/1.0 200 OK\r\nContent-Type: application/timestamp-reply\r\nContent-Length: " +
                     QByteArray::number(token.size()) + "\r\n\r\n" + token;
        } else {
            std::fprintf(stderr, "tsa_responder: %s\n", openssl.readAllStandardError().constData());
            answer = "HTTP/1.0 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n";
        }
        socket->write(answer);
        socket->waitForBytesWritten(10000);
        socket->disconnectFromHost();
        if (socket->state() != QAbstractSocket::UnconnectedState)
            socket->waitForDisconnected(10000);
    }
    return 0;
}
