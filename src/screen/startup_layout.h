// The controls of the window Startup, addressed by name and array index as the
// routines address them, and the routine that creates and places them.
#pragma once

#include <QColor>

#include <array>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QWidget;

namespace screen {

// RGB(255,255,192): on a Txt field it marks a document-type field, and the
// document-type routines recognise those fields by this colour alone.
inline const QColor DocTypeColour(255, 255, 192);
// RGB(192,255,192): the window's and the panels' light green.
inline const QColor WindowColour(192, 255, 192);

// Client area of the window, in twips.
constexpr int WindowWidthTwips = 11655;
constexpr int WindowHeightTwips = 8490;

struct StartupControls {
    QWidget* window = nullptr;
    std::array<QWidget*, 3> Pict{};         // 0 search, 1 register, 2 header panel
    std::array<QLineEdit*, 72> Txt{};       // 1 to 71; Txt[0] does not exist
    QLineEdit* DicKod = nullptr;
    std::array<QComboBox*, 3> Combo1{};
    std::array<QDateEdit*, 3> lbData{};
    QListView* List1 = nullptr;
    std::array<QPushButton*, 7> cmdD{};
    std::array<QLabel*, 38> Label4{};
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
    std::vector<QWidget*> tabOrder;         // the window's Tab order
};

// Twips to pixels at the screen's logical DPI (15 twips a pixel at 96 DPI).
int Twips(int twips);

// Creates every control on `window` with its place, size, font, colours,
// maximum length and alignment, the three panels as start-up leaves them
// before Form_Load, and the tab order. The window gets its fixed client size.
StartupControls BuildStartupLayout(QWidget* window);

// Background colour of a text field as the routines read it.
QColor BackColor(const QLineEdit* field);

}  // namespace screen
