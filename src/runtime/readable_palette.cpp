// Contrast ratios and the palette brought to a readable contrast.
#include "runtime/readable_palette.h"

#include <cmath>
#include <utility>

namespace runtime {

namespace {

// The relative luminance of sRGB: each channel linearised, then weighted.
double Luminance(const QColor& colour)
{
    auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

// Each text role with the background role it is drawn on.
constexpr std::pair<QPalette::ColorRole, QPalette::ColorRole> Pairs[] = {
    {QPalette::WindowText, QPalette::Window},     {QPalette::Text, QPalette::Base},
    {QPalette::Text, QPalette::AlternateBase},    {QPalette::ButtonText, QPalette::Button},
    {QPalette::HighlightedText, QPalette::Highlight}, {QPalette::ToolTipText, QPalette::ToolTipBase},
};

// Darkening by this factor a step (QColor::darker's percentage) reaches any
// contrast long before the step limit.
constexpr int DarkerStep = 105;
constexpr int MostSteps = 100;

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette ReadablePalette(QPalette palette)
{
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto& [textRole, backRole] : Pairs) {
            QColor text = palette.color(group, textRole);
            QColor back = palette.color(group, backRole);
            const bool lightText = Luminance(text) > Luminance(back);
            for (int step = 0; step < MostSteps && ContrastRatio(text, back) < ReadableContrast; ++step) {
                if (lightText)
                    back = back.darker(DarkerStep);
                else
                    text = text.darker(DarkerStep);
            }
            if (text != palette.color(group, textRole))
                palette.setColor(group, textRole, text);
            if (back != palette.color(group, backRole))
                palette.setColor(group, backRole, back);
        }
    }
    return palette;
}

}  // namespace runtime
