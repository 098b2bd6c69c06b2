#include "ui/EditorWindow.h"

#include "ui/ImageEditorView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
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
    setGeometry(geometryOn(QGuiApplication::primaryScreen()));
}

QRect EditorWindow::geometryOn(const QScreen *screen)
{
    if (!screen)
        return QRect(QPoint(0, 0), QSize(1536, 864));
    const QSize size = (QSizeF(screen->geometry().size()) * 0.8).toSize();
    return QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen->availableGeometry());
}

void EditorWindow::present()
{
    // A minimized window comes back as it was before, maximized or not.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

} // namespace pintora
