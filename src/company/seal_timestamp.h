// The time stamp of a seal from an RFC 3161 time-stamping authority: the
// request over the seal's own digest, sent by HTTP POST, the token it
// answers with, and the check of a token against the authority's CA
// certificate (imprint, signature chain, the authority's time).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace company::timestamp {

// Asks the authority at `url` (http://host[:port]/path) for a token over
// `digest` (a SHA-256, 32 bytes). Returns the token (DER) or nothing, with
// the reason in Italian in *error.
QByteArray Request(const QString& url, const QByteArray& digest, QString* error);

// What the check of a token found.
struct Check {
    bool valid = false;
    QDateTime time;   // the authority's, UTC
    QString problem;  // in Italian, when not valid
    QString signer;   // the authority's certificate subject
};
// Checks `token` over `digest`, its signature chained to the certificates in
// `caFile` (PEM) and carrying the time-stamping purpose.
Check Verify(const QByteArray& token, const QByteArray& digest, const QString& caFile);

}  // namespace company::timestamp
