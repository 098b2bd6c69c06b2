#include "core/pixels/MultiplyBlend.h"
#include "core/pixels/StrokeCoverage.h"
#include "core/tools/FreehandPath.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>

namespace pintora {
namespace {

// A wide translucent freehand stroke, multiplied with what lies under it so
// that dark text stays readable. The stroke's coverage is computed once into
// a layer, then multiplied in: where it crosses itself it does not darken
// twice. (QPainter's own stroker and translucent Multiply fill take several
// times as long for a wide curving stroke.)
class HighlighterTool final : public Tool
{
public:
    static constexpr double strength = 0.6;

    QString id() const override { return QStringLiteral("highlighter"); }
    QChar key() const override { return u'H'; }
    bool accepts(const Mark &mark) const override { return mark.path.size() >= 2; }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        return marks::areaAround(marks::smoothPath(mark.path).controlPointRect(), width(mark) / 2, imageSize);
    }
    void burn(QImage &pixels, const Mark &mark, const QRect &area) const override
    {
        const QImage coverage = strokeCoverage(marks::flattenedPath(mark.path), width(mark), area);
        if (!coverage.isNull())
            multiplyCoverage(pixels, coverage, opaque(mark), strength);
    }
    void preview(QPainter &painter, const Mark &mark, double scale) const override
    {
        // Stroked in the screen's device pixels, so the preview is as sharp
        // as the rest of the canvas and costs what it covers there.
        const QPaintDevice *device = painter.device();
        const qreal ratio = device->devicePixelRatioF();
        const QTransform toDevice = painter.transform() * QTransform::fromScale(ratio, ratio);
        QList<QPointF> path;
        path.reserve(mark.path.size());
        for (const QPointF &point : mark.path)
            path.append(toDevice.map(point));
        const QPolygonF line = marks::flattenedPath(path);
        const double penWidth = width(mark) * scale * ratio;
        const QRect bounds = line.boundingRect().adjusted(-penWidth, -penWidth, penWidth, penWidth).toAlignedRect()
            & QRect(QPoint(0, 0), QSize(device->width(), device->height()) * ratio);
        if (bounds.isEmpty())
            return;
        QImage layer = coloredCoverage(strokeCoverage(line, penWidth, bounds), mark.style.color);
        if (layer.isNull())
            return;
        layer.setDevicePixelRatio(ratio);
        painter.save();
        painter.resetTransform();
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        painter.setOpacity(strength);
        drawCovered(painter, QPointF(bounds.topLeft()) / ratio, layer);
        painter.restore();
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        return marks::distanceTo(marks::flattenedPath(mark.path), point) <= reach + width(mark) / 2;
    }
    std::string describe(const Mark &mark) const override
    {
        return "highlight of " + std::to_string(mark.path.size()) + " points";
    }
    std::string doneLine() const override { return "✅ Highlight drawn on image!"; }

private:
    static double width(const Mark &mark) { return std::max(12.0, 6 * mark.style.lineWidth); }
    static QColor opaque(const Mark &mark)
    {
        QColor color = mark.style.color;
        color.setAlpha(255);
        return color;
    }
    // Draws the layer's tiles that hold anything: QPainter's Multiply has
    // no fast path and would otherwise blend every empty pixel around a
    // curving stroke.
    static void drawCovered(QPainter &painter, const QPointF &at, const QImage &layer)
    {
        constexpr int tile = 8;
        const qreal ratio = layer.devicePixelRatio();
        for (int top = 0; top < layer.height(); top += tile)
            for (int left = 0; left < layer.width(); left += tile) {
                const QRect part = QRect(left, top, tile, tile) & layer.rect();
                if (isCovered(layer, part))
                    painter.drawImage(at + QPointF(left, top) / ratio, layer, part);
            }
    }
    static bool isCovered(const QImage &layer, const QRect &part)
    {
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const auto *row = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
            if (std::any_of(row + part.left(), row + part.right() + 1, [](QRgb pixel) { return pixel != 0; }))
                return true;
        }
        return false;
    }
};

} // namespace

const Tool &highlighterTool()
{
    static const HighlighterTool tool;
    return tool;
}

} // namespace pintora
