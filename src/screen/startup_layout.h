// The controls of the window Startup, addressed by name and array index as the
// routines address them, and the routine that creates and places them.
#pragma once

#include "lookups/doc_type_list.h"
#include "store/record/screen_fields.h"

#include <QColor>
#include <QSize>
#include <QString>
#include <Qt>

#include <array>
#include <vector>

class QComboBox;
class QDateEdit;
class QFont;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QWidget;

namespace screen {

// The light yellow of the document-type fields, which the document-type list
// recognises them by.
using lookups::DocTypeColour;
using lookups::BackColor;
// RGB(192,255,192): the window's and the panels' light green.
inline const QColor WindowColour(192, 255, 192);

// Client area of the window, in twips.
constexpr int WindowWidthTwips = 11655;
constexpr int WindowHeightTwips = 8490;

// The buttons cmdD by what they do: 0 to 4 on the register panel, 5 and 6 on
// the header panel.
namespace CmdD {
constexpr int Elimina = 0;          // delete the register set
constexpr int Conferma = 1;         // save the register set
constexpr int Uscita = 2;           // leave the program
constexpr int Annulla = 3;          // drop the edits, back to the code
constexpr int Testate = 4;          // open the header panel
constexpr int ConfermaTestata = 5;  // write the header lines
constexpr int AnnullaTestata = 6;   // restore the header lines
constexpr int Count = 7;
}  // namespace CmdD

// The captions of Label4 as designed (label_layout.cpp); a single field added
// after the designed ones (past MeccanogCin) brings its own caption after them.
constexpr int DesignedCaptions = 38;
constexpr int AddedFields = store::Field::Last - store::Field::MeccanogCin;

struct StartupControls {
    QWidget* window = nullptr;
    std::array<QWidget*, 3> Pict{};         // 0 search, 1 register, 2 header panel
    std::array<QLineEdit*, store::Field::Count> Txt{};  // 1 to Field::Last; Txt[0] does not exist
    QLineEdit* DicKod = nullptr;
    std::array<QComboBox*, 3> Combo1{};
    std::array<QDateEdit*, 3> lbData{};
    QListView* List1 = nullptr;
    std::array<QPushButton*, CmdD::Count> cmdD{};  // by the names of CmdD
    std::array<QLabel*, DesignedCaptions + AddedFields> Label4{};
    QLabel* Label1 = nullptr;
    QLabel* lbVer = nullptr;
    QLineEdit* CodTab = nullptr;
    QLineEdit* DescTab = nullptr;
    std::array<QPushButton*, 2> cmd_r{};
    QListView* Lista = nullptr;
    QLabel* IETab = nullptr;
    QLabel* Lcod = nullptr;
    QLabel* Ldesc = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    std::array<QFrame*, 4> Line1{};         // the rules of the register panel
    std::array<QFrame*, 2> Line2{};
    std::vector<QWidget*> tabOrder;         // the window's Tab order
    // The history panel, over every other panel while it is open, and the
    // register panel's note that no history is kept.
    QWidget* PictStorico = nullptr;
    QLabel* IEStorico = nullptr;
    QListView* ListaStorico = nullptr;
    QPushButton* cmdStorico = nullptr;
    QLabel* lbStorico = nullptr;
};

// Twips to pixels at the screen's logical DPI (15 twips a pixel at 96 DPI).
int Twips(int twips);

// Creates every control on `window` with its place, size, font, colours,
// maximum length and alignment, the three panels as start-up leaves them
// before Form_Load, and the tab order. The window gets its fixed client size.
// The search panel and the history panel, hidden until asked for, stand empty:
// BuildHiddenPanels makes their controls once the window is on the screen.
StartupControls BuildStartupLayout(QWidget* window);
// Makes the controls of the search and history panels and sets the whole tab order.
void BuildHiddenPanels(StartupControls& c);

// --- Building blocks of the panel builders (the *_layout.cpp files) ----------
// Places and sizes are in twips, relative to the panel that holds the control.
namespace layout {

// Liberation Mono stands in for Courier New (same metrics, fixed pitch).
QFont FixedFont(double points, bool bold = false);
// Liberation Sans stands in for MS Sans Serif and Microsoft Sans Serif.
QFont SansFont(double points, bool bold = false);

void Place(QWidget* control, int left, int top, int width, int height);
// Paints the widget's own background in `colour`.
void FillBackground(QWidget* widget, const QColor& colour);

QLineEdit* MakeField(QWidget* panel, const QString& name, int left, int top, int width,
                     int height, int maxLength, Qt::Alignment alignment, const QFont& font);
// A label as tall as its font; `width` 0 makes it as wide as its caption.
// `measured`: the size in pixels a label of the same caption, face and
// alignment was given before; the caption is then not measured again.
QLabel* MakeLabel(QWidget* panel, const QString& name, const QString& caption, int left,
                  int top, const QFont& font, int width = 0,
                  Qt::Alignment alignment = Qt::AlignLeft, QSize measured = {});
// A label of the designed size in twips: its caption is not measured.
QLabel* MakeSizedLabel(QWidget* panel, const QString& name, const QString& caption, int left,
                       int top, int width, int height, const QFont& font, Qt::Alignment alignment);
QPushButton* MakeButton(QWidget* panel, const QString& name, const QString& caption,
                        int left, int top, int width, int height);
// A one-pixel rule from (x1, y1) to (x2, y2); either x1 == x2 or y1 == y2.
QFrame* MakeLine(QWidget* panel, const QString& name, int x1, int y1, int x2, int y2);

// The controls of each panel; the panels themselves already exist in `c.Pict`.
void BuildRegisterPanel(StartupControls& c);
void BuildHeaderPanel(StartupControls& c);
void BuildSearchPanel(StartupControls& c);
// The history panel itself, empty and hidden, and the register panel's note.
void MakeHistoryPanel(StartupControls& c);
void BuildHistoryPanel(StartupControls& c);
// The captions of the label array Label4, on the register and header panels;
// a field's caption labels its field.
void BuildLabels(StartupControls& c);
// The accessible names and descriptions of the controls made so far.
void NameControls(StartupControls& c);

}  // namespace layout

}  // namespace screen
