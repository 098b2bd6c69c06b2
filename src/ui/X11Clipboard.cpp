#include "ui/X11Clipboard.h"

#include <QMetaObject>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace pintora {
namespace {

// Clipboard images larger than this are refused: a 16384 x 16384 RGBA
// image is 1 GiB uncompressed.
constexpr std::size_t largestTransfer = (std::size_t(1) << 30) + (std::size_t(1) << 20);

template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
Owned<Reply> own(Reply *reply)
{
    return Owned<Reply>(reply, &std::free);
}

// One read: its own connection and window, gone with it.
class Reader
{
public:
    Reader(const QByteArray &display, const ReadLimits &limits, int stop)
        : m_connection(xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr))
        , m_limits(limits)
        , m_stop(stop)
        , m_started(std::chrono::steady_clock::now())
    {
    }
    ~Reader() { xcb_disconnect(m_connection); }

    ClipboardBytes read()
    {
        if (xcb_connection_has_error(m_connection))
            return {ClipboardBytes::Status::noConnection, {}, {}};
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        if (!screen)
            return {ClipboardBytes::Status::noConnection, {}, {}};
        m_window = xcb_generate_id(m_connection);
        const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        const xcb_atom_t clipboard = atom("CLIPBOARD"), targets = atom("TARGETS"), png = atom("image/png"),
                         tiff = atom("image/tiff");
        m_property = atom("PINTORA_CLIPBOARD");
        m_incr = atom("INCR");
        if (!clipboard || !targets || !png || !tiff || !m_property || !m_incr)
            return {ClipboardBytes::Status::noConnection, {}, {}};
        const auto owner = own(
            xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, clipboard), nullptr));
        if (!owner || owner->owner == XCB_NONE)
            return {ClipboardBytes::Status::none, {}, {}};

        ClipboardBytes offered = convert(clipboard, targets);
        if (offered.status == ClipboardBytes::Status::timedOut || offered.status == ClipboardBytes::Status::unreadable)
            return offered;
        const std::optional<std::uint32_t> target
            = chooseImageTarget(offered.bytes.constData(), std::size_t(offered.bytes.size()), m_format, png, tiff);
        if (!target)
            return {ClipboardBytes::Status::none, {}, {}};
        ClipboardBytes image = convert(clipboard, *target);
        image.type = *target == png ? QStringLiteral("image/png") : QStringLiteral("image/tiff");
        if (image.status == ClipboardBytes::Status::image && image.bytes.isEmpty())
            image.status = ClipboardBytes::Status::none;
        return image;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        const auto reply = own(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : XCB_NONE;
    }

    // When the transfer must be done, with `received` bytes in: its allowance,
    // and as much more as those bytes take at the least rate.
    std::chrono::steady_clock::time_point transferDeadline(std::size_t received) const
    {
        const auto earned = std::chrono::duration<double>(double(received) / m_limits.rate);
        return m_started + m_limits.total + std::chrono::duration_cast<std::chrono::milliseconds>(earned);
    }

    // The next event of `type` (its response type, the sent bit aside) that
    // `wanted` accepts, waiting at most the patience and never past the
    // transfer's deadline; null on time out, when the connection broke or
    // when the read is stopped.
    template <typename Event, typename Wanted>
    Owned<Event> waitFor(std::uint8_t type, const Wanted &wanted)
    {
        const auto answer = std::chrono::steady_clock::now() + m_limits.patience;
        const auto transfer = transferDeadline(m_received);
        // Past the transfer's deadline the owner is too slow, not silent.
        m_tooSlow = transfer < answer;
        const auto deadline = std::min(answer, transfer);
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                auto held = own(event);
                if ((event->response_type & 0x7f) == type && wanted(*reinterpret_cast<Event *>(event)))
                    return own(reinterpret_cast<Event *>(held.release()));
            }
            if (xcb_connection_has_error(m_connection))
                return own<Event>(nullptr);
            const auto left
                = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return own<Event>(nullptr);
            pollfd ready[2] = {{xcb_get_file_descriptor(m_connection), POLLIN, 0}, {m_stop, POLLIN, 0}};
            if (poll(ready, m_stop >= 0 ? 2 : 1, int(left.count())) > 0 && (ready[1].revents & POLLIN))
                return own<Event>(nullptr);
        }
    }

    // The whole property, deleted as it is read, appended to `bytes`;
    // `m_type` and `m_format` tell what it held. False when the transfer
    // grows too large or the server failed.
    bool takeProperty(QByteArray &bytes)
    {
        const std::size_t before = std::size_t(bytes.size());
        std::uint32_t offset = 0; // in 32-bit units, as the request counts
        for (;;) {
            const auto reply = own(xcb_get_property_reply(
                m_connection,
                xcb_get_property(m_connection, 0, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, offset, 1 << 20),
                nullptr));
            if (!reply)
                return false;
            m_type = reply->type;
            m_format = reply->format;
            const int length = xcb_get_property_value_length(reply.get());
            const std::size_t whole = std::size_t(bytes.size()) + std::size_t(std::max(length, 0)) + reply->bytes_after;
            if (length < 0 || whole > largestTransfer)
                return false;
            // Room for all that is told to come, at once: growing by
            // doubling would hold twice the image on the way.
            if (std::size_t(bytes.capacity()) < whole)
                bytes.reserve(qsizetype(whole));
            bytes.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
            if (reply->bytes_after == 0)
                break;
            if (length % 4 != 0) // only the last piece may end within a unit
                return false;
            offset += std::uint32_t(length / 4);
        }
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        m_received += std::size_t(bytes.size()) - before;
        return true;
    }

    // A wait that came to nothing: an owner that stopped answering, or one
    // too slow for the transfer's deadline, which read nothing whole.
    ClipboardBytes timedOut() const
    {
        return {m_tooSlow ? ClipboardBytes::Status::unreadable : ClipboardBytes::Status::timedOut, {}, {}};
    }

    // The selection converted to `target`, INCR transfers included.
    ClipboardBytes convert(xcb_atom_t selection, xcb_atom_t target)
    {
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_convert_selection(m_connection, m_window, selection, target, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        const auto notified = waitFor<xcb_selection_notify_event_t>(
            XCB_SELECTION_NOTIFY, [&](const xcb_selection_notify_event_t &event) {
                return event.requestor == m_window && event.selection == selection;
            });
        if (!notified)
            return timedOut();
        if (notified->property == XCB_NONE) // refused
            return {ClipboardBytes::Status::none, {}, {}};
        ClipboardBytes result{ClipboardBytes::Status::image, {}, {}};
        if (!takeProperty(result.bytes))
            return {ClipboardBytes::Status::unreadable, {}, {}};
        if (m_type != m_incr)
            return result;
        // In pieces: each one a new value of the property, an empty one last.
        // The INCR value is the least the whole will be: room for that.
        std::uint32_t told = 0;
        if (result.bytes.size() >= 4)
            std::memcpy(&told, result.bytes.constData(), 4);
        if (told > largestTransfer)
            return {ClipboardBytes::Status::unreadable, {}, {}};
        result.bytes.clear();
        result.bytes.reserve(qsizetype(told));
        for (;;) {
            const auto changed = waitFor<xcb_property_notify_event_t>(
                XCB_PROPERTY_NOTIFY, [&](const xcb_property_notify_event_t &event) {
                    return event.window == m_window && event.atom == m_property
                        && event.state == XCB_PROPERTY_NEW_VALUE;
                });
            if (!changed)
                return timedOut();
            const qsizetype before = result.bytes.size();
            // Beyond what was told, room grows by a quarter: as little more as
            // an owner that told too little makes us hold.
            if (result.bytes.capacity() - before < (qsizetype(1) << 20))
                result.bytes.reserve(std::min(qsizetype(largestTransfer), before + before / 4 + (qsizetype(1) << 20)));
            if (!takeProperty(result.bytes))
                return {ClipboardBytes::Status::unreadable, {}, {}};
            if (result.bytes.size() == before)
                return result;
        }
    }

    xcb_connection_t *m_connection;
    const ReadLimits m_limits;
    const int m_stop;
    const std::chrono::steady_clock::time_point m_started;
    std::size_t m_received = 0;
    bool m_tooSlow = false;
    xcb_window_t m_window = XCB_NONE;
    xcb_atom_t m_property = XCB_NONE;
    xcb_atom_t m_incr = XCB_NONE;
    xcb_atom_t m_type = XCB_NONE;
    int m_format = 0;
};

} // namespace

std::optional<std::uint32_t> chooseImageTarget(const void *reply, std::size_t bytes, int format, std::uint32_t png,
                                               std::uint32_t tiff)
{
    if (format != 32)
        return std::nullopt;
    bool hasTiff = false;
    for (std::size_t i = 0; i < bytes / 4; ++i) {
        std::uint32_t target;
        std::memcpy(&target, static_cast<const char *>(reply) + 4 * i, 4);
        if (target == png)
            return png;
        hasTiff = hasTiff || target == tiff;
    }
    return hasTiff ? std::optional<std::uint32_t>(tiff) : std::nullopt;
}

ClipboardBytes readX11ClipboardImage(const QByteArray &display, const ReadLimits &limits, int stop)
{
    try {
        return Reader(display, limits, stop).read();
    } catch (const std::bad_alloc &) {
        return {ClipboardBytes::Status::unreadable, {}, {}};
    }
}

// A read under way, shared by the intake and the read's thread: the intake
// may go before the read ends.
struct X11ClipboardIntake::Read {
    Read()
        : stop(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
    {
    }
    ~Read()
    {
        if (stop >= 0)
            ::close(stop);
    }
    Read(const Read &) = delete;
    Read &operator=(const Read &) = delete;

    const int stop; // readable once the intake went
    std::mutex lock;
    X11ClipboardIntake *intake; // null once it went
};

X11ClipboardIntake::X11ClipboardIntake(QByteArray display, const ReadLimits &limits, QObject *parent)
    : QObject(parent)
    , m_display(std::move(display))
    , m_limits(limits)
{
}

X11ClipboardIntake::~X11ClipboardIntake()
{
    // The read stops at its next wait and goes with its thread, unheard.
    if (!m_read)
        return;
    const std::lock_guard<std::mutex> hold(m_read->lock);
    m_read->intake = nullptr;
    if (m_read->stop >= 0)
        eventfd_write(m_read->stop, 1);
}

bool X11ClipboardIntake::request()
{
    if (m_read)
        return true; // the running read answers this request too
    try {
        auto read = std::make_shared<Read>();
        read->intake = this;
        std::thread([read, display = m_display, limits = m_limits] {
            const ClipboardBytes result = readX11ClipboardImage(display, limits, read->stop);
            const std::lock_guard<std::mutex> hold(read->lock);
            if (X11ClipboardIntake *intake = read->intake)
                QMetaObject::invokeMethod(
                    intake, [intake, result] { intake->deliver(result); }, Qt::QueuedConnection);
        }).detach();
        m_read = std::move(read);
    } catch (const std::system_error &) {
        return false;
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

void X11ClipboardIntake::deliver(const ClipboardBytes &result)
{
    m_read.reset();
    emit finished(result);
}

} // namespace pintora
