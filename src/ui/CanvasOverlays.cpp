#include "ui/CanvasView.h"

#include "core/document/EditorDocument.h"
#include "core/tools/PaintedTool.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"
#include "i18n/Translations.h"
#include "ui/CanvasPaint.h"
#include "ui/Loupe.h"
#include "ui/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

// What the canvas paints over the image: the mark being drawn or typed, the
// selection, the picked mark's handles, the loupe, and the empty editor's
// message.
namespace pintora {

namespace {

// The handles of a rectangle (widget coordinates): its corners and, where
// there is room between them, the middles of its sides.
void paintHandles(QPainter &painter, const QRectF &box)
{
    for (const QPointF &at : {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()})
        canvas::paintHandle(painter, at);
    constexpr double room = 28;
    const QPointF centre = box.center();
    if (std::abs(box.width()) >= room)
        for (const QPointF &at : {QPointF(centre.x(), box.top()), QPointF(centre.x(), box.bottom())})
            canvas::paintHandle(painter, at);
    if (std::abs(box.height()) >= room)
        for (const QPointF &at : {QPointF(box.left(), centre.y()), QPointF(box.right(), centre.y())})
            canvas::paintHandle(painter, at);
}

} // namespace

// While dragging: the pixels under the pointer at 8 times, and where it is
// in pixels (the corner a selection takes, or the pixel a mark starts in).
QPoint CanvasView::loupePixel() const
{
    const QImage &image = m_document.currentImage();
    const QPointF pixel = canvasToPixel(viewPoint(m_pointer));
    return {std::clamp(int(std::floor(pixel.x())), 0, image.width() - 1),
            std::clamp(int(std::floor(image.height() - pixel.y())), 0, image.height() - 1)};
}

QString CanvasView::loupeLabel() const
{
    const bool selecting = m_document.drawMode() == DrawMode::selection && m_handle == geometry::Handle::none
        && m_markGrip.kind == MarkGrip::none;
    const QPoint bitmapPixel = loupePixel();
    const QPointF shown = selecting
        ? selectionCorner(viewPoint(m_pointer))
        : QPointF(bitmapPixel.x(), m_document.currentImage().height() - 1 - bitmapPixel.y());
    return QStringLiteral("%1, %2").arg(qRound(shown.x())).arg(qRound(shown.y()));
}

void CanvasView::paintLoupe(QPainter &painter)
{
    Loupe::paint(painter, Loupe::placeFor(m_pointer, rect()), m_document.currentImage(), loupePixel(), loupeLabel());
}

void CanvasView::paintMarkPreview(QPainter &painter, const Tool &tool, const Mark &pixelMark)
{
    const Mark mark = pixelMark.inBitmap(m_document.currentImage().height());
    if (!tool.accepts(mark))
        return;
    // The tool paints in bitmap space; this maps it onto the shown image.
    const QTransform toWidget = bitmapToWidget();
    painter.save();
    painter.setTransform(toWidget, true);
    tool.preview(painter, mark, toWidget.m11());
    painter.restore();
}

void CanvasView::paintTyping(QPainter &painter)
{
    Mark typed = m_document.typedMark();
    typed.text += m_preedit;
    paintMarkPreview(painter, textTool(), typed);
    // The caret, in the text's colour with a dark rim to show on any image.
    const QLineF caret = bitmapToWidget().map(
        TextLayout(m_document.typedMark().inBitmap(m_document.currentImage().height())).caret(m_preedit));
    painter.setPen(QPen(withAlpha(Qt::black, 0.6), 3));
    painter.drawLine(caret);
    painter.setPen(QPen(typed.style.color, 1.5));
    painter.drawLine(caret);
}

void CanvasView::paintSelectionOverlay(QPainter &painter)
{
    const QRectF box = widgetRect(geometry::pixelToView(m_document.selectionRect(), bounds(), imageSize(), m_zoom));
    // Dim what lies outside the selection; the selection itself stays as it
    // is. Whole pixels, so the bands meet without seams; the outline covers
    // the edge.
    painter.setRenderHint(QPainter::Antialiasing, false);
    canvas::fillAround(painter, rect(), box, withAlpha(Qt::black, 0.5));
    painter.setRenderHint(QPainter::Antialiasing, true);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(canvas::outlinePen(Qt::white, m_isDragging ? 3.0 : 2.0));
    painter.drawRect(box);
    if (m_isDragging) {
        painter.setPen(canvas::outlinePen(withAlpha(accentColor(), 0.5), 6.0));
        painter.drawRect(box);
        return;
    }
    // The handles: its corners and the middles of its sides.
    paintHandles(painter, box);
}

void CanvasView::paintNoImageMessage(QPainter &painter)
{
    QFont font = this->font();
    font.setPixelSize(18);

    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    document.setPlainText(Translations::noImageMessage() + QStringLiteral("\n\n") + Translations::pasteHint());
    QTextBlockFormat lines;
    lines.setAlignment(Qt::AlignHCenter);
    lines.setLineHeight(8, QTextBlockFormat::LineDistanceHeight);
    QTextCursor cursor(&document);
    cursor.select(QTextCursor::Document);
    cursor.mergeBlockFormat(lines);

    const double wrapWidth = width() * 0.8;
    document.setTextWidth(wrapWidth);
    const double textHeight = document.size().height();

    // Lines are centred within the wrap width, which is centred in the view.
    painter.save();
    painter.translate((width() - wrapWidth) * 0.5, (height() - textHeight) * 0.5);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::white);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

QPointF CanvasView::widgetPoint(const QPointF &pixel) const
{
    return widgetRect(geometry::pixelToView(QRectF(pixel, QSizeF(0, 0)), bounds(), imageSize(), m_zoom)).topLeft();
}

// The picked mark: its frame, dashed, and the handles its tool has; while
// it is dragged out of the pixels, its preview where the drag has it.
void CanvasView::paintPick(QPainter &painter)
{
    const Tool *tool = m_document.pickedTool();
    if (!tool || m_document.isTyping())
        return;
    const Mark mark = m_document.pickedMark();
    if (m_document.isMarkLifted())
        paintMarkPreview(painter, *tool, mark);
    const double height = imageSize().height();
    QRectF frame;
    if (tool->grips() == Grips::rectangle) {
        frame = widgetRect(geometry::pixelToView(mark.rect, bounds(), imageSize(), m_zoom));
    } else {
        const QRect area = tool->area(mark.inBitmap(height), imageSize().toSize());
        frame = bitmapToWidget().mapRect(QRectF(area));
    }
    // Black under white dashes: seen on any image.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(canvas::outlinePen(withAlpha(Qt::black, 0.6), 3));
    if (tool->grips() != Grips::ends)
        painter.drawRect(frame);
    QPen dashes = canvas::outlinePen(Qt::white, 1);
    dashes.setDashPattern({4, 3});
    painter.setPen(dashes);
    if (tool->grips() != Grips::ends)
        painter.drawRect(frame);
    switch (tool->grips()) {
    case Grips::ends:
        canvas::paintHandle(painter, widgetPoint(mark.from));
        canvas::paintHandle(painter, widgetPoint(marks::endPoint(mark)));
        break;
    case Grips::rectangle: paintHandles(painter, frame); break;
    case Grips::frame: break;
    }
}

} // namespace pintora
