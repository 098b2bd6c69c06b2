#include "ui/EditorWindow.h"

#include "ui/ImageEditorView.h"

#include <algorithm>

#include <QCursor>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace pintora {

EditorWindow::EditorWindow(const QImage &image, std::function<void(const QImage &)> onCrop, QWidget *parent)
    : QWidget(parent)
    , m_editor(new ImageEditorView(image, std::move(onCrop), this))
{
    setWindowTitle(QStringLiteral("Pintora - Image Editor"));
    auto *content = new QVBoxLayout(this);
    content->setContentsMargins(0, 0, 0, 0);
    content->addWidget(m_editor);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // On the screen where the user clicked the tray icon.
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    setGeometry(geometryOn(screen ? screen : QGuiApplication::primaryScreen()));
}

QRect EditorWindow::geometryOn(const QScreen *screen)
{
    if (!screen)
        return QRect(QPoint(0, 0), QSize(1536, 864));
    const QRect free = screen->availableGeometry();
    const QSize size = (QSizeF(screen->geometry().size()) * 0.8).toSize().boundedTo(free.size());
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, free);
}

void EditorWindow::prepare()
{
    ensurePolished();
    layout()->activate();
    winId(); // the platform window, which showing would otherwise make
}

void EditorWindow::present()
{
    // A minimized window comes back as it was before, maximized or not.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    // The frame is known once the window manager has framed the window.
    QTimer::singleShot(100, this, &EditorWindow::keepOnScreen);
}

void EditorWindow::keepOnScreen()
{
    const QScreen *screen = this->screen();
    if (!screen || isMaximized() || isFullScreen())
        return;
    const QRect free = screen->availableGeometry();
    const QRect frame = frameGeometry();
    if (free.contains(frame))
        return;
    // Shrink by what the frame adds, then move the whole frame inside.
    const QSize decoration = frame.size() - size();
    resize(size().boundedTo(free.size() - decoration));
    const QRect fitted(frame.topLeft(), size() + decoration);
    move(std::clamp(fitted.left(), free.left(), free.right() + 1 - fitted.width()),
         std::clamp(fitted.top(), free.top(), free.bottom() + 1 - fitted.height()));
}

} // namespace pintora
