#include "core/document/EditorDocument.h"

#include "core/Console.h"
#include "core/geometry/Geometry.h"
#include "core/pixels/BurnIn.h"
#include "core/tools/Tools.h"

#include <cstring>
#include <utility>

namespace pintora {

// Everything a burn-in needs, gathered before anything changes, so that one
// that cannot be done leaves the image and the history as they were.
struct EditorDocument::BurnInPlan {
    enum Failure { none, noImage, noMemory, blurOffImage, blurNoMemory };
    Failure failure = none;
    const Tool *tool;
    Mark pixelMark;
    Mark mark; // bitmap space
    QImage replacement; // the image in pixels of its own or an editable format; null when it has them
    QImage patch; // the pixels of `area` after the burn-in, in the image's format
    QRect area; // what the burn-in may change
};

EditorDocument::BurnInPlan EditorDocument::planBurnIn(const Tool &tool, const Mark &pixelMark) const
{
    BurnInPlan plan;
    plan.tool = &tool;
    plan.pixelMark = pixelMark;
    if (m_currentImage.isNull()) {
        plan.failure = BurnInPlan::noImage;
        return plan;
    }
    // Pixels of its own, in a format that can hold the colours: an image
    // still shared with the clipboard intake is copied once.
    const QImage::Format format = editableFormat(m_currentImage);
    if (format != m_currentImage.format() || !m_currentImage.isDetached()) {
        plan.replacement
            = format != m_currentImage.format() ? m_currentImage.convertToFormat(format) : m_currentImage.copy();
        if (plan.replacement.isNull()) {
            plan.failure = BurnInPlan::noMemory;
            return plan;
        }
    }
    const QImage &image = plan.replacement.isNull() ? m_currentImage : plan.replacement;
    plan.mark = pixelMark.inBitmap(image.height());
    plan.area = tool.area(plan.mark, image.size());
    if (tool.replacesPixels()) {
        if (plan.area.isEmpty()) {
            plan.failure = BurnInPlan::blurOffImage;
            return plan;
        }
        // The patch replaces the pixels outright; what it replaced is what
        // undo needs.
        plan.patch = tool.replacement(image, plan.mark, plan.area);
        if (plan.patch.isNull())
            plan.failure = BurnInPlan::blurNoMemory;
        return plan;
    }
    // The mark is painted on a copy of its area, which the step then swaps
    // into the image: the image changes only once the step is done.
    plan.patch = m_patches.image(plan.area.size(), image.format());
    if (!plan.patch.isNull()) {
        const qsizetype offset = qsizetype(plan.area.x()) * image.depth() / 8;
        const qsizetype rowBytes = qsizetype(plan.area.width()) * image.depth() / 8;
        for (int y = 0; y < plan.area.height(); ++y)
            std::memcpy(plan.patch.scanLine(y), image.constScanLine(plan.area.y() + y) + offset, std::size_t(rowBytes));
    }
    if (plan.patch.isNull() && !plan.area.isEmpty()) {
        plan.failure = BurnInPlan::noMemory;
        return plan;
    }
    if (!plan.area.isEmpty())
        tool.burn(plan.patch, plan.mark, plan.area);
    return plan;
}

bool EditorDocument::reportFailure(const BurnInPlan &plan)
{
    const char *line = nullptr;
    switch (plan.failure) {
    case BurnInPlan::none: return false;
    case BurnInPlan::noImage: line = "❌ No image to draw on"; break;
    case BurnInPlan::noMemory: line = "❌ Failed to create context"; break;
    case BurnInPlan::blurOffImage: line = "❌ Cannot crop blurred region"; break;
    case BurnInPlan::blurNoMemory: line = "❌ Cannot convert blurred image"; break;
    }
    if (plan.failure == BurnInPlan::blurOffImage || plan.failure == BurnInPlan::blurNoMemory)
        console::writeLine(plan.tool->drawingLine(plan.pixelMark));
    console::writeLine(line);
    return true;
}

void EditorDocument::burnIn(BurnInPlan &plan)
{
    announceStep();
    console::writeLine(plan.tool->drawingLine(plan.pixelMark));
    auto step = std::make_unique<EditStep>(m_currentImage);
    if (!plan.replacement.isNull()) {
        // A conversion is undone as a whole; a copy of the same pixels needs no undo.
        if (plan.replacement.format() != m_currentImage.format())
            step->add(ImageEdit{QRect(), std::move(plan.replacement)});
        else
            m_currentImage = std::move(plan.replacement);
    }
    step->add(ImageEdit{plan.area, std::move(plan.patch)});
    if (plan.tool->isNumbered())
        step->addMarker();
    commit(std::move(step));
    console::writeLine(plan.tool->doneLine());
}

bool EditorDocument::drawRectangleOnImage(const QRectF &pixelRect, const RectangleStyle &style)
{
    Mark mark;
    mark.rect = pixelRect;
    mark.style = style;
    return drawMark(style.isBlur ? blurTool() : boxTool(), mark);
}

bool EditorDocument::drawMark(const Tool &tool, const Mark &mark)
{
    // A burn-in that cannot be done takes no step.
    BurnInPlan plan = planBurnIn(tool, mark);
    if (reportFailure(plan))
        return false;
    burnIn(plan);
    return true;
}

} // namespace pintora
