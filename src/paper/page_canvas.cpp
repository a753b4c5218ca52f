// Drawing in millimetres on a paged device (a PDF writer or a printer).
#include "paper/page_canvas.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>

namespace paper {

QPageLayout DocumentPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                       QPageLayout::Millimeter);
}

PageCanvas::PageCanvas(QPagedPaintDevice& device) : device_(device)
{
    if (!painter_.begin(&device))
        return;
    dotsPerMm_ = device.logicalDpiX() / 25.4;
    width_ = device.width() / dotsPerMm_;
    height_ = device.height() / dotsPerMm_;
    painter_.setPen(QPen(Qt::black));
}

PageCanvas::~PageCanvas()
{
    if (painter_.isActive())
        painter_.end();
}

QRectF PageCanvas::px(const QRectF& box) const
{
    return QRectF(px(box.left()), px(box.top()), px(box.width()), px(box.height()));
}

double PageCanvas::lineHeight(const QFont& font) const
{
    return QFontMetricsF(font, &device_).lineSpacing() / dotsPerMm_;
}

double PageCanvas::textWidth(const QString& text, const QFont& font) const
{
    return QFontMetricsF(font, &device_).horizontalAdvance(text) / dotsPerMm_;
}

QFont PageCanvas::fitted(const QFont& font, int characters, double width) const
{
    const double wide = textWidth(QString(characters, QLatin1Char('M')), font);
    if (wide <= width || wide <= 0)
        return font;
    QFont smaller = font;
    smaller.setPointSizeF(font.pointSizeF() * width / wide);
    return smaller;
}

double PageCanvas::text(double left, double top, const QString& text, const QFont& font)
{
    const QFontMetricsF metrics(font, &device_);
    painter_.setFont(font);
    painter_.drawText(QPointF(px(left), px(top) + metrics.ascent()), text);
    return metrics.lineSpacing() / dotsPerMm_;
}

void PageCanvas::text(const QRectF& box, int flags, const QString& text, const QFont& font)
{
    painter_.setFont(font);
    painter_.drawText(px(box), flags, text);
}

void PageCanvas::line(double x1, double y1, double x2, double y2, double thickness)
{
    painter_.setPen(QPen(Qt::black, px(thickness)));
    painter_.drawLine(QPointF(px(x1), px(y1)), QPointF(px(x2), px(y2)));
}

void PageCanvas::frame(const QRectF& box, double thickness)
{
    painter_.setPen(QPen(Qt::black, px(thickness)));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(px(box));
}

void PageCanvas::newPage()
{
    device_.newPage();
}

}  // namespace paper
