#include "canvas/CanvasView.h"

#include "app/Console.h"
#include "app/DarkAppearance.h"
#include "canvas/BurnIn.h"
#include "canvas/CanvasGeometry.h"
#include "canvas/GaussianBlur.h"
#include "i18n/Translations.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The key that turns a left drag into a rectangle. Qt on macOS reports the
// physical Control key as Meta (and Command as Control).
#ifdef Q_OS_MACOS
constexpr Qt::KeyboardModifier rectangleModifier = Qt::MetaModifier;
#else
constexpr Qt::KeyboardModifier rectangleModifier = Qt::ControlModifier;
#endif

bool hasArea(const QRectF &rect)
{
    return rect.width() > 0 && rect.height() > 0;
}

QPen pen(const QColor &color, double width)
{
    return QPen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

// Fills `outer` except `hole` with four bands; cheaper on every drag event
// than a path with a hole.
void fillAround(QPainter &painter, const QRectF &outer, const QRectF &hole, const QColor &color)
{
    const QRectF inner = hole.intersected(outer);
    if (inner.isEmpty()) {
        painter.fillRect(outer, color);
        return;
    }
    painter.fillRect(QRectF(outer.left(), outer.top(), outer.width(), inner.top() - outer.top()), color);
    painter.fillRect(QRectF(outer.left(), inner.bottom(), outer.width(), outer.bottom() - inner.bottom()), color);
    painter.fillRect(QRectF(outer.left(), inner.top(), inner.left() - outer.left(), inner.height()), color);
    painter.fillRect(QRectF(inner.right(), inner.top(), outer.right() - inner.right(), inner.height()), color);
}

// The image at its on-screen size, opaque on the black ground. Shrinking
// averages pixels so that screenshot text stays legible; enlarging keeps
// pixels sharp, as the user is looking at single pixels then.
QImage displayImage(const QImage &image, const QSize &size)
{
    const bool shrinking = size.width() < image.width();
    QImage scaled = size == image.size()
        ? image
        : image.scaled(size, Qt::IgnoreAspectRatio, shrinking ? Qt::SmoothTransformation : Qt::FastTransformation);
    if (!scaled.hasAlphaChannel())
        return scaled;
    QImage opaque(size, QImage::Format_RGB32);
    opaque.fill(Qt::black);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, scaled);
    return opaque;
}

} // namespace

CanvasView::CanvasView(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CanvasView::setImage(const QImage &image)
{
    m_currentImage = image;
    setSelectionRect(QRectF());
    update();
}

void CanvasView::setSelectionRect(const QRectF &pixelRect)
{
    m_selectionRect = pixelRect;
    if (onSelectionChanged)
        onSelectionChanged(m_selectionRect);
}

QPointF CanvasView::canvasToPixel(const QPointF &viewPoint) const
{
    return geometry::canvasToPixel(viewPoint, bounds(), m_currentImage.size());
}

// The one place where Qt's y-down event positions enter view space.
QPointF CanvasView::viewPoint(const QMouseEvent *event) const
{
    return geometry::viewPointFromWidget(event->position(), bounds().height());
}

// The one place where view space goes back to Qt's y-down painting.
QRectF CanvasView::widgetRect(const QRectF &viewRect) const
{
    return geometry::widgetRectFromView(viewRect, bounds().height());
}

// ---- mouse

void CanvasView::mousePressEvent(QMouseEvent *event)
{
    DrawMode mode;
    if (event->button() == Qt::RightButton)
        mode = DrawMode::rectangle;
    else if (event->button() == Qt::LeftButton)
        mode = event->modifiers().testFlag(rectangleModifier) ? DrawMode::rectangle : DrawMode::selection;
    else
        return event->ignore();
    press(viewPoint(event), mode);
}

void CanvasView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_isDragging)
        return;
    drag(viewPoint(event));
}

void CanvasView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return event->ignore();
    release();
}

void CanvasView::press(const QPointF &viewPoint, DrawMode mode)
{
    m_isDragging = true;
    m_dragStart = viewPoint;
    if (mode != m_drawMode) {
        if (saveStateForUndo)
            saveStateForUndo();
        m_drawMode = mode;
        if (onModeChanged)
            onModeChanged(mode);
    }
    const QPointF pixel = canvasToPixel(viewPoint);
    if (m_drawMode == DrawMode::selection)
        setSelectionRect(QRectF(pixel, QSizeF(0, 0)));
    update();
}

void CanvasView::drag(const QPointF &viewPoint)
{
    // Both ends are mapped afresh, so the box follows a resize mid-drag.
    const QPointF a = canvasToPixel(m_dragStart);
    const QPointF b = canvasToPixel(viewPoint);
    const double minX = std::min(a.x(), b.x());
    const double minY = std::min(a.y(), b.y());
    const double maxX = std::max(a.x(), b.x());
    const double maxY = std::max(a.y(), b.y());
    setSelectionRect(QRectF(minX, minY, maxX - minX, maxY - minY));
    update();
}

void CanvasView::release()
{
    m_isDragging = false;
    if (m_drawMode == DrawMode::rectangle && hasArea(m_selectionRect)) {
        if (saveStateForUndo)
            saveStateForUndo();
        drawRectangleOnImage(m_selectionRect, rectangleStyle);
        setSelectionRect(QRectF());
    } else {
        console::writeLine("✅ Selection (pixels): " + console::formatRect(m_selectionRect));
    }
    update();
}

// ---- burn-in

void CanvasView::drawRectangleOnImage(const QRectF &pixelRect, const RectangleStyle &style)
{
    if (m_currentImage.isNull()) {
        console::writeLine("❌ No image to draw on");
        return;
    }
    QImage canvas = paintableCopy(m_currentImage);
    if (canvas.isNull()) {
        console::writeLine("❌ Failed to create context");
        return;
    }
    console::writeLine("🎨 Drawing ON image: rect=" + console::formatRect(pixelRect));

    const QRectF rect = geometry::bitmapRectFromPixel(pixelRect, canvas.height());
    if (style.isBlur) {
        const QRect cut = geometry::pixelCut(rect, canvas.size());
        if (cut.isEmpty()) {
            console::writeLine("❌ Cannot crop blurred region");
            return;
        }
        // The copy still holds the untouched image here.
        const QImage patch = gaussianBlurCut(canvas, cut, blurSigma);
        if (patch.isNull()) {
            console::writeLine("❌ Cannot convert blurred image");
            return;
        }
        paintPatch(canvas, patch, rect);
    } else {
        paintBox(canvas, rect, style);
    }

    m_currentImage = canvas;
    update();
    console::writeLine("✅ Rectangle drawn on image!");
}

// ---- painting

void CanvasView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_currentImage.isNull()) {
        painter.fillRect(rect(), Qt::black);
        paintNoImageMessage(painter);
        return;
    }
    // The shown image is opaque (composed on black), so only the margins
    // need the black ground.
    const QRectF imageArea = paintImage(painter);
    fillAround(painter, rect(), imageArea, Qt::black);

    painter.setRenderHint(QPainter::Antialiasing);
    if (m_drawMode == DrawMode::rectangle && m_isDragging && hasArea(m_selectionRect))
        paintRectanglePreview(painter, geometry::displayScale(bounds(), m_currentImage.size()));
    if (m_drawMode == DrawMode::selection && hasArea(m_selectionRect))
        paintSelectionOverlay(painter);
}

QRectF CanvasView::paintImage(QPainter &painter)
{
    const QRectF target = widgetRect(geometry::fittedImageRect(bounds(), m_currentImage.size()));
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = (target.size() * ratio).toSize();
    if (deviceSize.isEmpty())
        return {};
    if (m_displayImageKey != m_currentImage.cacheKey() || m_displayImage.size() != deviceSize) {
        m_displayImage = displayImage(m_currentImage, deviceSize);
        m_displayImage.setDevicePixelRatio(ratio);
        m_displayImageKey = m_currentImage.cacheKey();
    }
    // Whole device pixels keep the image crisp.
    const QPointF origin(std::round(target.x() * ratio) / ratio, std::round(target.y() * ratio) / ratio);
    painter.drawImage(origin, m_displayImage);
    return QRectF(origin, QSizeF(m_displayImage.size()) / ratio);
}

void CanvasView::paintRectanglePreview(QPainter &painter, double scale)
{
    const QRectF box = widgetRect(geometry::pixelToView(m_selectionRect, bounds(), m_currentImage.size()));
    painter.setBrush(Qt::NoBrush);
    if (rectangleStyle.isBlur) {
        painter.fillRect(box, withAlpha(Qt::gray, 0.6));
        painter.setPen(pen(withAlpha(Qt::white, 0.8), 3 * scale));
        painter.drawRect(box);
        const QRectF inner = box.adjusted(5 * scale, 5 * scale, -5 * scale, -5 * scale);
        if (hasArea(inner)) {
            QPen dashed = pen(withAlpha(Qt::white, 0.5), 2 * scale);
            // Qt measures dashes in line widths: 8·s on, 4·s off at 2·s wide.
            dashed.setDashPattern({4.0, 2.0});
            painter.setPen(dashed);
            painter.drawRect(inner);
        }
        return;
    }
    if (rectangleStyle.filled)
        painter.fillRect(box, withAlpha(rectangleStyle.color, 0.3));
    painter.setPen(pen(rectangleStyle.color, scale * rectangleStyle.lineWidth));
    painter.drawRect(box);
    painter.setPen(pen(withAlpha(Qt::white, 0.5), scale * (rectangleStyle.lineWidth + 2)));
    painter.drawRect(box);
}

void CanvasView::paintSelectionOverlay(QPainter &painter)
{
    const QRectF box = widgetRect(geometry::pixelToView(m_selectionRect, bounds(), m_currentImage.size()));
    // Dim what lies outside the selection; the selection itself stays as it
    // is. Whole pixels, so the bands meet without seams; the outline covers
    // the edge.
    painter.setRenderHint(QPainter::Antialiasing, false);
    fillAround(painter, rect(), box, withAlpha(Qt::black, 0.5));
    painter.setRenderHint(QPainter::Antialiasing, true);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(pen(Qt::white, m_isDragging ? 3.0 : 2.0));
    painter.drawRect(box);
    if (m_isDragging) {
        painter.setPen(pen(withAlpha(accentColor(), 0.5), 6.0));
        painter.drawRect(box);
    }
}

void CanvasView::paintNoImageMessage(QPainter &painter)
{
    QFont font = this->font();
    font.setPixelSize(18);

    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    document.setPlainText(Translations::noImageMessage());
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
