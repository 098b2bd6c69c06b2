#include "core/tools/TextLayout.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>

#include <algorithm>

namespace pintora {

TextLayout::TextLayout(const Mark &mark)
    : m_mark(mark)
    , m_lines(mark.text.split(u'\n'))
{
    m_font.setPixelSize(std::max(1, int(mark.textSize + 0.5)));
}

double TextLayout::sizeFor(double lineWidth, const QSize &imageSize)
{
    const double base = lineWidth <= 1 ? 14 : lineWidth <= 3 ? 20 : 30;
    return base * std::max(1.0, std::min(imageSize.width(), imageSize.height()) / 1080.0);
}

QRectF TextLayout::bounds() const
{
    const QFontMetricsF metrics(m_font);
    double width = 0;
    for (const QString &line : m_lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    // Overhangs, accents and the glyphs of fallback fonts (CJK, emoji)
    // reach beyond the advance and the primary font's lines.
    const double slack = metrics.height() / 2;
    return QRectF(m_mark.to, QSizeF(width, metrics.lineSpacing() * double(m_lines.size())))
        .adjusted(-slack, -slack, slack, slack);
}

QLineF TextLayout::caret(const QString &extra) const
{
    const QFontMetricsF metrics(m_font);
    const double x = m_mark.to.x() + metrics.horizontalAdvance(m_lines.last() + extra);
    const double top = m_mark.to.y() + metrics.lineSpacing() * double(m_lines.size() - 1);
    return QLineF(x, top, x, top + metrics.height());
}

void TextLayout::draw(QPainter &painter) const
{
    const QFontMetricsF metrics(m_font);
    painter.setFont(m_font);
    painter.setPen(m_mark.style.color);
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        painter.drawText(m_mark.to + QPointF(0, metrics.ascent() + metrics.lineSpacing() * double(i)), m_lines[i]);
}

} // namespace pintora
