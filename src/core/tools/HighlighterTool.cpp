#include "core/tools/FreehandPath.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QPainter>

#include <algorithm>

namespace pintora {
namespace {

// A wide translucent freehand stroke, multiplied with what lies under it so
// that dark text stays readable. The stroke is one path, filled once: where
// it crosses itself it does not darken twice.
class HighlighterTool final : public PaintedTool
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
    std::string drawingLine(const Mark &mark) const override
    {
        return "🎨 Drawing ON image: highlight of " + std::to_string(mark.path.size()) + " points";
    }
    std::string doneLine() const override { return "✅ Highlight drawn on image!"; }

protected:
    void paint(QPainter &painter, const Mark &mark) const override
    {
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        painter.setOpacity(strength);
        painter.setPen(marks::roundPen(mark, width(mark)));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(marks::smoothPath(mark.path));
    }

private:
    static double width(const Mark &mark) { return std::max(12.0, 6 * mark.style.lineWidth); }
};

} // namespace

const Tool &highlighterTool()
{
    static const HighlighterTool tool;
    return tool;
}

} // namespace pintora
