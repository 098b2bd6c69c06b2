// Takes the CLIPBOARD selection and serves it badly, as a broken program
// would. Prints "owning" once it owns it; runs until killed.
//   stalled_clipboard_owner          never answers a request
//   stalled_clipboard_owner trickle  offers a PNG, then sends it in INCR
//                                    pieces of one byte every 0.8 s
//   stalled_clipboard_owner flood    offers a PNG, then sends INCR pieces of
//                                    1 MiB as fast as they are taken, never
//                                    ending
//   stalled_clipboard_owner whole FILE  sends FILE in one property, however
//                                    large, as some programs do without INCR
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

xcb_connection_t *connection;

xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return value;
}

void notify(const xcb_selection_request_event_t &request, xcb_atom_t property)
{
    xcb_selection_notify_event_t event{};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    xcb_send_event(connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&event));
    xcb_flush(connection);
}

// Waits until the requestor deleted its property: it took the last piece.
void waitForDelete(xcb_window_t requestor, xcb_atom_t property)
{
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const auto *changed = reinterpret_cast<xcb_property_notify_event_t *>(event);
        const bool taken = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && changed->window == requestor
            && changed->atom == property && changed->state == XCB_PROPERTY_DELETE;
        std::free(event);
        if (taken)
            return;
    }
    std::exit(0);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc > 1 ? argv[1] : "hang";
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
        return 1;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = atom("CLIPBOARD"), targets = atom("TARGETS"), png = atom("image/png"),
                     incr = atom("INCR");
    xcb_set_selection_owner(connection, window, clipboard, XCB_CURRENT_TIME);
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard), nullptr);
    if (!owner || owner->owner != window)
        return 1;
    std::puts("owning");
    std::fflush(stdout);
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        if (mode == "hang" || (event->response_type & 0x7f) != XCB_SELECTION_REQUEST) {
            std::free(event); // left unanswered
            continue;
        }
        const xcb_selection_request_event_t request = *reinterpret_cast<xcb_selection_request_event_t *>(event);
        std::free(event);
        if (request.target == targets) {
            const xcb_atom_t offered[] = {targets, png};
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, XCB_ATOM_ATOM,
                                32, 2, offered);
            notify(request, request.property);
            continue;
        }
        if (request.target != png) {
            notify(request, XCB_NONE);
            continue;
        }
        if (mode == "whole" && argc > 2) {
            std::ifstream file(argv[2], std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, png, 8,
                                std::uint32_t(bytes.size()), bytes.data());
            notify(request, request.property);
            continue;
        }
        // INCR: the size it claims, then pieces, each once the last is taken.
        const std::uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(connection, request.requestor, XCB_CW_EVENT_MASK, &eventMask);
        const std::uint32_t claimed = mode == "flood" ? 1000 : 100000;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, incr, 32, 1,
                            &claimed);
        notify(request, request.property);
        waitForDelete(request.requestor, request.property);
        const std::vector<char> piece(mode == "flood" ? std::size_t(1) << 20 : 1, '\x89');
        for (;;) {
            if (mode == "trickle")
                std::this_thread::sleep_for(std::chrono::milliseconds(800));
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, request.requestor, request.property, png, 8,
                                std::uint32_t(piece.size()), piece.data());
            xcb_flush(connection);
            waitForDelete(request.requestor, request.property);
        }
    }
    return 0;
}
