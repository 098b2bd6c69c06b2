#include "app/FocusedClipboardRead.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QWindow>

#include <utility>

namespace pintora {

ClipboardBytes readClipboardNow()
{
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    ClipboardBytes read{ClipboardBytes::Status::none, {}, QStringLiteral("image/png")};
    if (clipboard) {
        read.bytes = clipboard->data(read.type);
        if (read.bytes.isEmpty())
            read.bytes = clipboard->data(read.type = QStringLiteral("image/tiff"));
    }
    if (!read.bytes.isEmpty())
        read.status = ClipboardBytes::Status::image;
    return read;
}

FocusedClipboardRead::FocusedClipboardRead(QObject *parent)
    : QObject(parent)
{
    m_focusWait.setSingleShot(true);
    m_focusWait.setInterval(focusPatienceMs);
    connect(&m_focusWait, &QTimer::timeout, this, &FocusedClipboardRead::focusLate);
    m_retry.setSingleShot(true);
    m_retry.setInterval(retryEveryMs);
    connect(&m_retry, &QTimer::timeout, this, &FocusedClipboardRead::tryRead);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &FocusedClipboardRead::focusChanged);
}

bool FocusedClipboardRead::start(QWidget *window)
{
    if (m_running)
        return false;
    m_running = true;
    m_shownAgain = false;
    m_window = window;
    m_reading.invalidate();
    if (m_window && m_window->isActiveWindow()) {
        // Answered from the event loop, as every other read is.
        QMetaObject::invokeMethod(this, &FocusedClipboardRead::tryRead, Qt::QueuedConnection);
        return true;
    }
    if (m_window)
        m_window->activateWindow();
    m_focusWait.start();
    return true;
}

void FocusedClipboardRead::focusChanged()
{
    if (!m_running || m_reading.isValid() || !m_window || !m_window->isActiveWindow())
        return;
    m_focusWait.stop();
    tryRead();
}

void FocusedClipboardRead::focusLate()
{
    if (!m_running || m_reading.isValid())
        return;
    // Shown again, a window is offered focus again; after that the read is
    // tried without it (on X11, and on compositors that allow it).
    if (!std::exchange(m_shownAgain, true) && m_window) {
        m_window->hide();
        m_window->show();
        m_window->activateWindow();
        m_focusWait.start();
        return;
    }
    tryRead();
}

void FocusedClipboardRead::tryRead()
{
    if (!m_reading.isValid())
        m_reading.start();
    const ClipboardBytes read = readClipboardNow();
    // The compositor may hand the clipboard over a moment after focus.
    if (read.status != ClipboardBytes::Status::image && m_reading.elapsed() < retryForMs) {
        m_retry.start();
        return;
    }
    finish(read);
}

void FocusedClipboardRead::finish(const ClipboardBytes &read)
{
    m_focusWait.stop();
    m_retry.stop();
    m_running = false;
    emit finished(read);
}

} // namespace pintora
