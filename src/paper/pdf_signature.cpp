// Signing a PDF by an incremental update, and finding the signature again.
#include "paper/pdf_signature.h"

#include <QRegularExpression>

#include <optional>

namespace paper {

namespace {

// The document's last cross-reference section and trailer, as Qt's writer
// makes them (one classic table).
struct Trailer {
    int size = 0;
    int root = 0;
    int info = 0;
    QByteArray id;     // "[ <...> <...> ]"
    qint64 xref = -1;  // where the table starts
};

std::optional<Trailer> ReadTrailer(const QByteArray& pdf)
{
    static const QRegularExpression startxref(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
    const qsizetype tail = std::max<qsizetype>(0, pdf.size() - 4096);
    const QString end = QString::fromLatin1(pdf.mid(tail));
    const QRegularExpressionMatch at = startxref.match(end);
    const qsizetype trailerAt = pdf.lastIndexOf("trailer");
    if (!at.hasMatch() || trailerAt < 0)
        return std::nullopt;
    Trailer trailer;
    trailer.xref = at.captured(1).toLongLong();
    const QString dictionary = QString::fromLatin1(pdf.mid(trailerAt, tail + at.capturedStart() - trailerAt));
    const auto number = [&](const QString& pattern) {
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(dictionary);
        return match.hasMatch() ? match.captured(1).toInt() : 0;
    };
    trailer.size = number(QStringLiteral("/Size\\s+(\\d+)"));
    trailer.root = number(QStringLiteral("/Root\\s+(\\d+)\\s+0\\s+R"));
    trailer.info = number(QStringLiteral("/Info\\s+(\\d+)\\s+0\\s+R"));
    const QRegularExpressionMatch id = QRegularExpression(QStringLiteral("/ID\\s*(\\[[^\\]]*\\])")).match(dictionary);
    if (id.hasMatch())
        trailer.id = id.captured(1).toLatin1();
    if (trailer.size <= 0 || trailer.root <= 0 || trailer.xref <= 0 || trailer.xref >= pdf.size())
        return std::nullopt;
    return trailer;
}

// The text of object `number` (between "obj" and "endobj"), found through
// the cross-reference table.
std::optional<QByteArray> ObjectText(const QByteArray& pdf, const Trailer& trailer, int number)
{
    if (!pdf.mid(trailer.xref, 4).startsWith("xref"))
        return std::nullopt;
    qsizetype at = pdf.indexOf('\n', trailer.xref) + 1;
    while (at > 0 && at < pdf.size()) {
        const qsizetype lineEnd = pdf.indexOf('\n', at);
        const QList<QByteArray> head = pdf.mid(at, lineEnd - at).trimmed().split(' ');
        if (head.size() != 2)
            return std::nullopt;  // the trailer: not found
        const int first = head[0].toInt(), count = head[1].toInt();
        const qsizetype entries = lineEnd + 1;
        if (number >= first && number < first + count) {
            const QByteArray entry = pdf.mid(entries + qsizetype(number - first) * 20, 20);
            if (entry.size() != 20 || entry.at(17) != 'n')
                return std::nullopt;
            const qsizetype offset = entry.left(10).toLongLong();
            const QByteArray head = QByteArray::number(number) + " 0 obj";
            const qsizetype end = pdf.indexOf("endobj", offset);
            if (!pdf.mid(offset, head.size()).startsWith(head) || end < 0)
                return std::nullopt;
            return pdf.mid(offset + head.size(), end - offset - head.size()).trimmed();
        }
        at = entries + qsizetype(count) * 20;
    }
    return std::nullopt;
}

// `dictionary` ("<< ... >>") with `entry` added at its end.
QByteArray WithEntry(const QByteArray& dictionary, const QByteArray& entry)
{
    const qsizetype close = dictionary.lastIndexOf(">>");
    return dictionary.left(close) + entry + "\n" + dictionary.mid(close);
}

// A literal string's bytes: its escapes undone.
QByteArray Unescaped(const QByteArray& literal)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        char c = literal.at(i);
        if (c == '\\' && i + 1 < literal.size()) {
            c = literal.at(++i);
            if (c >= '0' && c <= '7') {
                int value = 0;
                for (int digits = 0; digits < 3 && i < literal.size() && literal.at(i) >= '0' && literal.at(i) <= '7';
                     ++digits)
                    value = value * 8 + (literal.at(i++) - '0');
                --i;
                c = char(value);
            } else if (c == 'n') {
                c = '\n';
            } else if (c == 'r') {
                c = '\r';
            } else if (c == 't') {
                c = '\t';
            }
        }
        bytes += c;
    }
    return bytes;
}

// A text string of the information dictionary, `key` "/Title" ...
QString InfoText(const QByteArray& info, const QByteArray& key)
{
    qsizetype at = info.indexOf(key + " (");
    if (at < 0)
        return {};
    at += key.size() + 2;
    QByteArray literal;
    int depth = 0;
    for (; at < info.size(); ++at) {
        const char c = info.at(at);
        if (c == '\\' && at + 1 < info.size()) {
            literal += c;
            literal += info.at(++at);
            continue;
        }
        if (c == '(')
            ++depth;
        if (c == ')' && depth-- == 0)
            break;
        literal += c;
    }
    const QByteArray bytes = Unescaped(literal);
    if (bytes.startsWith("\xfe\xff")) {
        QString text;
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
            text += QChar(char16_t((uchar(bytes.at(i)) << 8) | uchar(bytes.at(i + 1))));
        return text;
    }
    return QString::fromLatin1(bytes);
}

QByteArray XrefEntry(qint64 offset)
{
    return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
}

}  // namespace

QByteArray SignPdf(const QByteArray& pdf, const CmsSigner& signer, const QDateTime& when, QString* problem)
{
    const auto unreadable = [&] {
        *problem = QStringLiteral("il PDF da firmare non ha la struttura attesa");
        return QByteArray();
    };
    const std::optional<Trailer> trailer = ReadTrailer(pdf);
    if (!trailer)
        return unreadable();
    const std::optional<QByteArray> catalog = ObjectText(pdf, *trailer, trailer->root);
    if (!catalog || !catalog->startsWith("<<") || catalog->contains("/AcroForm"))
        return unreadable();
    static const QRegularExpression pagesEntry(QStringLiteral("/Pages\\s+(\\d+)\\s+0\\s+R"));
    static const QRegularExpression firstKid(QStringLiteral("/Kids\\s*\\[\\s*(\\d+)\\s+0\\s+R"));
    const QRegularExpressionMatch pagesAt = pagesEntry.match(QString::fromLatin1(*catalog));
    const std::optional<QByteArray> pages =
        pagesAt.hasMatch() ? ObjectText(pdf, *trailer, pagesAt.captured(1).toInt()) : std::nullopt;
    const QRegularExpressionMatch kid = pages ? firstKid.match(QString::fromLatin1(*pages)) : QRegularExpressionMatch();
    if (!kid.hasMatch())
        return unreadable();
    const int pageNumber = kid.captured(1).toInt();
    const std::optional<QByteArray> page = ObjectText(pdf, *trailer, pageNumber);
    if (!page || !page->startsWith("<<"))
        return unreadable();

    const int field = trailer->size, signature = field + 1, appearance = field + 2;
    const QByteArray fieldRef = QByteArray::number(field) + " 0 R";
    // The first page takes the field among its annotations: its /Annots
    // array, held in an object of its own or in the page, or a new one.
    int changedNumber = pageNumber;
    QByteArray changedText;
    static const QRegularExpression annotsObject(QStringLiteral("/Annots\\s+(\\d+)\\s+0\\s+R"));
    const QRegularExpressionMatch annots = annotsObject.match(QString::fromLatin1(*page));
    if (annots.hasMatch()) {
        changedNumber = annots.captured(1).toInt();
        const std::optional<QByteArray> array = ObjectText(pdf, *trailer, changedNumber);
        if (!array || !array->startsWith("[") || !array->endsWith("]"))
            return unreadable();
        changedText = array->left(array->size() - 1) + " " + fieldRef + " ]";
    } else if (const qsizetype inline_ = page->indexOf("/Annots"); inline_ >= 0) {
        const qsizetype open = page->indexOf('[', inline_);
        if (open < 0)
            return unreadable();
        changedText = page->left(open + 1) + " " + fieldRef + " " + page->mid(open + 1);
    } else {
        changedText = WithEntry(*page, "/Annots [ " + fieldRef + " ]");
    }

    QByteArray update = pdf;
    if (!update.endsWith('\n'))
        update += '\n';
    std::vector<std::pair<int, qint64>> written;
    const auto object = [&](int number, const QByteArray& text) {
        written.emplace_back(number, update.size());
        update += QByteArray::number(number) + " 0 obj\n" + text + "\nendobj\n";
    };
    // Printable (4) and locked (128); no appearance to draw: an empty form.
    object(field, "<<\n/Type /Annot /Subtype /Widget /FT /Sig /F 132 /T (Firma) /Rect [0 0 0 0]\n/V " +
                      QByteArray::number(signature) + " 0 R /P " + QByteArray::number(pageNumber) + " 0 R /AP << /N " +
                      QByteArray::number(appearance) + " 0 R >>\n>>");
    // The byte range is written as blanks first and filled in once the
    // gap's place is known; the gap is hexadecimal zeros, the room for the CMS.
    const QByteArray rangeRoom(48, ' ');
    written.emplace_back(signature, update.size());
    update += QByteArray::number(signature) + " 0 obj\n<<\n/Type /Sig /Filter /Adobe.PPKLite /SubFilter /ETSI.CAdES.detached\n"
              "/M (D:" + when.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)\n/ByteRange [";
    const qsizetype rangeAt = update.size();
    update += rangeRoom + "]\n/Contents ";
    const qsizetype gapStart = update.size();
    update += "<" + QByteArray(SignatureRoom * 2, '0') + ">";
    const qsizetype gapEnd = update.size();
    update += "\n>>\nendobj\n";
    object(appearance, "<<\n/Type /XObject /Subtype /Form /BBox [0 0 0 0] /Length 0\n>>\nstream\n\nendstream");
    object(trailer->root, WithEntry(*catalog, "/AcroForm << /Fields [ " + fieldRef + " ] /SigFlags 3 >>"));
    object(changedNumber, changedText);

    const qint64 xref = update.size();
    update += "xref\n";
    std::sort(written.begin(), written.end());
    for (const auto& [number, offset] : written)
        update += QByteArray::number(number) + " 1\n" + XrefEntry(offset);
    update += "trailer\n<<\n/Size " + QByteArray::number(appearance + 1) + " /Root " +
              QByteArray::number(trailer->root) + " 0 R";
    if (trailer->info > 0)
        update += " /Info " + QByteArray::number(trailer->info) + " 0 R";
    if (!trailer->id.isEmpty())
        update += "\n/ID " + trailer->id;
    update += "\n/Prev " + QByteArray::number(trailer->xref) + "\n>>\nstartxref\n" + QByteArray::number(xref) +
              "\n%%EOF\n";

    const QByteArray range = QByteArray::number(0) + " " + QByteArray::number(gapStart) + " " +
                             QByteArray::number(gapEnd) + " " + QByteArray::number(update.size() - gapEnd);
    update.replace(rangeAt, range.size(), range);
    const QByteArray covered = update.left(gapStart) + update.mid(gapEnd);
    const QByteArray cms = signer(covered, problem);
    if (cms.isEmpty())
        return {};
    if (cms.size() > SignatureRoom) {
        *problem = QStringLiteral("la firma (%1 byte) non entra nello spazio riservato nel PDF").arg(cms.size());
        return {};
    }
    const QByteArray hex = cms.toHex();
    update.replace(gapStart + 1, hex.size(), hex);
    return update;
}

PdfSignature ReadPdfSignature(const QByteArray& pdf)
{
    PdfSignature found;
    if (const std::optional<Trailer> trailer = ReadTrailer(pdf); trailer && trailer->info > 0) {
        // The information of the original document: the first table's.
        Trailer first = *trailer;
        static const QRegularExpression prev(QStringLiteral("/Prev\\s+(\\d+)"));
        const QRegularExpressionMatch earlier = prev.match(QString::fromLatin1(pdf.mid(pdf.lastIndexOf("trailer"), 200)));
        if (earlier.hasMatch())
            first.xref = earlier.captured(1).toLongLong();
        if (const std::optional<QByteArray> info = ObjectText(pdf, first, first.info)) {
            found.title = InfoText(*info, "/Title");
            found.creator = InfoText(*info, "/Creator");
        }
    }
    const qsizetype at = pdf.lastIndexOf("/ByteRange");
    if (at < 0) {
        found.problem = QStringLiteral("il PDF non è firmato");
        return found;
    }
    static const QRegularExpression numbers(QStringLiteral("^/ByteRange\\s*\\[\\s*(\\d+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)\\s*\\]"));
    const QRegularExpressionMatch range = numbers.match(QString::fromLatin1(pdf.mid(at, 100)));
    const qsizetype dictionaryStart = pdf.lastIndexOf("<<", at);
    const bool cades = dictionaryStart >= 0 && pdf.mid(dictionaryStart, at - dictionaryStart).contains("/ETSI.CAdES.detached");
    if (!range.hasMatch() || !cades) {
        found.problem = QStringLiteral("la firma del PDF non è leggibile (serve una firma ETSI.CAdES.detached)");
        return found;
    }
    const qint64 start = range.captured(1).toLongLong(), gapStart = range.captured(2).toLongLong(),
                 gapEnd = range.captured(3).toLongLong(), after = range.captured(4).toLongLong();
    if (start != 0 || gapStart <= 0 || gapEnd <= gapStart + 1 || gapEnd > pdf.size() || gapEnd + after != pdf.size() ||
        pdf.at(gapStart) != '<' || pdf.at(gapEnd - 1) != '>') {
        found.problem = QStringLiteral("la firma non copre tutto il file: aggiunto o tolto qualcosa dopo la firma");
        return found;
    }
    const QByteArray hex = pdf.mid(gapStart + 1, gapEnd - gapStart - 2);
    static const QRegularExpression hexOnly(QStringLiteral("^[0-9A-Fa-f]*$"));
    if (!hexOnly.match(QString::fromLatin1(hex)).hasMatch() || hex.size() % 2 != 0) {
        found.problem = QStringLiteral("lo spazio della firma nel PDF non contiene una firma");
        return found;
    }
    found.cms = QByteArray::fromHex(hex);
    found.covered = pdf.left(gapStart) + pdf.mid(gapEnd);
    return found;
}

}  // namespace paper
