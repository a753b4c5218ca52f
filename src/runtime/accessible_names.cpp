// Accessible names, descriptions and caption buddies of the window's controls.
#include "runtime/accessible_names.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

namespace runtime {

QString WithoutAccelerator(const QString& caption)
{
    QString spoken;
    spoken.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;  // "&&" is a plain "&"; "&X" underlines X
        spoken += caption[i];
    }
    return spoken;
}

void NameControl(QWidget* control, const QString& name, const QString& description)
{
    if (!control)
        return;
    control->setAccessibleName(name);
    if (!description.isEmpty())
        control->setAccessibleDescription(description);
}

void NameButton(QAbstractButton* button, const QString& description)
{
    if (button)
        NameControl(button, WithoutAccelerator(button->text()), description);
}

void LabelControl(QLabel* caption, QWidget* control)
{
    if (caption && control)
        caption->setBuddy(control);
}

}  // namespace runtime
