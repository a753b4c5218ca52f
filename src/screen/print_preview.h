// Qt's print preview with Italian texts, on the documents of src/paper: the
// operator looks at the pages, then prints them (a CUPS printer) or saves
// them as a PDF/A file.
#pragma once

#include "paper/pdf_file.h"
#include "paper/page_prints.h"

#include <functional>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QWidget;

namespace screen {

// Shows the preview of the pages `paint` draws; true when the operator
// printed or saved them, false when the preview was closed without.
bool ShowPrintPreview(QWidget* parent, const paper::DocumentInfo& info,
                      const std::function<void(QPagedPaintDevice&)>& paint);

// What the operator asks to print from the header panel.
struct PagesRequest {
    paper::PageRegister reg = paper::PageRegister::Arrivi;
    int first = 1;
    int last = 1;
};
// Asks the register, the first and the last page, proposing for each
// register the page after the last printed (`next`, by register). Nothing
// when the operator gives up.
std::optional<PagesRequest> AskPages(QWidget* parent, const std::vector<int>& next);

}  // namespace screen
