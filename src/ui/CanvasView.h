#pragma once

#include "core/DisplayScaling.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <QWidget>

#include <optional>

namespace pintora {

class EditorDocument;
class Tool;
struct Mark;

// Shows the document's image scaled to fit with the selection or the
// rectangle being drawn over it, and turns mouse events into requests to the
// document: left drags select, right (or Control-left) drags draw rectangles.
//
// Coordinates: everything it keeps is in view space (y up from the bottom
// left) or pixel space (the image's pixels, y up); Qt's y-down coordinates are
// converted where events come in and where overlays are painted.
class CanvasView : public QWidget
{
    Q_OBJECT

public:
    explicit CanvasView(EditorDocument &document, QWidget *parent = nullptr);

    bool isDragging() const { return m_isDragging; }

    // The image pixel under a view-space point.
    QPointF canvasToPixel(const QPointF &viewPoint) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void imageChanged(const QRect &area);

    QSizeF bounds() const { return QSizeF(size()); }
    QPointF viewPoint(const QMouseEvent *event) const;
    QRectF widgetRect(const QRectF &viewRect) const;

    QRectF paintImage(QPainter &painter); // returns where it painted
    void paintMarkPreview(QPainter &painter, const Tool &tool, const Mark &pixelMark);
    void paintTyping(QPainter &painter);
    void typeKey(QKeyEvent *event);
    void typingChanged();
    // The one place where bitmap space goes onto the screen.
    QTransform bitmapToWidget() const;
    void paintSelectionOverlay(QPainter &painter);
    void paintNoImageMessage(QPainter &painter);

    EditorDocument &m_document;
    bool m_isDragging = false;

    // The image at its on-screen size, so that a repaint does not rescale a
    // large screenshot again; after an edit only the changed part is redone.
    std::optional<DisplayScaling> m_scaling;
    QImage m_displayImage;
    QRect m_staleArea; // of the image, bitmap space
    QString m_preedit; // what an input method is composing
};

} // namespace pintora
