#include "app/PintoraApp.h"

#include "app/ClipboardHolder.h"
#include "app/EditorHandOff.h"
#include "app/FocusedClipboardRead.h"
#include "app/Preferences.h"
#include "core/Background.h"
#include "core/Console.h"
#include "core/document/EditorDocument.h"
#include "core/png/ImageDecode.h"
#include "i18n/Translations.h"
#include "ui/CanvasView.h"
#include "ui/Clipboard.h"
#include "ui/EditorWindow.h"
#include "ui/ImageEditorView.h"
#include "ui/SymbolIcon.h"
#include "ui/Theme.h"
#include "ui/TrayArrival.h"
#include "ui/X11Clipboard.h"

#include <QAction>
#include <QApplication>
#include <QImageReader>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cstdio>

#include <utility>

namespace pintora {
PintoraApp::PintoraApp(QObject *parent)
    : QObject(parent)
    , m_preferences(new Preferences({}, this))
    , m_cropReport(new CopyReport(this))
    , m_handOff(new EditorHandOff(m_cropReport,
                                  QGuiApplication::platformName().startsWith(QLatin1String("wayland"))
                                      ? EditorHandOff::Hold::untilAsked
                                      : EditorHandOff::Hold::none,
                                  this))
{
    connect(m_cropReport, &CopyReport::finished, this, [this](const QSize &, bool encoded) {
        if (!encoded)
            showWarning(Translations::copyFailed());
    });
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_intake = new X11ClipboardIntake(qgetenv("DISPLAY"), ReadLimits{}, this);
        connect(m_intake, &X11ClipboardIntake::finished, this, &PintoraApp::takeClipboard);
    } else if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        m_focusedRead = new FocusedClipboardRead(this);
        connect(m_focusedRead, &FocusedClipboardRead::finished, this, &PintoraApp::takeClipboard);
    }
}

PintoraApp::~PintoraApp()
{
    delete m_editorWindow;
    delete m_previousWindow;
    delete m_spareWindow;
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
    QGuiApplication::setLayoutDirection(isRightToLeft(Translations::current) ? Qt::RightToLeft : Qt::LeftToRight);

    // A tray utility has no main window: closing the editor must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    // Once the launch is done: the first click finds the editor built.
    m_spareComing = true;
    QTimer::singleShot(0, this, &PintoraApp::makeSpareWindow);

    m_statusItem = new QSystemTrayIcon(this);
    console::writeLine(std::string("✅ StatusItem created: ") + (m_statusItem ? "true" : "false"));

    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        console::writeLine("❌ Button is nil!");
        // Trays often start after the programs of a login: the icon goes up
        // when one announces itself.
        auto *arrival = new TrayArrival(this);
        connect(arrival, &TrayArrival::announced, this, [this, arrival] {
            if (!QSystemTrayIcon::isSystemTrayAvailable())
                return;
            arrival->deleteLater();
            disconnect(arrival, nullptr, this, nullptr);
            setUpStatusItem();
        });
        return;
    }
    setUpStatusItem();
}

void PintoraApp::setUpStatusItem()
{
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

    m_menu = std::make_unique<QMenu>();
    connect(m_menu->addAction(Translations::openEditor()), &QAction::triggered, this, &PintoraApp::menuBarIconClicked);
    m_previousAction = m_menu->addAction(Translations::previousImage());
    connect(m_previousAction, &QAction::triggered, this, &PintoraApp::showPreviousImage);
    updatePreviousAction();
    connect(m_menu->addAction(Translations::quit()), &QAction::triggered, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
    m_statusItem->setContextMenu(m_menu.get());

    // Every left click is a click: Qt reports the second of two quick ones as
    // a double click.
    connect(m_statusItem, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            menuBarIconClicked();
    });
    m_statusItem->show();
    console::writeLine("✅ Button action configured");
}

void PintoraApp::keepClipboardAfterQuit()
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return; // an X11 clipboard outlives its owner through the desktop's clipboard manager
    const ClipboardImage ours = ownImageOnClipboard();
    if (!ours.bytes.valid())
        return;
    const QString problem = handClipboardToHolder(ours);
    if (!problem.isEmpty())
        std::fprintf(stderr, "pintora: the image on the clipboard goes with Pintora: %s\n", qPrintable(problem));
}

void PintoraApp::useActivationToken(const QByteArray &token)
{
    // Qt's Wayland shell gives the compositor this token the next time one
    // of our windows asks to be activated, and then forgets it.
    if (!token.isEmpty() && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        qputenv("XDG_ACTIVATION_TOKEN", token);
}

EditorWindow *PintoraApp::makeEditorWindow()
{
    auto *window = new EditorWindow(QImage());
    connect(window->editor(), &ImageEditorView::cropped, this, &PintoraApp::cropped);
    connect(window->editor(), &ImageEditorView::saveChosen, this, [this](const QString &folder, const QString &format) {
        m_preferences->setSaveFolder(folder);
        m_preferences->setSaveFormat(format);
    });
    connect(window->editor(), &ImageEditorView::copyFailed, this, [this] { showWarning(Translations::copyFailed()); });
    connect(window->editor(), &ImageEditorView::textCopyFailed, this, &PintoraApp::showWarning);
    connect(window->editor(), &ImageEditorView::copiedToClipboard, this, &PintoraApp::remember);
    window->prepare();
    return window;
}

void PintoraApp::makeSpareWindow()
{
    m_spareComing = false;
    if (!m_spareWindow)
        m_spareWindow = makeEditorWindow();
}

EditorWindow *PintoraApp::takeEditorWindow()
{
    EditorWindow *window = m_spareWindow ? m_spareWindow.data() : makeEditorWindow();
    m_spareWindow = nullptr;
    // The next one, once this one is up and the user at work.
    if (!std::exchange(m_spareComing, true))
        QTimer::singleShot(1000, this, &PintoraApp::makeSpareWindow);
    window->placeOnScreen();
    // After Copy the clipboard holds the editor's own image: the next click
    // shows this window again instead of starting over.
    window->editor()->setClipboardOrigin(current());
    // What the user chose last, in any editor of this run or the last.
    m_preferences->applyTo(window->editor()->document());
    window->editor()->setSaveChoices(m_preferences->choices().saveFolder, m_preferences->choices().saveFormat);
    return window;
}

void PintoraApp::openEditorWindow(const QImage &image)
{
    EditorWindow *window = takeEditorWindow();
    window->editor()->setInitialImage(image);
    replaceEditorWindow(window);
}

void PintoraApp::replaceEditorWindow(EditorWindow *window)
{
    // A new image gets a new editor; the old one is kept, edits and all,
    // until the next new image, in case it was replaced by mistake.
    keepEditorWindowAside();
    if (m_editorWindow) {
        if (m_previousWindow)
            m_previousWindow->deleteLater();
        m_previousWindow = std::exchange(m_editorWindow, nullptr);
        // Kept for its image and edits; its picture on screen is made again if it comes back.
        m_previousWindow->editor()->canvasView()->releaseDisplay();
    }
    m_editorWindow = window;
    updatePreviousAction();
    showEditorWindow();
}

void PintoraApp::keepEditorWindowAside()
{
    if (!m_editorWindow)
        return;
    if (m_editorWindow->editor()->document().currentImage().isNull())
        releaseEditorWindow(); // nothing in it to come back to
    else
        m_editorWindow->close();
}

void PintoraApp::showPreviousImage()
{
    if (!m_previousWindow)
        return;
    keepEditorWindowAside();
    std::swap(m_editorWindow, m_previousWindow);
    const QImage &image = m_editorWindow->editor()->document().currentImage();
    console::writeLine("🔁 Previous image back: " + console::formatPixelSize(image.size()) + " px");
    updatePreviousAction();
    showEditorWindow();
}

void PintoraApp::updatePreviousAction()
{
    if (m_previousAction)
        m_previousAction->setEnabled(!m_previousWindow.isNull());
}

void PintoraApp::showEditorWindow()
{
    m_editorWindow->present();
}

void PintoraApp::releaseEditorWindow()
{
    if (!m_editorWindow)
        return;
    m_editorWindow->close();
    // Later: this may run inside one of the window's own event handlers.
    m_editorWindow->deleteLater();
    m_editorWindow = nullptr;
    updatePreviousAction();
}

void PintoraApp::showWarning(const QString &message)
{
    // Not only on the console: a user who started Pintora from the desktop never sees it.
    if (m_statusItem && m_statusItem->isVisible())
        m_statusItem->showMessage(QStringLiteral("Pintora"), message, QSystemTrayIcon::Warning, 5000);
}

void PintoraApp::remember(const ClipboardImage &taken)
{
    // The clipboard will hand these very bytes back on the next click.
    m_previous = current();
    m_current = taken;
}

const ClipboardImage &PintoraApp::current()
{
    // A failed encode put the clipboard back as it was: so is what we know of it.
    if (m_current.bytes.valid() && m_current.bytes.get().isEmpty())
        m_current = std::exchange(m_previous, ClipboardImage());
    return m_current;
}

void PintoraApp::cropped(const QImage &image, const QRect &area)
{
    if (area.isEmpty()) {
        releaseEditorWindow();
        return;
    }
    // Off the screen first where nothing waits for the window: offering the
    // copy takes a round trip to the X server.
    if (!m_handOff->holds() && m_editorWindow)
        m_editorWindow->hide();
    remember({putImageOnClipboard(image, area, current(), m_cropReport)});
    // The editor stays until the copy is taken.
    m_handOff->waitForCopy(std::exchange(m_editorWindow, nullptr));
    updatePreviousAction();
}

} // namespace pintora
