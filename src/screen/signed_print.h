// F8 with the office's signing key named in the INI ([FIRMA]: CHIAVE, a
// PKCS#12 file or a PKCS#11 URI; MODULO, the token's library; TSA, the
// time-stamping authority): the PIN asked in a masked box (never kept), the
// certificate shown (subject, issuer, expiry) before signing, the PDF/A
// signed and written where the operator says, each refusal told in Italian.
#pragma once

#include "company/cades_signature.h"
#include "paper/pdf_file.h"
#include "store/engine/message_boxes.h"

#include <QString>

#include <functional>
#include <optional>

class QPagedPaintDevice;
class QWidget;

namespace screen {

struct SigningSettings {
    QString key;     // empty: F8 prints as without a key
    QString module;
    QString tsa;
};
SigningSettings ReadSigningSettings(const QString& iniFile);

// How the window asks and tells: its message box.
using AskBox = std::function<int(const QString& prompt, int code)>;

// Signs the document `paint` draws and writes it. `record` runs once the
// file is written and before it takes its name (its exception leaves no
// file and goes on to the caller), given the signer. False when nothing was
// written: the operator gave up, or a refusal was told.
bool PrintSigned(QWidget* parent, const AskBox& ask, const SigningSettings& settings, const paper::DocumentInfo& info,
                 const std::function<void(QPagedPaintDevice&)>& paint,
                 const std::function<void(const company::signature::Certificate&)>& record);

// The PIN or passphrase, asked in a masked box; nothing when the operator gives up.
std::optional<QString> AskPin(QWidget* parent, const QString& key);

}  // namespace screen
