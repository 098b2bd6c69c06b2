#pragma once

#include "core/geometry/SelectionGeometry.h"
#include "core/tools/Tool.h"

#include <QSizeF>

namespace pintora {

// What a press on a picked mark takes: the whole mark, the start or the end
// of its line, or a side or corner of its rectangle.
struct MarkGrip {
    enum Kind { none, whole, start, end, edge };
    Kind kind = none;
    geometry::Handle handle = geometry::Handle::none; // of an edge

    friend bool operator==(const MarkGrip &, const MarkGrip &) = default;
};

// Pixel space (y up) throughout.

// What of `mark`, picked, a press at `pixel` takes, with `reach` pixels to
// spare: an end of a line, a side or corner of a rectangle, else the mark
// wherever it shows or within its frame.
MarkGrip gripAt(const Tool &tool, const Mark &mark, const QSizeF &imageSize, const QPointF &pixel, double reach);

// `mark` with `grip` dragged by `delta` (whole pixels, so that its edges keep
// their place within the pixels), kept on an image of `imageSize`. Shift
// (`constrained`) snaps a dragged end to 15° steps.
Mark draggedMark(const Mark &mark, const MarkGrip &grip, const QPointF &delta, bool constrained,
                 const QSizeF &imageSize);

} // namespace pintora
