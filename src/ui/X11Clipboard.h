#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>

namespace pintora {

// What a read of the clipboard's image bytes came to.
struct ClipboardBytes {
    // `noConnection`: no X connection of our own could be had; `unreadable`:
    // the owner broke the protocol or offered more than an image can be.
    enum class Status { image, none, timedOut, unreadable, noConnection };
    Status status = Status::none;
    QByteArray bytes;
    QString type; // "image/png" or "image/tiff"
};

// Of the targets a selection owner offers, the one to read: PNG first, then
// TIFF; nothing when it offers neither. `reply` is the TARGETS property's
// value as the server sent it, `bytes` long, in items of `format` bits.
std::optional<std::uint32_t> chooseImageTarget(const void *reply, std::size_t bytes, int format, std::uint32_t png,
                                               std::uint32_t tiff);

// Reads the CLIPBOARD selection's PNG or TIFF bytes over an X connection of
// its own (INCR transfers included). Waits at most `patience` for each
// answer of the owner, so an owner that stops answering costs that much.
ClipboardBytes readX11ClipboardImage(const QByteArray &display, std::chrono::milliseconds patience);

// Reads the clipboard off the GUI thread, one read at a time: a request made
// while one runs is answered by it.
class X11ClipboardIntake : public QObject
{
    Q_OBJECT

public:
    explicit X11ClipboardIntake(QByteArray display, std::chrono::milliseconds patience, QObject *parent = nullptr);
    ~X11ClipboardIntake() override;

    // Starts a read, unless one is running; false when no thread could be
    // started for it.
    bool request();

signals:
    void finished(const pintora::ClipboardBytes &result);

private:
    void deliver(const ClipboardBytes &result);

    const QByteArray m_display;
    const std::chrono::milliseconds m_patience;
    std::thread m_thread;
};

} // namespace pintora
