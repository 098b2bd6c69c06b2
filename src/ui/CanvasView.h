#pragma once

#include "core/document/MarkGrip.h"
#include "core/geometry/Geometry.h"
#include "core/geometry/SelectionGeometry.h"
#include "core/pixels/DisplayScaling.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QTimer>
#include <QTransform>
#include <QWidget>

#include <optional>

namespace pintora {

class EditorDocument;
class Tool;
struct Mark;

// Shows the document's image, fitted or zoomed and scrolled, with the
// selection, the mark being drawn or the picked mark over it, and turns
// mouse events into requests to the document: left drags select (or adjust
// the selection by its handles), a left click on a mark picks it, which its
// handles and keys then change; right (or Control-left) drags draw; the
// middle button or Space with the left pans, the wheel scrolls and, with
// Control, zooms.
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
    // Whether part of the picture is shown roughly, to be made exact band
    // by band while the event loop is free.
    bool isRefining() const { return m_draft; }
    // While dragging: the image pixel under the pointer (bitmap space) and
    // the loupe's read-out of where it is, in pixel space.
    QPoint loupePixel() const;
    QString loupeLabel() const;

    // The image pixel under a view-space point.
    QPointF canvasToPixel(const QPointF &viewPoint) const;

    const geometry::Zoom &zoom() const { return m_zoom; }
    // Device pixels an image pixel, in percent: 100 shows each on one.
    double zoomPercent() const;
    // A step in or out about `widgetPoint` (the view's middle by default).
    void zoomBy(int steps, std::optional<QPointF> widgetPoint = {});
    void zoomToFit();
    // Lets go of the scaled picture kept for painting, made again at the
    // next paint: for a window put aside, whose memory is better given back.
    void releaseDisplay();
    // Makes the scaled picture for the view's present size now, ahead of
    // the first paint: while the window manager maps a new window.
    void prepareDisplay();
    // That picture; null until made.
    const QImage &displayImage() const { return m_displayImage; }
    void zoomToActualSize();
    // The scroll bar's thumb along the bottom or the right edge (widget
    // coordinates); empty where the image fits.
    QRectF scrollThumb(Qt::Orientation orientation) const;

signals:
    void zoomChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    void imageChanged(const QRect &area);
    void setZoom(const geometry::Zoom &zoom);
    void paintScrollThumbs(QPainter &painter);
    void refineDisplay();

    QSizeF bounds() const { return QSizeF(size()); }
    QSizeF imageSize() const;
    QPointF viewPoint(const QPointF &widgetPoint) const;
    QRectF widgetRect(const QRectF &viewRect) const;
    // The pixel a selection corner goes to for a pointer at `viewPoint`.
    QPointF selectionCorner(const QPointF &viewPoint) const;
    geometry::Handle handleUnder(const QPointF &viewPoint) const;
    // Image pixels within a few points of the pointer, where a press takes
    // a mark or a grip.
    double pickReach() const;
    void updateCursor(const QPointF &viewPoint);
    bool adjustSelectionByKey(const QKeyEvent *event);
    // The keys of a picked mark: arrows, Delete, Return, Escape.
    bool editPickByKey(const QKeyEvent *event);
    bool takesKey(const QKeyEvent *event) const;

    QRectF paintImage(QPainter &painter); // returns where it painted
    // The scaled picture brought up to date; where it goes, if anywhere.
    std::optional<QRectF> updateDisplay();
    void paintMarkPreview(QPainter &painter, const Tool &tool, const Mark &pixelMark);
    void paintTyping(QPainter &painter);
    void typeKey(QKeyEvent *event);
    void typingChanged();
    // The one place where bitmap space goes onto the screen.
    QTransform bitmapToWidget() const;
    void paintSelectionOverlay(QPainter &painter);
    void paintPick(QPainter &painter);
    // Pixel space onto the widget.
    QPointF widgetPoint(const QPointF &pixel) const;
    void paintLoupe(QPainter &painter);
    void dragTo(const QPointF &viewPoint, bool shift); // the drag under way, to there
    void paintNoImageMessage(QPainter &painter);

    EditorDocument &m_document;
    geometry::Zoom m_zoom; // fitted until zoomed
    bool m_isDragging = false; // a selection or a mark
    // A handle of the selection being dragged, from where, and the selection then.
    geometry::Handle m_handle = geometry::Handle::none;
    QPointF m_handleFrom;
    QRectF m_handleStart;
    // A grip of the picked mark being dragged.
    MarkGrip m_markGrip;
    // Where the left button went down, while its press may yet be a click.
    std::optional<QPointF> m_clickFrom;
    bool m_panning = false; // with the middle button, or Space and the left
    QPointF m_pointer; // widget point of the last press or move
    bool m_spaceHeld = false;
    double m_wheelSteps = 0; // zoom steps a smooth wheel has turned so far
    std::optional<Qt::Orientation> m_thumbDragged; // a scroll bar's thumb, dragged from m_pointer

    // The shown part of the image at its on-screen size, so that a repaint
    // does not rescale a large screenshot again; after an edit only the
    // changed part is redone.
    std::optional<DisplayScaling> m_scaling;
    QImage m_displayImage;
    QRect m_displayWindow; // the part of the display it holds
    // While zooming or scrolling a large image the display is first drawn
    // roughly, and exactly once the view has rested a moment.
    bool m_viewMoved = false;
    bool m_draft = false; // rows of the display from m_refinedRows on are rough
    int m_refinedRows = 0;
    QTimer *m_refine;
    QRect m_staleArea; // of the image, bitmap space
    QString m_preedit; // what an input method is composing
};

} // namespace pintora
