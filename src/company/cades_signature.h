// The office's electronic signature: its key (a PKCS#12 file opened with its
// passphrase), the certificate that says whose it is, a CAdES detached
// signature (CMS, SHA-256, with the signing-certificate-v2 attribute and,
// when an authority is named, the signature's RFC 3161 time stamp), and the
// check of such a signature against a CA file.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <memory>

namespace company::signature {

// Whose a certificate is, as the operator and the history are told.
struct Certificate {
    QString subject;  // "CN=Mario Rossi, O=Ufficio"
    QString issuer;
    QString serial;   // hexadecimal
    QDateTime notAfter;  // UTC
};

// A key ready to sign: opaque, freed with the last copy (which closes the
// token's session, for a key on a token).
class Key;

struct Loaded {
    std::shared_ptr<Key> key;  // null when it could not be opened or may not sign
    Certificate certificate;   // filled whenever the certificate was read
    QString problem;           // in Italian, when key is null
};

// Opens the PKCS#12 file `source` with its passphrase `secret`, or the key
// on a PKCS#11 token a "pkcs11:token=...;object=..." URI names, through the
// PKCS#11 library `module`, with its PIN `secret`. Refuses a wrong
// passphrase or PIN, a missing token, a file or token without key and
// certificate, a certificate expired or not yet valid, and one whose key
// usage does not allow digital signatures.
Loaded Load(const QString& source, const QString& secret, const QString& module = {});

// Why this build cannot open the key `source` names at all, said before any
// passphrase or PIN is asked (a key on a PKCS#11 token where there is no
// PKCS#11 library: Windows); empty when it can.
QString Unavailable(const QString& source);

// Whether `source` names a key on a PKCS#11 token (a "pkcs11:" URI).
bool IsTokenUri(const QString& source);

struct Signed {
    QByteArray cms;   // DER, empty on failure
    QString problem;  // in Italian
};
// Where a signature goes: a file of its own (CAdES, with the signer's
// claimed signing time) or a PDF (PAdES, whose claimed time is the
// signature dictionary's, none in the CMS).
enum class Profile { Cades, Pades };
// The detached signature of `content`; with `tsaUrl` the authority's time
// stamp over the signature is added as an unsigned attribute.
Signed Sign(const Key& key, const QByteArray& content, const QString& tsaUrl = {}, Profile profile = Profile::Cades);

// What the check of a signature found.
struct Checked {
    bool valid = false;
    QString problem;          // in Italian, the first thing found wrong
    Certificate signer;       // filled when the signer's certificate was found
    bool stamped = false;     // a time stamp is present and sound
    QDateTime stampTime;      // the authority's, UTC
};
// Checks `cms` over `content`: the digest, the signature, the signer's
// chain against the certificates in `caFile` (PEM), and the time stamp when
// there is one (its authority chained to the same file).
Checked Verify(const QByteArray& cms, const QByteArray& content, const QString& caFile);

// Checks only the time stamp of `cms`, its authority chained to `tsaCaFile`:
// empty when sound, else why not (also when there is none).
QString CheckStamp(const QByteArray& cms, const QString& tsaCaFile);

}  // namespace company::signature
