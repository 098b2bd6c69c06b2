#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

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

// How long a read may take: at most `patience` for each answer of the
// owner, and for the whole transfer `total` plus the time its bytes take at
// `rate` bytes a second, so that an owner that trickles its image in gives
// out as one that stops does.
struct ReadLimits {
    std::chrono::milliseconds patience{1500};
    std::chrono::milliseconds total{5000};
    double rate = 8 << 20;
};

// Reads the CLIPBOARD selection's PNG or TIFF bytes over an X connection of
// its own (INCR transfers included), within `limits`. Gives up at once,
// timed out, when `stop` (a file descriptor, or -1) becomes readable.
ClipboardBytes readX11ClipboardImage(const QByteArray &display, const ReadLimits &limits, int stop = -1);

// Reads the clipboard off the GUI thread, one read at a time: a request made
// while one runs is answered by it. Going, it stops a read under way and
// waits for none: the read ends on its own and tells no one.
class X11ClipboardIntake : public QObject
{
    Q_OBJECT

public:
    explicit X11ClipboardIntake(QByteArray display, const ReadLimits &limits = {}, QObject *parent = nullptr);
    ~X11ClipboardIntake() override;

    // Starts a read, unless one is running; false when no thread could be
    // started for it.
    bool request();

signals:
    void finished(const pintora::ClipboardBytes &result);

private:
    struct Read;
    void deliver(const ClipboardBytes &result);

    const QByteArray m_display;
    const ReadLimits m_limits;
    std::shared_ptr<Read> m_read; // the one under way, shared with its thread
};

} // namespace pintora
