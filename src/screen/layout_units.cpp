// Units, fonts and the small factories the panel builders share: twips to
// pixels, the stand-in fonts, and text fields, labels, buttons and rules
// created at their place in twips.
#include "screen/startup_layout.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace screen {

namespace {

// A twip is 1/1440 of a logical inch.
constexpr double TwipsPerInch = 1440.0;
// Used when there is no screen to ask (no application object yet).
constexpr double FallbackDpi = 96.0;

double LogicalDpiX()
{
    if (QGuiApplication::instance() != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return screen->logicalDotsPerInchX();
    }
    return FallbackDpi;
}

}  // namespace

int Twips(int twips)
{
    return static_cast<int>(std::lround(twips * LogicalDpiX() / TwipsPerInch));
}

namespace layout {

QFont FixedFont(double points, bool bold)
{
    QFont font(QStringLiteral("Liberation Mono"));
    font.setStyleHint(QFont::TypeWriter);  // any fixed-pitch face if Liberation is missing
    font.setFixedPitch(true);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QFont SansFont(double points, bool bold)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    // Smoothed at every size: Windows' GDI draws the face's small sizes
    // (the buttons' 8.25 points) unsmoothed, and Qt's glyph cache then loses
    // the one-pixel stem of the capital I ("EL M NA").
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void Place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(Twips(left), Twips(top), Twips(width), Twips(height));
}

void FillBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLineEdit* MakeField(QWidget* panel, const QString& name, int left, int top, int width,
                     int height, int maxLength, Qt::Alignment alignment, const QFont& font)
{
    auto* field = new QLineEdit(panel);
    field->setObjectName(name);
    // A field in its panel's face takes it from the panel as it is made;
    // setting it once more would lay its text out a second time.
    if (field->font() != font)
        field->setFont(font);
    field->setMaxLength(maxLength);
    field->setAlignment(alignment | Qt::AlignVCenter);
    Place(field, left, top, width, height);
    return field;
}

namespace {

QLabel* NewLabel(QWidget* panel, const QString& name, const QString& caption, const QFont& font,
                 Qt::Alignment alignment)
{
    auto* label = new QLabel(panel);
    label->setObjectName(name);
    // Plain text keeps runs of blanks, which the column headings rely on.
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setFont(font);
    label->setAlignment(alignment | Qt::AlignVCenter);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

}  // namespace

QLabel* MakeLabel(QWidget* panel, const QString& name, const QString& caption, int left,
                  int top, const QFont& font, int width, Qt::Alignment alignment, QSize measured)
{
    QLabel* label = NewLabel(panel, name, caption, font, alignment);
    // Measuring lays the caption out: a window's captions repeat, and a
    // repeated one takes the size measured before.
    const QSize hint = measured.isValid() ? measured : label->sizeHint();
    label->setGeometry(Twips(left), Twips(top), width > 0 ? Twips(width) : hint.width(),
                       hint.height());
    return label;
}

QLabel* MakeSizedLabel(QWidget* panel, const QString& name, const QString& caption, int left,
                       int top, int width, int height, const QFont& font, Qt::Alignment alignment)
{
    QLabel* label = NewLabel(panel, name, caption, font, alignment);
    Place(label, left, top, width, height);
    return label;
}

QPushButton* MakeButton(QWidget* panel, const QString& name, const QString& caption,
                        int left, int top, int width, int height)
{
    auto* button = new QPushButton(caption, panel);
    button->setObjectName(name);
    button->setFont(SansFont(8.25));
    // Enter moves between fields; it must never press a button by itself.
    button->setAutoDefault(false);
    button->setDefault(false);
    Place(button, left, top, width, height);
    return button;
}

namespace {

// A rule painted by filling its whole rectangle in the text colour. QFrame
// draws a one-pixel line through the middle of its rectangle; at a
// fractional scale factor (1.25, 1.5, 1.75) that line falls on the edge of
// the device pixels the rectangle covers and is clipped away. A filled
// rectangle covers at least one device pixel at any scale, and at scale 1 it
// is the same pixel row or column the line was.
class Rule : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::WindowText));
    }
};

}  // namespace

QFrame* MakeLine(QWidget* panel, const QString& name, int x1, int y1, int x2, int y2)
{
    QFrame* line = new Rule(panel);
    line->setObjectName(name);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setFocusPolicy(Qt::NoFocus);
    if (y1 == y2) {
        line->setFrameShape(QFrame::HLine);
        line->setGeometry(Twips(x1), Twips(y1), Twips(x2) - Twips(x1) + 1, 1);
    } else {
        line->setFrameShape(QFrame::VLine);
        line->setGeometry(Twips(x1), Twips(y1), 1, Twips(y2) - Twips(y1) + 1);
    }
    return line;
}

}  // namespace layout

}  // namespace screen
