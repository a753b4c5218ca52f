// The signing options the printing commands share: --firma <key> (a PKCS#12
// file, or a PKCS#11 URI with the token's library named by --modulo), its
// passphrase or PIN asked on the terminal or read from standard input
// (--pin-stdin), never taken from the command line; --tsa URL for the
// signature's time stamp, --tsa-ca FILE to check it at once.
#pragma once

#include "admin/admin_command.h"
#include "company/cades_signature.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace admin {

// The options to add to a command's Accepted.
inline const QStringList SigningSwitches{"--pin-stdin"};
inline const QStringList SigningOptions{"--firma", "--modulo", "--tsa", "--tsa-ca"};

struct SigningKey {
    company::signature::Loaded loaded;
    QString tsa;    // empty: no time stamp
    QString tsaCa;  // empty: not checked at once
};

// The key the arguments name, opened; nothing when none is named. On a
// refusal (no passphrase, a wrong one, a certificate that may not sign)
// *failed holds the exit status, the reason told as Fail tells it.
std::optional<SigningKey> OpenSigningKey(const Arguments& given, int* failed);

// Whether the arguments are sound for signing: --tsa-ca and --pin-stdin only
// with what they concern.
bool SigningArgumentsSound(const Arguments& given);

// `pdf` signed with the key; empty with the reason in *problem.
QByteArray SignedPdf(const SigningKey& key, const QByteArray& pdf, QString* problem);

}  // namespace admin
