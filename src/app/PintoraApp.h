#pragma once

#include "ui/Clipboard.h"
#include "ui/EditorWindow.h"
#include "ui/X11Clipboard.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace pintora {
class EditorHandOff;
class FocusedClipboardRead;
class Preferences;
} // namespace pintora

namespace pintora {

// The application's controller: brings the process up as a tray utility,
// reads the clipboard when its icon is clicked, and opens or re-shows the one
// editor window.
class PintoraApp : public QObject
{
    Q_OBJECT

public:
    explicit PintoraApp(QObject *parent = nullptr);
    ~PintoraApp() override;

    // Runs once when the event loop has started.
    void applicationDidFinishLaunching();

    // Runs once the event loop has ended: on Wayland our image on the
    // clipboard goes to a holder that outlives us (see ClipboardHolder.h).
    void keepClipboardAfterQuit();

    // A second launch's Wayland activation token (none: empty), for the
    // editor it shows next to be raised with.
    void useActivationToken(const QByteArray &token);

    // A click on the tray icon, or "Open Editor" in its menu.
    void menuBarIconClicked();

    // Opens the image in `path` in the editor as a new image, read and
    // decoded off the GUI thread; `done` hears on this thread why it could
    // not be read, or nothing.
    void openFile(const QString &path, const std::function<void(const QString &reason)> &done);

    // The editor window, also while the user has closed (hidden) it; null
    // when none was opened or Crop & Copy dismissed it.
    EditorWindow *editorWindow() const { return m_editorWindow; }

    // Whether an image taken from the clipboard is being decoded: its
    // editor opens once it is ready.
    bool isOpening() const { return m_opening > 0; }

    // The editor a new image replaced last, hidden with its image and
    // history until the next replacement; null when there is none.
    EditorWindow *previousEditorWindow() const { return m_previousWindow; }
    // "Previous image" in the tray menu: that editor and the open one trade
    // places.
    void showPreviousImage();

private:
    void takeClipboard(const ClipboardBytes &read);
    // Decodes `bytes` off this thread and opens their editor: a new image
    // taken from the clipboard, or (`taken` without bytes) the current one.
    void decodeAndOpen(const QByteArray &bytes, const ClipboardImage &taken);
    // The editor of an image taken from the clipboard, once decoded.
    void openDecoded(const QImage &image, const ClipboardImage &taken);
    void setUpStatusItem();
    void openEditorWindow(const QImage &image);
    void showEditorWindow();
    void releaseEditorWindow();
    // Puts `window` in the open editor's place, which it keeps as the previous.
    void replaceEditorWindow(EditorWindow *window);
    // Hides the open editor, or lets it go when it has no image.
    void keepEditorWindowAside();
    void updatePreviousAction();
    void cropped(const QImage &image, const QRect &area);
    void remember(const ClipboardImage &taken);
    // What was taken in last; an offer of ours whose encode failed does not count.
    const ClipboardImage &current();
    EditorWindow *makeEditorWindow();
    // An editor for a new image: the spare made ahead, or a new one.
    EditorWindow *takeEditorWindow();
    // Makes the spare window, built and laid out but hidden, so that a click
    // costs only the read, the decode and the first paint.
    void makeSpareWindow();
    void showWarning(const QString &message);

    QSystemTrayIcon *m_statusItem = nullptr; // child of this; set once at launch
    X11ClipboardIntake *m_intake = nullptr; // child of this; on X11 only
    FocusedClipboardRead *m_focusedRead = nullptr; // child of this; on Wayland only
    Preferences *m_preferences; // child of this
    CopyReport *m_cropReport; // child of this; hears how Crop & Copy's encode ended
    EditorHandOff *m_handOff; // child of this; keeps the editor a Crop & Copy ended until the copy is taken
    std::unique_ptr<QMenu> m_menu; // the icon's; a menu has no QObject parent
    QAction *m_previousAction = nullptr; // in m_menu
    QPointer<EditorWindow> m_editorWindow; // owned; a top-level window
    QPointer<EditorWindow> m_previousWindow; // owned; hidden
    QPointer<EditorWindow> m_spareWindow; // owned; hidden, never shown, without an image
    bool m_spareComing = false; // a spare is due to be made
    // The current image and its clipboard bytes, to spot it again; and the
    // one before, for when the encode of the current one fails.
    ClipboardImage m_current;
    ClipboardImage m_previous;
    int m_decodes = 0; // clipboard images sent to be decoded; the last one's editor opens
    int m_opening = 0; // of them, those not back yet
};

} // namespace pintora
