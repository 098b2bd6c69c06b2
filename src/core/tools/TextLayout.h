#pragma once

#include "core/tools/Tool.h"

#include <QFont>
#include <QStringList>

namespace pintora {

// Where the lines of a text mark go (bitmap space): the first line's top
// left corner at the click, each further line one line spacing lower.
class TextLayout
{
public:
    explicit TextLayout(const Mark &mark);

    // The pixel size of letters for a line width choice on an image of
    // `imageSize`: 14, 20 or 30 px on a screen 1080 px tall, more on larger ones.
    static double sizeFor(double lineWidth, const QSize &imageSize);

    QRectF bounds() const;
    // The caret after the last character, `extra` (text being composed) included.
    QLineF caret(const QString &extra = {}) const;
    void draw(QPainter &painter) const;

private:
    const Mark &m_mark;
    QFont m_font;
    QStringList m_lines;
};

} // namespace pintora
