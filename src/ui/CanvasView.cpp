#include "ui/CanvasView.h"

#include "core/EditorDocument.h"
#include "core/Geometry.h"
#include "core/tools/TextLayout.h"
#include "core/tools/Tools.h"
#include "i18n/Translations.h"
#include "ui/Theme.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace pintora {

namespace {

// The key that turns a left drag into a rectangle. Qt on macOS reports the
// physical Control key as Meta (and Command as Control).
#ifdef Q_OS_MACOS
constexpr Qt::KeyboardModifier rectangleModifier = Qt::MetaModifier;
#else
constexpr Qt::KeyboardModifier rectangleModifier = Qt::ControlModifier;
#endif

QPen outlinePen(const QColor &color, double width)
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

} // namespace

CanvasView::CanvasView(EditorDocument &document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    setCursor(Qt::CrossCursor);
    // Keys choose tools while the canvas has focus.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The image is never mirrored, whichever way the interface runs.
    setLayoutDirection(Qt::LeftToRight);
    connect(&m_document, &EditorDocument::imageChanged, this, &CanvasView::imageChanged);
    connect(&m_document, &EditorDocument::selectionChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::drawModeChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::styleChanged, this, qOverload<>(&QWidget::update));
    connect(&m_document, &EditorDocument::typingChanged, this, &CanvasView::typingChanged);
}

void CanvasView::imageChanged(const QRect &area)
{
    if (area.contains(m_document.currentImage().rect()))
        m_scaling.reset(); // replaced: rebuilt whole at the next paint
    else
        m_staleArea |= area;
    update();
}

QPointF CanvasView::canvasToPixel(const QPointF &viewPoint) const
{
    return geometry::canvasToPixel(viewPoint, bounds(), m_document.currentImage().size());
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
    // A press while dragging starts afresh.
    m_isDragging = true;
    m_document.press(mode, canvasToPixel(viewPoint(event)));
    update();
}

void CanvasView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_isDragging)
        return;
    m_document.dragTo(canvasToPixel(viewPoint(event)), event->modifiers().testFlag(Qt::ShiftModifier));
    update();
}

void CanvasView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return event->ignore();
    if (!std::exchange(m_isDragging, false))
        return; // cancelled
    m_document.release();
    update();
}

bool CanvasView::event(QEvent *event)
{
    // While typing every key is the text's (Return, Escape and the editor's
    // shortcuts too); Escape during a drag cancels the drag, not the window.
    if (event->type() == QEvent::ShortcutOverride
        && (m_document.isTyping() || (m_isDragging && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CanvasView::keyPressEvent(QKeyEvent *event)
{
    if (m_document.isTyping())
        return typeKey(event);
    if (event->key() != Qt::Key_Escape || !m_isDragging)
        return QWidget::keyPressEvent(event);
    m_isDragging = false;
    m_document.cancelDrag();
    update();
}

void CanvasView::typeKey(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers().testFlag(Qt::ShiftModifier))
            m_document.typeText(QStringLiteral("\n"));
        else
            m_document.commitText();
        break;
    case Qt::Key_Escape: m_document.cancelText(); break;
    case Qt::Key_Backspace: m_document.eraseText(); break;
    default: {
        // Printable text only: combinations with Control, Alt or Meta are
        // commands, which while typing do nothing.
        const QString text = event->text();
        const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!command && !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); }))
            m_document.typeText(text);
    }
    }
}

void CanvasView::inputMethodEvent(QInputMethodEvent *event)
{
    if (!m_document.isTyping())
        return event->ignore();
    m_preedit = event->preeditString();
    m_document.typeText(event->commitString());
    update();
}

QVariant CanvasView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled: return m_document.isTyping();
    case Qt::ImCursorRectangle: {
        // Where the candidate window of an input method goes.
        const Mark mark = m_document.typedMark().inBitmap(m_document.currentImage().height());
        const QLineF caret = bitmapToWidget().map(TextLayout(mark).caret(m_preedit));
        return QRectF(caret.p1(), caret.p2()).normalized().adjusted(-1, 0, 1, 0).toAlignedRect();
    }
    default: return QWidget::inputMethodQuery(query);
    }
}

void CanvasView::typingChanged()
{
    if (!m_document.isTyping())
        m_preedit.clear();
    setAttribute(Qt::WA_InputMethodEnabled, m_document.isTyping());
    if (QInputMethod *method = QGuiApplication::inputMethod())
        method->update(Qt::ImEnabled | Qt::ImCursorRectangle);
    update();
}

QTransform CanvasView::bitmapToWidget() const
{
    const QImage &image = m_document.currentImage();
    const QRectF target = widgetRect(geometry::fittedImageRect(bounds(), image.size()));
    const double scale = image.isNull() ? 1.0 : target.width() / image.width();
    return QTransform::fromTranslate(target.x(), target.y()).scale(scale, scale);
}

// ---- painting

void CanvasView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &image = m_document.currentImage();
    if (image.isNull()) {
        painter.fillRect(rect(), Qt::black);
        paintNoImageMessage(painter);
        return;
    }
    // The shown image is opaque (composed on black), so only the margins
    // need the black ground.
    const QRectF imageArea = paintImage(painter);
    fillAround(painter, rect(), imageArea, Qt::black);

    painter.setRenderHint(QPainter::Antialiasing);
    if (m_document.drawMode() == DrawMode::rectangle && m_isDragging)
        paintMarkPreview(painter, m_document.currentTool(), m_document.currentMark());
    if (m_document.isTyping())
        paintTyping(painter);
    if (m_document.drawMode() == DrawMode::selection && geometry::hasArea(m_document.selectionRect()))
        paintSelectionOverlay(painter);
}

QRectF CanvasView::paintImage(QPainter &painter)
{
    const QImage &image = m_document.currentImage();
    const QRectF target = widgetRect(geometry::fittedImageRect(bounds(), image.size()));
    const qreal ratio = devicePixelRatioF();
    const QSize deviceSize = (target.size() * ratio).toSize();
    if (deviceSize.isEmpty())
        return {};
    if (!m_scaling || m_scaling->imageSize() != image.size() || m_scaling->displaySize() != deviceSize) {
        m_scaling.emplace(image.size(), deviceSize);
        m_displayImage = m_scaling->render(image);
        m_staleArea = {};
    } else if (!m_staleArea.isEmpty()) {
        m_scaling->renderArea(image, m_displayImage, m_scaling->displayArea(m_staleArea));
        m_staleArea = {};
    }
    if (m_displayImage.isNull()) {
        m_scaling.reset(); // out of memory: try again at the next paint
        return {};
    }
    m_displayImage.setDevicePixelRatio(ratio);
    // Whole device pixels keep the image crisp.
    const QPointF origin(std::round(target.x() * ratio) / ratio, std::round(target.y() * ratio) / ratio);
    painter.drawImage(origin, m_displayImage);
    return QRectF(origin, QSizeF(m_displayImage.size()) / ratio);
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
    const QRectF box
        = widgetRect(geometry::pixelToView(m_document.selectionRect(), bounds(), m_document.currentImage().size()));
    // Dim what lies outside the selection; the selection itself stays as it
    // is. Whole pixels, so the bands meet without seams; the outline covers
    // the edge.
    painter.setRenderHint(QPainter::Antialiasing, false);
    fillAround(painter, rect(), box, withAlpha(Qt::black, 0.5));
    painter.setRenderHint(QPainter::Antialiasing, true);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(outlinePen(Qt::white, m_isDragging ? 3.0 : 2.0));
    painter.drawRect(box);
    if (m_isDragging) {
        painter.setPen(outlinePen(withAlpha(accentColor(), 0.5), 6.0));
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

} // namespace pintora
