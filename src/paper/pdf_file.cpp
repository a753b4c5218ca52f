// Writing a document as a PDF/A-1b file through Qt's PDF writer.
#include "paper/pdf_file.h"

#include "paper/page_canvas.h"
#include "version.h"

#include <QPdfWriter>
#include <QSaveFile>

#include <memory>

namespace paper {

QString CreatorText(const QString& company)
{
    return QStringLiteral("Quenvol %1.%2.%3 - società %4")
        .arg(QUENVOL_VERSION_MAJOR).arg(QUENVOL_VERSION_MINOR).arg(QUENVOL_VERSION_PATCH).arg(company);
}

QString WritePdf(const QString& path, const DocumentInfo& info,
                 const std::function<void(QPagedPaintDevice&)>& paint, const std::function<void()>& complete)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    {
        QPdfWriter writer(&file);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer.setResolution(600);
        writer.setTitle(info.title);
        writer.setCreator(CreatorText(info.company));
        writer.setPageLayout(DocumentPageLayout());
        paint(writer);
    }
    if (file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    }
    if (complete) {
        try {
            complete();
        } catch (...) {
            file.cancelWriting();
            throw;
        }
    }
    if (!file.commit())
        return QStringLiteral("%1: %2").arg(path, file.errorString());
    return {};
}

}  // namespace paper
