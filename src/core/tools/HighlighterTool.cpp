#include "core/tools/FreehandPath.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

namespace pintora {
namespace {

// A wide translucent freehand stroke, multiplied with what lies under it so
// that dark text stays readable. The stroke is drawn whole into a layer of
// its own first: where it crosses itself it does not darken twice.
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
        if (!area.isEmpty())
            blend(pixels, mark, area);
    }
    void preview(QPainter &screen, const Mark &mark, double) const override
    {
        screen.save();
        screen.setRenderHint(QPainter::Antialiasing);
        screen.setCompositionMode(QPainter::CompositionMode_Multiply);
        screen.setOpacity(strength);
        screen.setPen(pen(mark));
        screen.drawPath(marks::smoothPath(mark.path));
        screen.restore();
    }
    std::string drawingLine(const Mark &mark) const override
    {
        return "🎨 Drawing ON image: highlight of " + std::to_string(mark.path.size()) + " points";
    }
    std::string doneLine() const override { return "✅ Highlight drawn on image!"; }

private:
    static double width(const Mark &mark) { return std::max(12.0, 6 * mark.style.lineWidth); }
    static QPen pen(const Mark &mark) { return marks::roundPen(mark, width(mark)); }

    static void blend(QImage &image, const Mark &mark, const QRect &area)
    {
        // `image` holds the pixels of `area` only.
        QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
        if (layer.isNull())
            return;
        layer.fill(Qt::transparent);
        {
            QPainter stroke(&layer);
            stroke.setRenderHint(QPainter::Antialiasing);
            stroke.translate(-area.topLeft());
            stroke.setPen(pen(mark));
            stroke.drawPath(marks::smoothPath(mark.path));
        }
        QPainter onto(&image);
        onto.setCompositionMode(QPainter::CompositionMode_Multiply);
        onto.setOpacity(strength);
        onto.drawImage(QPoint(0, 0), layer, QRect(QPoint(0, 0), image.size()));
    }
};

} // namespace

const Tool &highlighterTool()
{
    static const HighlighterTool tool;
    return tool;
}

} // namespace pintora
