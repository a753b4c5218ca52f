// Writing a document as a PDF/A-1b file: every font embedded, the title and
// the company in the document's information, the file put in its place only
// once complete.
#pragma once

#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPrinter;

namespace paper {

struct DocumentInfo {
    QString title;    // "Pagine 1-10 del registro ARRIVI R1" ...
    QString company;  // the company's code
};

// What the document names as its creator: the program and the company.
QString CreatorText(const QString& company);

// Writes the pages `paint` draws (on a device laid out by
// DocumentPageLayout()) to `path`. Before the file takes its place `complete`
// runs (recording the print); when it throws, no file is left and the error
// goes on. Empty when written; otherwise the message for the operator.
QString WritePdf(const QString& path, const DocumentInfo& info,
                 const std::function<void(QPagedPaintDevice&)>& paint,
                 const std::function<void()>& complete = {});

}  // namespace paper
