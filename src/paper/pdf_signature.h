// A PDF's electronic signature: appended to the document as an incremental
// update (an invisible signature field on the first page, its signature
// dictionary with a /ByteRange covering the whole file but the /Contents
// gap, subfilter ETSI.CAdES.detached), so the pages already written stay
// byte for byte what they were and the file stays PDF/A; and the signature
// read back from a file for its check.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

namespace paper {

// What a signature is made of: the covered bytes in, the CMS (DER) out, or
// nothing with the reason in *problem.
using CmsSigner = std::function<QByteArray(const QByteArray& covered, QString* problem)>;

// The bytes the gap holds at most for the CMS.
inline constexpr int SignatureRoom = 24 * 1024;

// `pdf` (as RenderPdf makes it) with its signature appended, dated `when`.
// Empty with the reason in *problem when the document cannot be read or the
// signer fails.
QByteArray SignPdf(const QByteArray& pdf, const CmsSigner& signer, const QDateTime& when, QString* problem);

// A signature found in a file: the CMS and the bytes it covers.
struct PdfSignature {
    QByteArray cms;      // DER, the gap's padding dropped
    QByteArray covered;  // the file but the gap
    QString problem;     // in Italian: no signature, or one that does not cover the file
    QString title;       // the document's title, as its information says
    QString creator;     // likewise its creator: the program and the company
};
// The last signature of `pdf`; its problem says why it cannot be checked.
PdfSignature ReadPdfSignature(const QByteArray& pdf);

}  // namespace paper
