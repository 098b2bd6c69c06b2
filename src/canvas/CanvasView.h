#pragma once

#include "canvas/Annotation.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <functional>

// Shows the image being edited scaled to fit, turns left drags into a
// selection and right (or Control-left) drags into rectangles burned into the
// image, and tells the editor through its callbacks.
//
// Coordinates: everything it keeps is in view space (y up from the bottom
// left) or pixel space (the image's pixels, y up); Qt's y-down coordinates are
// converted where events come in and where overlays are painted.
class CanvasView : public QWidget
{
public:
    explicit CanvasView(QWidget *parent = nullptr);

    // Set by the editor; each is skipped while empty.
    std::function<void(const QRectF &pixelRect)> onSelectionChanged;
    std::function<void(DrawMode mode)> onModeChanged;
    std::function<void()> saveStateForUndo;

    // Written field by field by the editor as the user picks a style.
    RectangleStyle rectangleStyle{QColor(Qt::red), 2.0, false, false};

    const QImage &currentImage() const { return m_currentImage; }

    // Shows `image` with no selection.
    void setImage(const QImage &image);

    // In pixel space; every assignment is reported, changed or not.
    QRectF selectionRect() const { return m_selectionRect; }
    void setSelectionRect(const QRectF &pixelRect);

    DrawMode drawMode() const { return m_drawMode; }
    bool isDragging() const { return m_isDragging; }

    // The image pixel under a view-space point.
    QPointF canvasToPixel(const QPointF &viewPoint) const;

    // Burns `pixelRect` into the image in `style`, replacing the image.
    void drawRectangleOnImage(const QRectF &pixelRect, const RectangleStyle &style);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void press(const QPointF &viewPoint, DrawMode mode);
    void drag(const QPointF &viewPoint);
    void release();

    QSizeF bounds() const { return QSizeF(size()); }
    QPointF viewPoint(const QMouseEvent *event) const;
    QRectF widgetRect(const QRectF &viewRect) const;

    QRectF paintImage(QPainter &painter); // returns where it painted
    void paintRectanglePreview(QPainter &painter, double scale);
    void paintSelectionOverlay(QPainter &painter);
    void paintNoImageMessage(QPainter &painter);

    QImage m_currentImage;
    QRectF m_selectionRect;
    DrawMode m_drawMode = DrawMode::selection;
    bool m_isDragging = false;
    QPointF m_dragStart; // view space

    // The image at its on-screen size, so that a repaint during a drag does
    // not rescale a large screenshot again.
    QImage m_displayImage;
    qint64 m_displayImageKey = 0;
};
