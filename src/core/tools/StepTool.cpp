#include "core/tools/PaintedTool.h"
#include "core/tools/Tools.h"

#include <QFont>
#include <QLineF>
#include <QPainter>

namespace pintora {
namespace {

// A click puts a filled disc with the next number on it, in white or black,
// whichever stands out more from the colour.
class StepTool final : public PaintedTool
{
public:
    QString id() const override { return QStringLiteral("step"); }
    QChar key() const override { return u'N'; }
    bool isNumbered() const override { return true; }
    bool accepts(const Mark &mark) const override { return mark.number > 0; }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        const double r = radius(mark);
        return marks::areaAround(QRectF(mark.to - QPointF(r, r), QSizeF(2 * r, 2 * r)), 0, imageSize);
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        return QLineF(mark.to, point).length() <= radius(mark) + reach;
    }
    std::string describe(const Mark &mark) const override
    {
        return "step " + std::to_string(mark.number) + " at " + marks::formatPoint(mark.to);
    }
    std::string doneLine() const override { return "✅ Step marker drawn on image!"; }

    static QColor numberColor(const QColor &disc)
    {
        // Relative luminance against the middle grey's.
        const double luminance = 0.2126 * disc.redF() + 0.7152 * disc.greenF() + 0.0722 * disc.blueF();
        return luminance > 0.45 ? Qt::black : Qt::white;
    }

protected:
    void paint(QPainter &painter, const Mark &mark) const override
    {
        const double r = radius(mark);
        painter.setPen(Qt::NoPen);
        QColor disc = mark.style.color;
        disc.setAlpha(255);
        painter.setBrush(disc);
        painter.drawEllipse(mark.to, r, r);
        const QString digits = QString::number(mark.number);
        QFont font;
        font.setBold(true);
        font.setPixelSize(std::max(1, int(r * (digits.size() > 2 ? 0.8 : digits.size() > 1 ? 1.0 : 1.2))));
        painter.setFont(font);
        painter.setPen(numberColor(disc));
        painter.drawText(QRectF(mark.to - QPointF(r, r), QSizeF(2 * r, 2 * r)), Qt::AlignCenter, digits);
    }

private:
    static double radius(const Mark &mark) { return 8 + 3 * mark.style.lineWidth; }
};

} // namespace

const Tool &stepTool()
{
    static const StepTool tool;
    return tool;
}

} // namespace pintora
