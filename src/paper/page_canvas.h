// Drawing on the pages of a document in millimetres from the top left corner
// of the printable area, the same on a PDF file and on a printer.
#pragma once

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QRectF>
#include <QString>

class QPagedPaintDevice;

namespace paper {

// Every document's pages: A4 landscape (the header lines are as wide as the
// register's columns), 12 mm margins.
QPageLayout DocumentPageLayout();

class PageCanvas {
public:
    // Starts painting on `device`, already laid out by DocumentPageLayout().
    explicit PageCanvas(QPagedPaintDevice& device);
    ~PageCanvas();
    PageCanvas(const PageCanvas&) = delete;
    PageCanvas& operator=(const PageCanvas&) = delete;

    // False when the device could not be opened (a file that cannot be written).
    bool active() const { return painter_.isActive(); }
    double width() const { return width_; }    // mm of the printable area
    double height() const { return height_; }

    // Text whose top is at `top`, from `left`; returns the height of its line.
    double text(double left, double top, const QString& text, const QFont& font);
    // Text placed in a box by `flags` (Qt::AlignRight ...).
    void text(const QRectF& box, int flags, const QString& text, const QFont& font);
    double lineHeight(const QFont& font) const;
    double textWidth(const QString& text, const QFont& font) const;
    // The font made smaller (never larger) so that `characters` of it fit in `width`.
    QFont fitted(const QFont& font, int characters, double width) const;

    void line(double x1, double y1, double x2, double y2, double thickness = 0.3);
    void frame(const QRectF& box, double thickness = 0.3);
    void newPage();

private:
    double px(double mm) const { return mm * dotsPerMm_; }
    QRectF px(const QRectF& box) const;

    QPagedPaintDevice& device_;
    QPainter painter_;
    double dotsPerMm_ = 1;
    double width_ = 0;
    double height_ = 0;
};

}  // namespace paper
