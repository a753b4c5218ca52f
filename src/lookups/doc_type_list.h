// DocTypeList: the document types offered under a document-type field, and the
// check of a typed code when the field is left. A document-type field is
// recognised by its light-yellow background alone.
#pragma once

#include "lookups/list_window.h"
#include "runtime/form_runtime.h"
#include "store/record/screen_fields.h"
#include "store/tables/tables.h"

#include <QColor>

#include <array>

class QLineEdit;
class QListView;
class QStringListModel;
class QWidget;

namespace lookups {

// RGB(255,255,192): on a Txt field it marks a document-type field, and the
// document-type routines recognise those fields by this colour alone.
inline const QColor DocTypeColour(255, 255, 192);

// Background colour of a text field as the routines read it.
QColor BackColor(const QLineEdit* field);

class DocTypeList {
public:
    // `fields`: the window's Txt fields by index; `window`: the window the list
    // must stay inside.
    DocTypeList(QListView* list, const std::array<QLineEdit*, store::Field::Count>& fields,
                QWidget* window, runtime::FormRuntime& runtime, store::CompanyDatabase& company,
                ListWindow& listWindow);
    DocTypeList(const DocTypeList&) = delete;
    DocTypeList& operator=(const DocTypeList&) = delete;

    // Connects the list's events to the handlers below.
    void wireEvents();

    void FillDocTypeList();
    void ShowDocTypeList();
    void List1_DblClick();
    // Escape: the list goes away and the field keeps its code and the focus.
    void HideDocTypeList();
    void List1_LostFocus();
    void CheckDocType(int Index);

private:
    QListView* List1_;
    const std::array<QLineEdit*, store::Field::Count>& Txt_;
    QWidget* window_;
    runtime::FormRuntime& runtime_;
    store::CompanyDatabase& company_;
    ListWindow& listWindow_;
    QStringListModel* model_ = nullptr;
};

}  // namespace lookups
