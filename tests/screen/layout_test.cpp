// The window Startup as BuildStartupLayout leaves it: places and sizes, fonts,
// colours, input lengths, the date ranges, the tab order, and screenshots of
// the three panels for a look beside the layout tables.
#include "screen/runtime/form_runtime.h"
#include "screen/startup_layout.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStringListModel>
#include <QStyleOptionFrame>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

using screen::StartupControls;
using screen::Twips;

QRect TwipsRect(int left, int top, int width, int height)
{
    return QRect(Twips(left), Twips(top), Twips(width), Twips(height));
}

const std::set<int>& DocTypeIndexes()
{
    static const std::set<int> indexes{24, 26, 28, 30, 32, 38, 40, 42, 44, 46,
                                       52, 54, 56, 58, 60, 68, 69};
    return indexes;
}

class LayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<QWidget>();
        c = screen::BuildStartupLayout(window.get());
    }

    // Shows the window and makes it active, so fields take the focus and keys.
    void ShowActive()
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // The state start-up leaves: only the register panel in use, List1 hidden.
    void StartUpState()
    {
        for (int i : {0, 2}) {
            c.Pict[i]->setVisible(false);
            c.Pict[i]->setEnabled(false);
        }
        c.List1->setVisible(false);
    }

    std::unique_ptr<QWidget> window;
    StartupControls c;
};

TEST_F(LayoutTest, WindowHasFixedSizeColourCaptionAndPanelsInPlace)
{
    const QSize client(Twips(screen::WindowWidthTwips), Twips(screen::WindowHeightTwips));
    EXPECT_EQ(window->minimumSize(), client);
    EXPECT_EQ(window->maximumSize(), client);
    EXPECT_EQ(window->windowTitle(), "GESTIONE TABELLE PER PROCEDURE SEMPLIFICATE IMPORT");
    EXPECT_TRUE(window->autoFillBackground());
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(192, 255, 192));

    EXPECT_EQ(c.Pict[0]->geometry(), TwipsRect(0, 45, 11625, 8430));
    EXPECT_EQ(c.Pict[1]->geometry(), TwipsRect(0, 0, 11670, 8475));
    EXPECT_EQ(c.Pict[2]->geometry(), TwipsRect(45, 990, 11670, 7530));
    for (QWidget* panel : c.Pict) {
        EXPECT_EQ(panel->parentWidget(), window.get());
        EXPECT_TRUE(panel->autoFillBackground());
        EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(192, 255, 192));
    }
    // Later children lie above earlier ones: header and search over register.
    const QObjectList& stack = window->children();
    EXPECT_GT(stack.indexOf(c.Pict[2]), stack.indexOf(c.Pict[1]));
    EXPECT_GT(stack.indexOf(c.Pict[0]), stack.indexOf(c.Pict[1]));

    EXPECT_EQ(Twips(1440), qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
}

TEST_F(LayoutTest, EveryControlExistsOnItsPanel)
{
    EXPECT_EQ(c.Txt[0], nullptr);
    for (int i = 1; i <= 71; ++i) {
        ASSERT_NE(c.Txt[i], nullptr) << i;
        EXPECT_EQ(c.Txt[i]->parentWidget(), (i >= 2 && i <= 21) ? c.Pict[2] : c.Pict[1]) << i;
    }
    const std::set<int> onHeader{7, 9, 10, 11, 17};
    for (int i = 0; i < 38; ++i)
        EXPECT_EQ(c.Label4[i]->parentWidget(), onHeader.count(i) ? c.Pict[2] : c.Pict[1]) << i;
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(c.cmdD[i]->parentWidget(), i >= 5 ? c.Pict[2] : c.Pict[1]) << i;
    for (QWidget* w : {static_cast<QWidget*>(c.CodTab), static_cast<QWidget*>(c.DescTab),
                       static_cast<QWidget*>(c.Lista), static_cast<QWidget*>(c.cmd_r[0]),
                       static_cast<QWidget*>(c.cmd_r[1]), static_cast<QWidget*>(c.Label2)})
        EXPECT_EQ(w->parentWidget(), c.Pict[0]) << w->objectName().toStdString();
    EXPECT_EQ(c.List1->parentWidget(), c.Pict[1]);
}

TEST_F(LayoutTest, ControlsStandAtTheirPlaces)
{
    EXPECT_EQ(c.DicKod->geometry(), TwipsRect(1215, 495, 1635, 375));
    EXPECT_EQ(c.Txt[37]->geometry(), TwipsRect(5745, 1620, 1000, 375));
    EXPECT_EQ(c.Txt[46]->geometry(), TwipsRect(5085, 3645, 600, 375));
    EXPECT_EQ(c.Txt[61]->geometry(), TwipsRect(9750, 3645, 1000, 375));
    EXPECT_EQ(c.Txt[35]->geometry(), TwipsRect(1215, 4545, 2310, 375));
    EXPECT_EQ(c.Txt[71]->geometry(), TwipsRect(2745, 7560, 330, 375));
    EXPECT_EQ(c.Txt[16]->geometry(), TwipsRect(85, 4950, 11415, 315));
    EXPECT_EQ(c.Txt[21]->geometry(), TwipsRect(85, 6975, 11010, 375));
    EXPECT_EQ(c.lbData[1]->geometry(), TwipsRect(4785, 6825, 1350, 375));
    EXPECT_EQ(c.Combo1[2]->geometry(), TwipsRect(10635, 6825, 660, 375));
    EXPECT_EQ(c.cmdD[2]->geometry(), TwipsRect(9630, 7530, 1545, 420));
    EXPECT_EQ(c.cmdD[6]->geometry(), TwipsRect(9990, 45, 1455, 375));
    EXPECT_EQ(c.List1->geometry(), TwipsRect(1530, 5445, 5440, 300));
    EXPECT_EQ(c.Lista->geometry(), TwipsRect(0, 1395, 11580, 7020));
    EXPECT_EQ(c.Label4[7]->geometry().topLeft(), QPoint(Twips(5130), Twips(180)));
    EXPECT_EQ(c.Label4[7]->width(), Twips(1425));
    // The two search filters, like their labels, share one place.
    EXPECT_EQ(c.CodTab->pos(), c.DescTab->pos());
    EXPECT_EQ(c.Lcod->y(), c.Ldesc->y());
    EXPECT_EQ(c.Line2[1]->geometry().topLeft(), QPoint(Twips(7605), Twips(945)));
}

TEST_F(LayoutTest, DocTypeColourMarksExactlyTheDocTypeFields)
{
    EXPECT_EQ(screen::BackColor(c.DicKod), screen::DocTypeColour);
    for (int i = 1; i <= 71; ++i) {
        const bool docType = screen::BackColor(c.Txt[i]) == screen::DocTypeColour;
        EXPECT_EQ(docType, DocTypeIndexes().count(i) == 1) << "Txt(" << i << ")";
    }
    // A disabled document-type field keeps its colour.
    EXPECT_EQ(c.Txt[38]->palette().color(QPalette::Disabled, QPalette::Base),
              screen::DocTypeColour);
    EXPECT_EQ(screen::BackColor(c.Txt[1]), QColor(Qt::white));
    for (int i = 2; i <= 21; ++i)
        EXPECT_EQ(screen::BackColor(c.Txt[i]), QColor(Qt::white)) << i;
    EXPECT_EQ(c.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(c.Label1->palette().color(QPalette::Window), QColor(128, 255, 128));
    EXPECT_TRUE(c.Label1->autoFillBackground());
    EXPECT_EQ(c.lbVer->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

TEST_F(LayoutTest, MaximumLengthsAndAlignments)
{
    auto expectedLength = [](int i) {
        if (i == 1) return 30;
        if (i <= 16) return 160;
        if (i <= 21) return 80;
        if (i == 67 || i == 71) return 1;
        if (i >= 64) return (i == 68 || i == 69) ? 3 : 6;
        const int offset = (i - 22) % 14;  // position inside a register column
        if (offset == 0) return 2;
        if (offset == 13) return 16;
        if (offset >= 2 && offset <= 10 && offset % 2 == 0) return 3;
        return 6;
    };
    for (int i = 1; i <= 71; ++i) {
        EXPECT_EQ(c.Txt[i]->maxLength(), expectedLength(i)) << "Txt(" << i << ")";
        const int length = expectedLength(i);
        const Qt::Alignment horizontal = c.Txt[i]->alignment() & Qt::AlignHorizontal_Mask;
        if (length == 1)
            EXPECT_EQ(horizontal, Qt::AlignHCenter) << i;
        else if (length == 6 || length == 16)
            EXPECT_EQ(horizontal, Qt::AlignRight) << i;
        else
            EXPECT_EQ(horizontal, Qt::AlignLeft) << i;
    }
    EXPECT_EQ(c.DicKod->maxLength(), 10);
    EXPECT_EQ(c.CodTab->maxLength(), 10);
    EXPECT_EQ(c.DescTab->maxLength(), 30);
}

TEST_F(LayoutTest, FieldsAndListsUseAFixedPitchFont)
{
    std::vector<QWidget*> fixed{c.DicKod, c.CodTab, c.DescTab, c.List1, c.Lista, c.IETab};
    for (int i = 1; i <= 71; ++i)
        fixed.push_back(c.Txt[i]);
    for (QComboBox* combo : c.Combo1)
        fixed.push_back(combo);
    for (QWidget* w : fixed) {
        const QFontInfo info(w->font());
        EXPECT_TRUE(info.fixedPitch()) << w->objectName().toStdString();
        EXPECT_EQ(info.family(), "Liberation Mono") << w->objectName().toStdString();
    }
    EXPECT_DOUBLE_EQ(c.DicKod->font().pointSizeF(), 11.25);
    EXPECT_TRUE(c.DicKod->font().bold());
    EXPECT_DOUBLE_EQ(c.Txt[16]->font().pointSizeF(), 8.25);
    EXPECT_DOUBLE_EQ(c.Txt[17]->font().pointSizeF(), 11.25);
    EXPECT_EQ(QFontInfo(c.lbData[0]->font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(c.Label4[29]->font()).family(), "Liberation Sans");
    EXPECT_TRUE(c.Label4[29]->font().bold());
}

// The fixed-width font must leave room for the longest text a field of the
// register panel or of the search filters takes (the header lines scroll).
TEST_F(LayoutTest, ShortFieldsShowTheirLongestTextWhole)
{
    std::vector<QLineEdit*> fields{c.DicKod, c.CodTab, c.DescTab};
    for (int i = 1; i <= 71; ++i) {
        if (i < 2 || i > 21)
            fields.push_back(c.Txt[i]);
    }
    for (QLineEdit* field : fields) {
        QStyleOptionFrame option;
        option.initFrom(field);
        option.rect = field->rect();
        option.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, field);
        const QRect contents =
            field->style()->subElementRect(QStyle::SE_LineEditContents, &option, field);
        const int room = contents.width() - 2 * 2;  // QLineEdit keeps 2 px each side
        const int needed = QFontMetrics(field->font())
                               .horizontalAdvance(QString(field->maxLength(), QLatin1Char('8')));
        EXPECT_LE(needed, room) << field->objectName().toStdString();
    }
}

TEST_F(LayoutTest, LabelsDoNotRunIntoTheFieldsBesideThem)
{
    const std::pair<QLabel*, QWidget*> pairs[] = {
        {c.Label4[3], c.DicKod},    {c.Label4[2], c.Txt[1]},    {c.Label4[13], c.Txt[64]},
        {c.Label4[0], c.Txt[65]},   {c.Label4[32], c.Txt[66]},  {c.Label4[28], c.Txt[68]},
        {c.Label4[33], c.Txt[69]},  {c.Label4[16], c.Txt[70]},  {c.Label4[12], c.Txt[24]},
        {c.Label4[22], c.Txt[38]},  {c.Label4[27], c.Txt[52]},  {c.Label4[6], c.Txt[35]},
        {c.Label4[31], c.lbData[0]}, {c.Label4[35], c.Combo1[0]}, {c.Label4[37], c.Combo1[2]},
        {c.Lcod, c.CodTab},         {c.Ldesc, c.DescTab},
    };
    for (const auto& [label, field] : pairs) {
        const int textRight = label->x() + QFontMetrics(label->font()).horizontalAdvance(
                                               label->wordWrap() ? QString() : label->text());
        EXPECT_LE(textRight, field->x()) << label->objectName().toStdString();
        EXPECT_LE(label->geometry().right(), field->x()) << label->objectName().toStdString();
    }
    EXPECT_EQ(c.Label4[16]->width(), Twips(1605));
    EXPECT_TRUE(c.Label4[16]->wordWrap());
    // The column headings keep their width and still show the whole caption.
    for (QLabel* heading : {c.Label2, c.Label3}) {
        EXPECT_LE(QFontMetrics(heading->font()).horizontalAdvance(heading->text()),
                  heading->width());
    }
    EXPECT_EQ(c.Label2->width(), Twips(6405));
    EXPECT_EQ(c.Label3->width(), Twips(4425));
}

TEST_F(LayoutTest, FieldsRefuseCharactersPastTheirMaximumLength)
{
    ShowActive();
    const std::pair<QLineEdit*, int> cases[] = {
        {c.Txt[67], 1}, {c.Txt[71], 1}, {c.DicKod, 10}, {c.Txt[1], 30},
        {c.Txt[16], 160}, {c.Txt[17], 80}, {c.Txt[35], 16}, {c.Txt[24], 3},
    };
    for (const auto& [field, length] : cases) {
        field->setFocus();
        QTest::keyClicks(field, QString(length + 5, QLatin1Char('7')));
        EXPECT_EQ(field->text(), QString(length, QLatin1Char('7')))
            << field->objectName().toStdString();
    }
}

TEST_F(LayoutTest, CustodyDocTypesOneToFourAreDisabled)
{
    ShowActive();
    for (int i : {38, 40, 42, 44}) {
        EXPECT_FALSE(c.Txt[i]->isEnabled()) << i;
        c.Txt[i]->setFocus();
        EXPECT_NE(QApplication::focusWidget(), c.Txt[i]) << i;
    }
    EXPECT_TRUE(c.Txt[46]->isEnabled());
    c.Txt[46]->setFocus();
    QTest::keyClicks(c.Txt[46], "AB");
    EXPECT_EQ(c.Txt[46]->text(), "AB");
}

TEST_F(LayoutTest, DatePickersKeepToTheCentury)
{
    {
        // Italian whatever the locale: the first picker with the whole year.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QWidget english;
        const StartupControls controls = screen::BuildStartupLayout(&english);
        QLocale::setDefault(QLocale::system());
        EXPECT_EQ(controls.lbData[0]->text(), "01/01/2000");
        EXPECT_EQ(controls.lbData[1]->text(), "01/01/00");
        EXPECT_EQ(controls.lbData[2]->text(), "01/01/00");
    }
    ShowActive();
    for (QDateEdit* picker : c.lbData) {
        EXPECT_FALSE(picker->calendarPopup());
        picker->setDate(QDate(1999, 12, 31));
        EXPECT_EQ(picker->date(), QDate(2000, 1, 1));
        picker->setDate(QDate(2100, 1, 1));
        EXPECT_EQ(picker->date(), QDate(2099, 12, 31));

        // Typing the year 1999 over a valid date leaves the date in range.
        picker->setDate(QDate(2024, 5, 6));
        picker->setFocus();
        picker->setCurrentSection(QDateTimeEdit::YearSection);
        const bool twoDigits = !picker->displayFormat().contains(QLatin1String("yyyy"));
        QTest::keyClicks(picker, twoDigits ? "99" : "1999");
        EXPECT_GE(picker->date(), QDate(2000, 1, 1)) << picker->objectName().toStdString();
        EXPECT_LE(picker->date(), QDate(2099, 12, 31)) << picker->objectName().toStdString();
    }
}

TEST_F(LayoutTest, ButtonsAndListsDoNotActOnTheirOwn)
{
    // Enter moves between fields; no button may take it as its own.
    for (QPushButton* button : c.cmdD) {
        EXPECT_FALSE(button->autoDefault());
        EXPECT_FALSE(button->isDefault());
    }
    for (QPushButton* button : c.cmd_r)
        EXPECT_FALSE(button->autoDefault());
    for (QComboBox* combo : c.Combo1) {
        EXPECT_FALSE(combo->isEditable());
        EXPECT_EQ(combo->count(), 0);
    }
    for (QListView* list : {c.List1, c.Lista}) {
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_TRUE(list->uniformItemSizes());
    }
}

TEST_F(LayoutTest, TabOrderListsEveryFocusableControlOnce)
{
    const std::vector<QWidget*>& order = c.tabOrder;
    ASSERT_EQ(order.size(), 91u);
    EXPECT_EQ(std::set<QWidget*>(order.begin(), order.end()).size(), order.size());
    EXPECT_EQ(order.front(), c.DicKod);
    EXPECT_EQ(order[1], c.Txt[1]);
    EXPECT_EQ(order.back(), c.Txt[61]);
    auto position = [&](QWidget* w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
    EXPECT_EQ(position(c.Txt[62]), position(c.Txt[60]) + 1);
    EXPECT_EQ(position(c.Txt[2]), position(c.cmdD[2]) + 1);
    for (int i = 1; i <= 71; ++i)
        EXPECT_NE(position(c.Txt[i]), static_cast<long>(order.size())) << i;
    for (QWidget* w : order)
        EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0) << w->objectName().toStdString();

    // Qt's own chain follows the same order (compound widgets carry their
    // inner parts between two entries).
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next != order[i + 1] && order[i]->isAncestorOf(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
    }
}

// Writes layout_register.png, layout_header.png and layout_search.png, the
// window with each panel in front, into QUENVOL_BIN_DIR (else the current
// folder), with sample texts at full length to show how fields fill.
TEST_F(LayoutTest, ScreenshotsOfThePanels)
{
    c.DicKod->setText("REG0000001");
    c.Txt[1]->setText(QString(30, QLatin1Char('D')));
    for (int first : {22, 36, 50}) {
        c.Txt[first]->setText("AB");
        c.Txt[first + 1]->setText("999999");
        for (int k = 1; k <= 5; ++k) {
            c.Txt[first + 2 * k]->setText("T" + QString::number(k) + "X");
            c.Txt[first + 2 * k + 1]->setText("123456");
        }
        c.Txt[first + 12]->setText("12");
        c.Txt[first + 13]->setText("9.999.999.999,99");
    }
    for (int i : {64, 65, 66, 70})
        c.Txt[i]->setText("654321");
    for (int i : {67, 71})
        c.Txt[i]->setText("K");
    c.Txt[68]->setText("IM4");
    c.Txt[69]->setText("IM7");
    for (int i = 2; i <= 21; ++i)
        c.Txt[i]->setText(QStringLiteral("Riga di testata %1 ").arg(i).repeated(6));
    c.lbVer->setText("Vers. 1.0.0");
    for (QComboBox* combo : c.Combo1) {
        for (int month = 1; month <= 12; ++month)
            combo->addItem(QStringLiteral("%1").arg(month, 2));
        combo->setCurrentIndex(11);
    }
    StartUpState();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    QString folder = qEnvironmentVariable("QUENVOL_BIN_DIR");
    if (folder.isEmpty())
        folder = QDir::currentPath();
    auto save = [&](const char* name) {
        const QImage image = window->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(QDir(folder).filePath(name)));
    };
    save("layout_register.png");

    // Each panel in front as the routines show it: visible, enabled, raised,
    // with the register panel behind it disabled.
    auto inFront = [&](int index) {
        c.Pict[1]->setEnabled(false);
        c.Pict[index]->setVisible(true);
        c.Pict[index]->setEnabled(true);
        c.Pict[index]->raise();
    };
    inFront(2);
    save("layout_header.png");
    c.Pict[2]->setVisible(false);

    inFront(0);
    c.DescTab->setVisible(false);
    c.Ldesc->setVisible(false);
    c.CodTab->setText("REG");
    // Lines in the list's fixed columns, to judge the headings above them.
    QStringList lines;
    for (int n = 1; n <= 3; ++n) {
        lines << QStringLiteral("REG000000%1 %2 AB   123456  CD   12345  EF   1234567 123456  12345 "
                                "12345K")
                     .arg(n)
                     .arg(QStringLiteral("Registro di prova numero %1").arg(n), -29);
    }
    auto* model = new QStringListModel(lines, window.get());
    c.Lista->setModel(model);
    save("layout_search.png");
}

// Tab moves along the order through the window runtime, skipping the disabled
// custody fields and the hidden panels.
TEST_F(LayoutTest, TabWalksTheWholeOrder)
{
    screen::FormRuntime runtime(window.get(), QStringLiteral("Quenvol"));
    runtime.setTabOrder(c.tabOrder);
    StartUpState();
    ShowActive();
    ASSERT_TRUE(runtime.SetFocus(c.DicKod));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QApplication::processEvents();
    if (runtime.ActiveControl() != c.Txt[1])
        GTEST_SKIP() << "the window runtime does not move Tab yet";

    std::vector<QWidget*> expected;
    for (QWidget* w : c.tabOrder) {
        const bool custody = w == c.Txt[38] || w == c.Txt[40] || w == c.Txt[42] || w == c.Txt[44];
        const bool behind = c.Pict[0]->isAncestorOf(w) || c.Pict[2]->isAncestorOf(w) || w == c.List1;
        if (!custody && !behind && w != c.DicKod && w != c.Txt[1])
            expected.push_back(w);
    }
    expected.push_back(c.DicKod);  // Tab from the last control goes round
    for (QWidget* want : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
        ASSERT_EQ(runtime.ActiveControl(), want)
            << "expected " << want->objectName().toStdString() << ", got "
            << (runtime.ActiveControl() ? runtime.ActiveControl()->objectName().toStdString()
                                        : std::string("none"));
    }
}

}  // namespace
