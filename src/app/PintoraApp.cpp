#include "app/PintoraApp.h"

#include "app/Console.h"
#include "app/DarkAppearance.h"
#include "app/SymbolIcon.h"
#include "i18n/Translations.h"

#include "editor/ImageEditorView.h"
#include "editor/ImageExport.h"

#include <QApplication>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

PintoraApp::PintoraApp(QObject *parent)
    : QObject(parent)
{
}

PintoraApp::~PintoraApp()
{
    delete m_editorWindow;
}

void PintoraApp::applicationDidFinishLaunching()
{
    console::writeLine("✅ App launched successfully!");

    applyDarkAppearance();
    // Screenshots of large and several monitors are big: allow up to 16384 x
    // 16384 RGBA; anything larger is refused by the decoder.
    QImageReader::setAllocationLimit(1024);

    Translations::current = Translations::detectSystemLanguage();
    console::writeLine(QStringLiteral("🌍 Language: ") + displayName(Translations::current));

    // A tray utility has no main window: closing the editor must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    m_statusItem = new QSystemTrayIcon(this);
    console::writeLine(std::string("✅ StatusItem created: ") + (m_statusItem ? "true" : "false"));

    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        console::writeLine("❌ Button is nil!");
        return;
    }

    console::writeLine("✅ Button exists, setting up icon...");
    const QString symbolName = QStringLiteral("viewfinder.crop");
    const QIcon icon = symbolIcon(symbolName);
    if (!icon.isNull()) {
        m_statusItem->setIcon(outlinedIcon(icon));
        console::writeLine(QStringLiteral("✅ Image set from symbol: ") + symbolName);
    } else {
        m_statusItem->setIcon(textIcon(QStringLiteral("✂️")));
        console::writeLine("✅ Fallback emoji icon set");
    }
    m_statusItem->setToolTip(QStringLiteral("Pintora"));

    // Every left click is a click: Qt reports the second of two quick ones as
    // a double click.
    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            menuBarIconClicked();
    });
    m_statusItem->show();
    console::writeLine("✅ Button action configured");
}

void PintoraApp::menuBarIconClicked()
{
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    QByteArray bytes;
    if (clipboard) {
        bytes = clipboard->data(QStringLiteral("image/png"));
        if (bytes.isEmpty())
            bytes = clipboard->data(QStringLiteral("image/tiff"));
    }

    if (bytes.isEmpty()) {
        console::writeLine("ℹ️ No image on clipboard");
        if (m_editorWindow)
            showEditorWindow();
        else
            openEditorWindow(QImage(), QByteArray());
        return;
    }

    if (!m_currentImageData.isEmpty() && bytes == m_currentImageData) {
        console::writeLine("ℹ️ Same image, just showing window");
        if (m_editorWindow)
            showEditorWindow();
        else
            openEditorWindow(m_currentImage, m_currentImageData);
        return;
    }

    console::writeLine("ℹ️ New image detected");
    const QImage image = QImage::fromData(bytes);
    if (image.isNull())
        return;
    m_currentImage = image;
    m_currentImageData = bytes;
    openEditorWindow(image, bytes);
}

void PintoraApp::openEditorWindow(const QImage &image, const QByteArray &)
{
    // A new image gets a new editor; the old one goes with its edits.
    releaseEditorWindow();

    // The callback must neither keep the app alive nor outlive it.
    const QPointer<PintoraApp> self(this);
    auto *editor = new ImageEditorView(image, [self](const QImage &cropped) {
        if (self)
            self->cropped(cropped);
    });

    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? (QSizeF(screen->geometry().size()) * 0.8).toSize() : QSize(1536, 864);

    auto *window = new QWidget;
    window->setWindowTitle(QStringLiteral("Pintora - Image Editor"));
    auto *content = new QVBoxLayout(window);
    content->setContentsMargins(0, 0, 0, 0);
    content->addWidget(editor);
    // Closing hides the window; it stays here with its edits.
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    if (screen)
        window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, screen->availableGeometry()));
    else
        window->resize(size);
    m_editorWindow = window;
    showEditorWindow();
}

void PintoraApp::showEditorWindow()
{
    m_editorWindow->show();
    m_editorWindow->raise();
    m_editorWindow->activateWindow();
}

void PintoraApp::releaseEditorWindow()
{
    if (!m_editorWindow)
        return;
    m_editorWindow->close();
    // Later: this may run inside one of the window's own event handlers.
    m_editorWindow->deleteLater();
    m_editorWindow = nullptr;
}

QByteArray PintoraApp::copyImageToClipboard(const QImage &image)
{
    return putImageOnClipboard(image);
}

void PintoraApp::cropped(const QImage &image)
{
    if (!image.isNull()) {
        // The clipboard will hand these very bytes back on the next click.
        const QByteArray png = copyImageToClipboard(image);
        if (!png.isEmpty()) {
            m_currentImage = image;
            m_currentImageData = png;
        }
    }
    releaseEditorWindow();
}
