#include "core/tools/PaintedTool.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"

#include <QPainter>

namespace pintora {
namespace {

// Typed text, its top left corner where the click was, in the colour and a
// size that follows the width choice and the image's size.
class TextTool final : public PaintedTool
{
public:
    QString id() const override { return QStringLiteral("text"); }
    QChar key() const override { return u'T'; }
    bool accepts(const Mark &mark) const override { return !mark.text.trimmed().isEmpty(); }
    QRect area(const Mark &mark, const QSize &imageSize) const override
    {
        return marks::areaAround(TextLayout(mark).bounds(), 0, imageSize);
    }
    bool hits(const Mark &mark, const QPointF &point, double reach) const override
    {
        return TextLayout(mark).bounds().adjusted(-reach, -reach, reach, reach).contains(point);
    }
    Mark restyled(const Mark &mark, const RectangleStyle &style, const QSize &imageSize) const override
    {
        Mark changed = Tool::restyled(mark, style, imageSize);
        changed.textSize = TextLayout::sizeFor(style.lineWidth, imageSize);
        return changed;
    }
    std::string describe(const Mark &mark) const override
    {
        // One line, whatever was typed: breaks and control characters shown.
        QString shown;
        for (const QChar c : mark.text)
            shown += c == u'\n'                        ? QStringLiteral("⏎")
                : c.category() == QChar::Other_Control ? QStringLiteral("�")
                                                       : QString(c);
        return "text \"" + shown.toStdString() + "\" at " + marks::formatPoint(mark.to);
    }
    std::string doneLine() const override { return "✅ Text drawn on image!"; }

protected:
    void paint(QPainter &painter, const Mark &mark) const override { TextLayout(mark).draw(painter); }
};

} // namespace

const Tool &textTool()
{
    static const TextTool tool;
    return tool;
}

} // namespace pintora
