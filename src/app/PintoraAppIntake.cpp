#include "app/PintoraApp.h"

#include "app/FocusedClipboardRead.h"
#include "core/Background.h"
#include "core/Console.h"
#include "core/png/ImageDecode.h"
#include "core/png/ImageFile.h"
#include "i18n/Translations.h"
#include "ui/Clipboard.h"
#include "ui/EditorWindow.h"
#include "ui/ImageEditorView.h"
#include "ui/X11Clipboard.h"

#include <QFileInfo>

// How an image comes in: a file named on the command line or handed over,
// or the clipboard at a tray click; each decoded on a worker, the editor
// opened when it is ready.
namespace pintora {

void PintoraApp::openFile(const QString &path, const std::function<void(const QString &reason)> &done)
{
    // Read and decoded on a worker: a large file holds no click or paint.
    inBackground(
        this, [path] { return readImageFile(path); },
        [this, path, done](const ReadFile &read) {
            if (read.image.isNull())
                return done(read.reason);
            console::writeLine(QStringLiteral("ℹ️ Opening file: ") + path);
            // An image of its own: the next click with an image on the clipboard is new.
            m_current = m_previous = ClipboardImage();
            openEditorWindow(read.image);
            m_editorWindow->editor()->setSourceFile(QFileInfo(path).absoluteFilePath());
            done({});
        });
}

void PintoraApp::menuBarIconClicked()
{
    // On X11 the clipboard is read off this thread, so that an owner that
    // does not answer cannot freeze the tray and the editor; the read's end
    // carries on below. A click during a read is answered by it.
    if (m_intake && m_intake->request())
        return;
    // On Wayland the clipboard is ours to read only while one of our windows
    // has focus: the editor comes first, the read once it has focus.
    if (m_focusedRead) {
        if (m_focusedRead->isRunning())
            return;
        if (m_editorWindow)
            showEditorWindow();
        else
            openEditorWindow(QImage());
        m_focusedRead->start(m_editorWindow);
        return;
    }
    takeClipboard(readClipboardNow());
}

void PintoraApp::takeClipboard(const ClipboardBytes &read)
{
    if (read.status == ClipboardBytes::Status::noConnection) { // Qt's connection, then
        takeClipboard(readClipboardNow());
        return;
    }
    if (read.status == ClipboardBytes::Status::timedOut || read.status == ClipboardBytes::Status::unreadable) {
        console::writeLine(read.status == ClipboardBytes::Status::timedOut ? "❌ The clipboard's owner did not answer"
                                                                           : "❌ Failed to read the clipboard");
        showWarning(Translations::unreadableImage());
        return;
    }
    const QByteArray &bytes = read.bytes;
    const QString &type = read.type;
    if (bytes.isEmpty()) {
        console::writeLine("ℹ️ No image on clipboard");
        if (m_editorWindow)
            showEditorWindow();
        else
            openEditorWindow(QImage());
        return;
    }

    // The running encode of a Copy or Crop & Copy: this waits for it.
    const ClipboardImage &known = current();
    if (known.bytes.valid() && bytes == known.bytes.get()) {
        console::writeLine("ℹ️ Same image, just showing window");
        // After Crop & Copy the editor is gone: the cut comes back from its
        // bytes.
        if (m_editorWindow)
            showEditorWindow();
        else
            decodeAndOpen(known.bytes.get(), {});
        return;
    }

    console::writeLine("ℹ️ New image detected");
    decodeAndOpen(bytes, ClipboardImage{readyPng(bytes), type});
}

void PintoraApp::decodeAndOpen(const QByteArray &bytes, const ClipboardImage &taken)
{
    // The image decodes on a worker; its editor opens once it is ready,
    // unless a newer image came meanwhile. Nothing here waits for it.
    const int decode = ++m_decodes;
    ++m_opening;
    inBackground(
        this, [bytes] { return decodeImage(bytes); },
        [this, decode, taken](const QImage &image) {
            --m_opening;
            if (decode == m_decodes)
                openDecoded(image, taken);
        });
}

void PintoraApp::openDecoded(const QImage &image, const ClipboardImage &taken)
{
    if (image.isNull()) {
        // The console says no more; the user sees why nothing opens.
        showWarning(Translations::unreadableImage());
        return;
    }
    if (taken.bytes.valid()) { // a new image; else the current one again
        m_current = taken;
        m_previous = ClipboardImage();
    }
    openEditorWindow(image);
}

} // namespace pintora
