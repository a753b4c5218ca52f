// What a screen reader says of a control: its accessible name (what it is and
// where it is), a description where the caption alone does not say enough,
// and the caption that labels it. Qt carries these to AT-SPI on Linux and UI
// Automation on Windows, and announces focus moves and list rows by itself.
#pragma once

#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

namespace runtime {

// Names `control`; a non-empty `description` is read after the name.
void NameControl(QWidget* control, const QString& name, const QString& description = {});
// Names a button by its caption without the accelerator's "&".
void NameButton(QAbstractButton* button, const QString& description = {});
// `caption` labels `control`: a screen reader reads them together. The
// caption keeps its look (no accelerator is added).
void LabelControl(QLabel* caption, QWidget* control);
// A caption as spoken: "&CONFERMA" -> "CONFERMA", "&&" -> "&".
QString WithoutAccelerator(const QString& caption);

}  // namespace runtime
