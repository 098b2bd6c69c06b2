#pragma once

#include "core/document/Annotation.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <string>

class QPainter;

namespace pintora {

// What a drag or a click with a tool has made so far. The document keeps it
// in pixel space (y up); tools burn and preview it in bitmap space (y down),
// converted by inBitmap().
struct Mark {
    QPointF from; // where the press was
    QPointF to; // where the pointer is, or was at the release
    QList<QPointF> path; // every point of the drag, `from` first
    QRectF rect; // the dragged rectangle
    bool constrained = false; // Shift: angles snap, boxes are squares, ellipses circles
    RectangleStyle style;
    int number = 0; // of a numbered step
    QString text; // of a text, lines apart by '\n'
    double textSize = 0; // its letters' pixel size

    Mark inBitmap(double imageHeight) const;
};

// One kind of mark: what a drag or click becomes, the pixels its burn-in may
// change, the burn-in, its preview and its console lines. A tool keeps no
// state; the registry (Tools.h) holds one of each.
class Tool
{
public:
    virtual ~Tool() = default;

    // Stable name, also of its icon ("box" → icons/tool.box.svg) and of its
    // translated name.
    virtual QString id() const = 0;
    // The key that chooses it while the canvas has focus.
    virtual QChar key() const = 0;
    // Whether its marks carry the next number (markers).
    virtual bool isNumbered() const { return false; }

    // Whether `mark` (bitmap space) draws anything.
    virtual bool accepts(const Mark &mark) const = 0;
    // The whole pixels of an image of `imageSize` that burning `mark` may change.
    virtual QRect area(const Mark &mark, const QSize &imageSize) const = 0;
    // Whether the burn-in replaces the pixels of its area outright with
    // replacement(), computed before anything changes (the blur).
    virtual bool replacesPixels() const { return false; }
    // The pixels for `area`, in the image's format; null when memory runs out.
    virtual QImage replacement(const QImage &, const Mark &, const QRect &) const { return {}; }
    // Paints `mark` into `pixels`, which hold the image's pixels of `area`
    // (the whole image when `area` is its rectangle).
    virtual void burn(QImage &pixels, const Mark &mark, const QRect &area) const = 0;
    // Paints `mark` while it is being made, on a painter that maps bitmap
    // space onto the screen at `scale` screen points an image pixel.
    virtual void preview(QPainter &painter, const Mark &mark, double scale) const = 0;

    // The console lines of a burn-in: before it (pixel space), and after.
    virtual std::string drawingLine(const Mark &mark) const = 0;
    virtual std::string doneLine() const = 0;
};

} // namespace pintora
