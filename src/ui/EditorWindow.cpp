#include "ui/EditorWindow.h"

#include "ui/CanvasView.h"
#include "ui/ImageEditorView.h"

#include <algorithm>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <xcb/xcb.h>

namespace pintora {
namespace {

// Requests wait in Qt's buffer until the event loop runs next, or until Qt
// flushes (it does after a map or an unmap): the others are sent before long
// work here.
void sendToDisplayServer()
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t *connection = x11 ? x11->connection() : nullptr)
        xcb_flush(connection);
}

} // namespace

EditorWindow::EditorWindow(const QImage &image, QWidget *parent)
    : QWidget(parent)
    , m_editor(new ImageEditorView(image, this))
{
    setWindowTitle(QStringLiteral("Pintora - Image Editor"));
    auto *content = new QVBoxLayout(this);
    content->setContentsMargins(0, 0, 0, 0);
    content->addWidget(m_editor);
    setAttribute(Qt::WA_DeleteOnClose, false);
    placeOnScreen();
}

void EditorWindow::placeOnScreen()
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    setGeometry(geometryOn(screen ? screen : QGuiApplication::primaryScreen()));
}

QRect EditorWindow::geometryOn(const QScreen *screen)
{
    if (!screen)
        return QRect(QPoint(0, 0), QSize(1536, 864));
    return geometryFor(screen->geometry(), screen->availableGeometry());
}

QRect EditorWindow::geometryFor(const QRect &screen, const QRect &available)
{
    const QSize size = (QSizeF(screen.size()) * 0.8).toSize().boundedTo(available.size());
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, available);
}

QRect EditorWindow::frameInside(const QRect &available, const QRect &frame, const QSize &decoration)
{
    if (available.contains(frame))
        return frame;
    const QSize size = (frame.size() - decoration).boundedTo(available.size() - decoration) + decoration;
    return QRect(QPoint(std::clamp(frame.left(), available.left(), available.right() + 1 - size.width()),
                        std::clamp(frame.top(), available.top(), available.bottom() + 1 - size.height())),
                 size);
}

void EditorWindow::prepare()
{
    ensurePolished();
    m_editor->prepareToolbar(); // else at the first image, while the user waits
    layout()->activate();
    winId(); // the platform window, which showing would otherwise make
}

void EditorWindow::present()
{
    // A minimized window comes back as it was before, maximized or not.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    // Showing gave the editor its image and with it the toolbar: laid out
    // now, so that the picture is scaled once, for the canvas it will have.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    raise();
    activateWindow();
    // The window manager takes a while to frame and map a window: the
    // picture is scaled in that time rather than after it, with the raise
    // and the activation already on their way.
    sendToDisplayServer();
    m_editor->canvasView()->prepareDisplay();
    // The frame is known once the window manager has framed the window.
    QTimer::singleShot(100, this, &EditorWindow::keepOnScreen);
}

void EditorWindow::keepOnScreen()
{
    const QScreen *screen = this->screen();
    if (!screen || isMaximized() || isFullScreen())
        return;
    const QRect frame = frameGeometry();
    const QSize decoration = frame.size() - size();
    const QRect placed = frameInside(screen->availableGeometry(), frame, decoration);
    if (placed == frame)
        return;
    resize(placed.size() - decoration);
    move(placed.topLeft());
}

} // namespace pintora
