// The window Startup as BuildStartupLayout leaves it: no control covering or
// cutting another, captions and longest texts shown whole, the yellow
// document-type fields, input lengths, the date ranges and the tab order.
#include "runtime/form_runtime.h"
#include "screen/startup_layout.h"

#include <QComboBox>
#include <QDateEdit>
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
#include <QStyleOptionFrame>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

using screen::StartupControls;
using screen::Twips;

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
        screen::BuildHiddenPanels(c);  // as the window has them once shown
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

// What each panel shows at once: its direct children that are not hidden.
std::vector<QWidget*> ShownControls(QWidget* panel)
{
    std::vector<QWidget*> controls;
    for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden())
            controls.push_back(child);
    return controls;
}

std::string NameOf(const QWidget* w)
{
    return w->objectName().isEmpty() ? std::string(w->metaObject()->className())
                                     : w->objectName().toStdString();
}

// A control cut by its panel's edge or by the window's loses part of what it
// shows; the window cannot be widened to bring it back. Neighbours may share a
// border (a few pixels); more would hide part of a control under another. The
// rules are lines drawn across the panel, and the two search filters with
// their captions take turns in one place.
TEST_F(LayoutTest, TheWindowKeepsItsSizeAndItsControlsLieWhollyInsideItUncovered)
{
    const QSize client(Twips(screen::WindowWidthTwips), Twips(screen::WindowHeightTwips));
    EXPECT_EQ(window->minimumSize(), client);
    EXPECT_EQ(window->maximumSize(), client);
    EXPECT_EQ(Twips(1440), qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
    constexpr int SharedBorder = 3;
    auto isRule = [](const QWidget* w) {
        const auto* frame = qobject_cast<const QFrame*>(w);
        return frame && (frame->frameShape() == QFrame::HLine || frame->frameShape() == QFrame::VLine);
    };
    for (QWidget* panel : c.Pict) {
        const std::vector<QWidget*> controls = ShownControls(panel);
        for (std::size_t i = 0; i < controls.size(); ++i) {
            EXPECT_TRUE(panel->rect().contains(controls[i]->geometry()))
                << NameOf(controls[i]) << " passes the edge of " << NameOf(panel);
            const QRect inWindow(controls[i]->mapTo(window.get(), QPoint(0, 0)), controls[i]->size());
            EXPECT_TRUE(window->rect().contains(inWindow)) << NameOf(controls[i]) << " passes the window's edge";
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                const std::set<QWidget*> pair{controls[i], controls[j]};
                if (isRule(controls[i]) || isRule(controls[j]) || pair == std::set<QWidget*>{c.CodTab, c.DescTab}
                    || pair == std::set<QWidget*>{c.Lcod, c.Ldesc})
                    continue;
                const QRect common = controls[i]->geometry().intersected(controls[j]->geometry());
                EXPECT_FALSE(common.width() > SharedBorder && common.height() > SharedBorder)
                    << NameOf(controls[i]) << " and " << NameOf(controls[j]) << " share " << common.width()
                    << "x" << common.height() << " pixels";
            }
        }
    }
    EXPECT_EQ(c.CodTab->pos(), c.DescTab->pos());
    EXPECT_EQ(c.Lcod->y(), c.Ldesc->y());
}

// A caption wider than its label or button is cut: the operator reads half a word.
TEST_F(LayoutTest, NoCaptionIsCutByItsControl)
{
    for (QWidget* panel : c.Pict) {
        for (QWidget* control : ShownControls(panel)) {
            QString text;
            bool wrap = false;
            if (auto* label = qobject_cast<QLabel*>(control)) {
                text = label->text();
                wrap = label->wordWrap();
            } else if (auto* button = qobject_cast<QPushButton*>(control)) {
                text = button->text().remove(QLatin1Char('&'));
            }
            if (text.isEmpty())
                continue;
            const QFontMetrics metrics(control->font());
            const QRect room = control->contentsRect();
            if (wrap)
                EXPECT_LE(metrics.boundingRect(room, Qt::TextWordWrap, text).height(), room.height())
                    << NameOf(control);
            else
                EXPECT_LE(metrics.horizontalAdvance(text), room.width()) << NameOf(control);
        }
    }
}

TEST_F(LayoutTest, DocTypeColourMarksExactlyTheDocTypeFields)
{
    EXPECT_EQ(screen::BackColor(c.DicKod), screen::DocTypeColour);
    for (int i = store::Field::First; i <= store::Field::Last; ++i) {
        const bool docType = screen::BackColor(c.Txt[i]) == screen::DocTypeColour;
        EXPECT_EQ(docType, DocTypeIndexes().count(i) == 1) << "Txt(" << i << ")";
    }
    // A disabled document-type field keeps its colour.
    EXPECT_EQ(c.Txt[38]->palette().color(QPalette::Disabled, QPalette::Base),
              screen::DocTypeColour);
}

TEST_F(LayoutTest, FieldsAndListsUseAFixedPitchFont)
{
    std::vector<QWidget*> fixed{c.DicKod, c.CodTab, c.DescTab, c.List1, c.Lista, c.IETab};
    for (int i = store::Field::First; i <= store::Field::Last; ++i)
        fixed.push_back(c.Txt[i]);
    for (QComboBox* combo : c.Combo1)
        fixed.push_back(combo);
    for (QWidget* w : fixed) {
        const QFontInfo info(w->font());
        EXPECT_TRUE(info.fixedPitch()) << w->objectName().toStdString();
        EXPECT_EQ(info.family(), "Liberation Mono") << w->objectName().toStdString();
    }
}

// The fixed-width font must leave room for the longest text a field of the
// register panel or of the search filters takes (the header lines scroll).
TEST_F(LayoutTest, ShortFieldsShowTheirLongestTextWhole)
{
    std::vector<QLineEdit*> fields{c.DicKod, c.CodTab, c.DescTab};
    for (int i = store::Field::First; i <= store::Field::Last; ++i) {
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
}

// One field of each class: its length, and numbers and amounts to the right.
TEST_F(LayoutTest, FieldsRefuseCharactersPastTheirMaximumLengthAndAlignByClass)
{
    ShowActive();
    const struct {
        QLineEdit* field;
        int length;
        Qt::Alignment alignment;
    } cases[] = {
        {c.Txt[67], 1, Qt::AlignHCenter}, {c.Txt[71], 1, Qt::AlignHCenter}, {c.DicKod, 10, Qt::AlignLeft},
        {c.Txt[1], 30, Qt::AlignLeft},    {c.Txt[16], 160, Qt::AlignLeft},   {c.Txt[17], 80, Qt::AlignLeft},
        {c.Txt[35], 16, Qt::AlignRight},  {c.Txt[24], 3, Qt::AlignLeft},     {c.Txt[50], 2, Qt::AlignLeft},
        {c.Txt[51], 6, Qt::AlignRight},   {c.Txt[66], 6, Qt::AlignRight},    {c.Txt[68], 3, Qt::AlignLeft},
        {c.CodTab, 10, Qt::AlignLeft},    {c.DescTab, 30, Qt::AlignLeft},
    };
    for (const auto& [field, length, alignment] : cases) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->setFocus();
        QTest::keyClicks(field, QString(length + 5, QLatin1Char('7')));
        EXPECT_EQ(field->text(), QString(length, QLatin1Char('7')));
        EXPECT_EQ(field->alignment() & Qt::AlignHorizontal_Mask, alignment);
    }
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
    for (QComboBox* combo : c.Combo1)
        EXPECT_FALSE(combo->isEditable());
    for (QListView* list : {c.List1, c.Lista}) {
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    }
}

// Tab moves along the window's order through the window runtime: every field
// once, Txt(61) last (it was added late), skipping the disabled custody fields
// and the hidden panels, and round to the code field.
TEST_F(LayoutTest, TabVisitsEveryUsableControlOnceInTheWindowsOrder)
{
    const std::vector<QWidget*>& order = c.tabOrder;
    EXPECT_EQ(std::set<QWidget*>(order.begin(), order.end()).size(), order.size());
    auto position = [&](QWidget* w) { return std::find(order.begin(), order.end(), w) - order.begin(); };
    EXPECT_EQ(order.front(), c.DicKod);
    EXPECT_EQ(order[1], c.Txt[1]);
    EXPECT_EQ(order.back(), c.Txt[61]);
    EXPECT_EQ(position(c.Txt[62]), position(c.Txt[60]) + 1);
    EXPECT_EQ(position(c.Txt[2]), position(c.cmdD[2]) + 1);
    for (int i = store::Field::First; i <= store::Field::Last; ++i)
        EXPECT_NE(position(c.Txt[i]), static_cast<long>(order.size())) << i;
    // Qt's own chain follows the same order (compound widgets carry their
    // inner parts between two entries).
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next != order[i + 1] && order[i]->isAncestorOf(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, order[i + 1]) << order[i]->objectName().toStdString();
    }

    runtime::FormRuntime runtime(window.get(), QStringLiteral("Quenvol"));
    runtime.setTabOrder(order);
    StartUpState();
    ShowActive();
    ASSERT_TRUE(runtime.SetFocus(c.DicKod));
    std::vector<QWidget*> expected;
    for (QWidget* w : order) {
        const bool custody = w == c.Txt[38] || w == c.Txt[40] || w == c.Txt[42] || w == c.Txt[44];
        const bool behind = c.Pict[0]->isAncestorOf(w) || c.Pict[2]->isAncestorOf(w) || w == c.List1;
        if (!custody && !behind && w != c.DicKod)
            expected.push_back(w);
    }
    expected.push_back(c.DicKod);  // Tab from the last control goes round
    for (QWidget* want : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(runtime.ActiveControl(), want)
            << "expected " << want->objectName().toStdString() << ", got "
            << (runtime.ActiveControl() ? runtime.ActiveControl()->objectName().toStdString()
                                        : std::string("none"));
    }
}

}  // namespace
