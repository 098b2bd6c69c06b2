#pragma once

#include "core/pixels/BurnIn.h"
#include "core/pixels/HiddenAreas.h"
#include "core/pixels/PixelCopy.h"
#include "core/tools/Tool.h"

#include <QImage>

#include <utility>
#include <vector>

namespace pintora {

// A mark of a list: its tool and its geometry in pixel space.
using ListedMark = std::pair<const Tool *, Mark>;

// `marks` burned afresh, in order, on `base` (in the format marks are drawn
// in): each painted one on a copy of its area put back whole, each blur read
// from the image burned so far with every blur box of the list hidden. The
// straightforward way, against which the document's incremental burns are
// checked.
inline QImage burnedAfresh(const QImage &base, const std::vector<ListedMark> &marks)
{
    QImage image = base.convertToFormat(editableFormat(base));
    const double height = image.height();
    std::vector<HiddenCut> cuts;
    for (const auto &[tool, mark] : marks)
        if (const auto cut = tool->hiddenCut(mark.inBitmap(height), image.size()))
            cuts.push_back(*cut);

    for (const auto &[tool, pixelMark] : marks) {
        const Mark mark = pixelMark.inBitmap(height);
        const QRect area = tool->area(mark, image.size());
        if (area.isEmpty())
            continue;
        QImage pixels;
        if (tool->replacesPixels()) {
            // Fills made afresh for each blur.
            pixels = tool->replacement(image, {}, mark, area, HiddenAreas(cuts, image.size()));
        } else {
            pixels = image.copy(area);
            tool->burn(pixels, mark, area);
        }
        copyPixels(pixels, pixels.rect(), image, area.topLeft());
    }
    return image;
}

} // namespace pintora
