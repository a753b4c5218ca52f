// Making a document as a PDF/A-1b file's bytes: every font embedded, the
// title and the company in the document's information. The caller writes
// them (through a temporary name, so that a partial file never takes the
// document's name).
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QPagedPaintDevice;

namespace paper {

struct DocumentInfo {
    QString title;    // "Pagine 1-10 del registro ARRIVI R1" ...
    QString company;  // the company's code
};

// What the document names as its creator: the program and the company.
QString CreatorText(const QString& company);

// The PDF of the pages `paint` draws (on a device laid out by
// DocumentPageLayout()).
QByteArray RenderPdf(const DocumentInfo& info, const std::function<void(QPagedPaintDevice&)>& paint);

}  // namespace paper
