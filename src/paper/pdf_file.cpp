// Making a document as a PDF/A-1b file through Qt's PDF writer, in memory.
#include "paper/pdf_file.h"

#include "paper/page_canvas.h"
#include "version.h"

#include <QBuffer>
#include <QPdfWriter>

namespace paper {

QString CreatorText(const QString& company)
{
    return QStringLiteral("Quenvol %1.%2.%3 - società %4")
        .arg(QUENVOL_VERSION_MAJOR).arg(QUENVOL_VERSION_MINOR).arg(QUENVOL_VERSION_PATCH).arg(company);
}

QByteArray RenderPdf(const DocumentInfo& info, const std::function<void(QPagedPaintDevice&)>& paint)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer.setResolution(600);
        writer.setTitle(info.title);
        writer.setCreator(CreatorText(info.company));
        writer.setPageLayout(DocumentPageLayout());
        paint(writer);
    }
    buffer.close();
    return bytes;
}

}  // namespace paper
