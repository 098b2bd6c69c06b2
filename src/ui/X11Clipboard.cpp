#include "ui/X11Clipboard.h"

#include <QMetaObject>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>

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
    Reader(const QByteArray &display, std::chrono::milliseconds patience)
        : m_connection(xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr))
        , m_patience(patience)
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

    // The next event of `type` (its response type, the sent bit aside) that
    // `wanted` accepts, waiting at most the patience; null on time out or
    // when the connection broke.
    template <typename Event, typename Wanted>
    Owned<Event> waitFor(std::uint8_t type, const Wanted &wanted)
    {
        const auto deadline = std::chrono::steady_clock::now() + m_patience;
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
            pollfd ready{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            poll(&ready, 1, int(left.count()));
        }
    }

    // The whole property, deleted as it is read; `m_type` and `m_format` tell
    // what it held. False when it is too large or the server failed.
    bool takeProperty(QByteArray &bytes)
    {
        bytes.clear();
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
            if (length < 0 || std::size_t(bytes.size()) + std::size_t(length) + reply->bytes_after > largestTransfer)
                return false;
            bytes.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
            if (reply->bytes_after == 0)
                break;
            if (length % 4 != 0) // only the last piece may end within a unit
                return false;
            offset += std::uint32_t(length / 4);
        }
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        return true;
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
            return {ClipboardBytes::Status::timedOut, {}, {}};
        if (notified->property == XCB_NONE) // refused
            return {ClipboardBytes::Status::none, {}, {}};
        ClipboardBytes result{ClipboardBytes::Status::image, {}, {}};
        if (!takeProperty(result.bytes))
            return {ClipboardBytes::Status::unreadable, {}, {}};
        if (m_type != m_incr)
            return result;
        // In pieces: each one a new value of the property, an empty one last.
        result.bytes.clear();
        for (;;) {
            const auto changed = waitFor<xcb_property_notify_event_t>(
                XCB_PROPERTY_NOTIFY, [&](const xcb_property_notify_event_t &event) {
                    return event.window == m_window && event.atom == m_property
                        && event.state == XCB_PROPERTY_NEW_VALUE;
                });
            if (!changed)
                return {ClipboardBytes::Status::timedOut, {}, {}};
            QByteArray piece;
            if (!takeProperty(piece) || std::size_t(result.bytes.size()) + std::size_t(piece.size()) > largestTransfer)
                return {ClipboardBytes::Status::unreadable, {}, {}};
            if (piece.isEmpty())
                return result;
            result.bytes.append(piece);
        }
    }

    xcb_connection_t *m_connection;
    const std::chrono::milliseconds m_patience;
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

ClipboardBytes readX11ClipboardImage(const QByteArray &display, std::chrono::milliseconds patience)
{
    try {
        return Reader(display, patience).read();
    } catch (const std::bad_alloc &) {
        return {ClipboardBytes::Status::unreadable, {}, {}};
    }
}

X11ClipboardIntake::X11ClipboardIntake(QByteArray display, std::chrono::milliseconds patience, QObject *parent)
    : QObject(parent)
    , m_display(std::move(display))
    , m_patience(patience)
{
}

X11ClipboardIntake::~X11ClipboardIntake()
{
    // A read ends within its patience; its result, posted to this object, goes with it.
    if (m_thread.joinable())
        m_thread.join();
}

bool X11ClipboardIntake::request()
{
    if (m_thread.joinable())
        return true; // the running read answers this request too
    try {
        m_thread = std::thread([this] {
            const ClipboardBytes result = readX11ClipboardImage(m_display, m_patience);
            QMetaObject::invokeMethod(
                this, [this, result] { deliver(result); }, Qt::QueuedConnection);
        });
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

void X11ClipboardIntake::deliver(const ClipboardBytes &result)
{
    m_thread.join();
    emit finished(result);
}

} // namespace pintora
