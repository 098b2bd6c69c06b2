#pragma once

#include "core/document/Annotation.h"
#include "core/pixels/HiddenAreas.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <optional>
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
    // Moved by `delta`, every point of it.
    Mark translated(const QPointF &delta) const;
    // The smallest rectangle holding its points (and its rectangle, where it
    // has one): what a move keeps on the image.
    QRectF anchorBounds() const;

    friend bool operator==(const Mark &, const Mark &) = default;
};

// How a picked mark is reshaped: by the two ends of its line, by the corners
// and sides of its rectangle, or not at all (a frame moves it whole).
enum class Grips { ends, rectangle, frame };

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
    // replacement(), computed from the image around it (the blur).
    virtual bool replacesPixels() const { return false; }
    // The pixels for `area`, in the image's format, read from `image` (which
    // holds the whole image's pixels from `origin` on, all it reads among
    // them) with every box of `hidden` (this mark's among them) filled from
    // around it; null when memory runs out.
    virtual QImage replacement(const QImage &, const QPoint &, const Mark &, const QRect &, const HiddenAreas &) const
    {
        return {};
    }
    // The box no blur may read from, with the deviation of its own blur:
    // the blur's area; none for the other tools.
    virtual std::optional<HiddenCut> hiddenCut(const Mark &, const QSize &) const { return {}; }
    // Paints `mark` into `pixels`, which hold the image's pixels of `area`
    // (the whole image when `area` is its rectangle).
    virtual void burn(QImage &pixels, const Mark &mark, const QRect &area) const = 0;
    // Paints `mark` while it is being made, on a painter that maps bitmap
    // space onto the screen at `scale` screen points an image pixel.
    virtual void preview(QPainter &painter, const Mark &mark, double scale) const = 0;

    // Whether `mark` shows within `reach` pixels of `point` (bitmap space):
    // its stroke, outline, disc or text box, and the inside of what is filled.
    virtual bool hits(const Mark &mark, const QPointF &point, double reach) const = 0;
    // How it is reshaped once picked.
    virtual Grips grips() const { return Grips::frame; }
    // Whether the fill choice changes its marks.
    virtual bool isFillable() const { return false; }
    // `mark` in `style` as far as this tool draws with it (its colour and
    // width by default), on an image of `imageSize`.
    virtual Mark restyled(const Mark &mark, const RectangleStyle &style, const QSize &imageSize) const;

    // What the mark is, where (pixel space): "arrow from (x, y) to (x, y)".
    virtual std::string describe(const Mark &mark) const = 0;
    // The console lines of a burn-in: before it (pixel space), and after.
    std::string drawingLine(const Mark &mark) const { return "🎨 Drawing ON image: " + describe(mark); }
    virtual std::string doneLine() const = 0;
};

} // namespace pintora
