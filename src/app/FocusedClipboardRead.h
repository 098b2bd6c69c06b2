#pragma once

#include "ui/X11Clipboard.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace pintora {

// The clipboard's PNG or TIFF bytes, read through Qt's clipboard on this
// thread.
ClipboardBytes readClipboardNow();

// On Wayland a program may read the clipboard only while one of its windows
// has keyboard focus. A read waits for the window it is given to get focus
// (shown once more when it does not come, as sway does not focus a window
// already shown), then reads, trying again for a short while when the
// clipboard is not there yet, and says what it found.
class FocusedClipboardRead : public QObject
{
    Q_OBJECT

public:
    explicit FocusedClipboardRead(QObject *parent = nullptr);

    // Starts a read once `window` has focus. False, and nothing starts,
    // while one is under way: that read answers this request too.
    bool start(QWidget *window);
    bool isRunning() const { return m_running; }

    // How long focus is waited for, each of two times, and how long reads
    // are tried once it has come.
    static constexpr int focusPatienceMs = 300;
    static constexpr int retryForMs = 300;
    static constexpr int retryEveryMs = 50;

signals:
    void finished(const ClipboardBytes &read);

private:
    void focusChanged();
    void focusLate();
    void tryRead();
    void finish(const ClipboardBytes &read);

    QPointer<QWidget> m_window;
    QTimer m_focusWait;
    QTimer m_retry;
    QElapsedTimer m_reading;
    bool m_running = false;
    bool m_shownAgain = false;
};

} // namespace pintora
