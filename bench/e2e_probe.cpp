// Times what a user waits for on a real X server: sends a click or a key
// through XTEST itself (a helper program would add its own start-up to the
// wait) and reports the milliseconds until the screen shows a colour at a
// point, or until a window is no longer on screen.
//   e2e_probe drawn X Y RRGGBB click CX CY
//   e2e_probe gone WINDOW key Escape|Return
//   e2e_probe mapped X Y RRGGBB WIDTH HEIGHT
// The last is a floor: a new window of that size and colour, centred on the
// screen, mapped through the window manager, until its colour shows.
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <sys/uio.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto patience = std::chrono::seconds(30);

bool pixelIs(xcb_connection_t *x, xcb_window_t root, int px, int py, unsigned rgb)
{
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
        x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, root, int16_t(px), int16_t(py), 1, 1, ~0u), nullptr);
    if (!reply)
        return false;
    bool same = false;
    if (xcb_get_image_data_length(reply) >= 4) {
        const uint8_t *bgrx = xcb_get_image_data(reply);
        same = ((unsigned(bgrx[2]) << 16) | (unsigned(bgrx[1]) << 8) | bgrx[0]) == rgb;
    }
    free(reply);
    return same;
}

bool viewable(xcb_connection_t *x, xcb_window_t window)
{
    xcb_get_window_attributes_reply_t *reply
        = xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr);
    const bool shown = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    free(reply);
    return shown;
}

int usage()
{
    std::fprintf(stderr,
                 "usage: e2e_probe drawn X Y RRGGBB click CX CY\n"
                 "       e2e_probe gone WINDOW key Escape|Return\n"
                 "       e2e_probe mapped X Y RRGGBB WIDTH HEIGHT\n");
    return 2;
}

// XTEST's FakeInput, sent raw: its library's headers are not needed for one request.
struct FakeInput {
    uint8_t major = 0, minor = 2; // X_XTestFakeInput
    uint16_t length = 9; // in 4-byte units; xcb writes it again
    uint8_t type = 0, detail = 0;
    uint16_t pad0 = 0;
    uint32_t time = 0, root = 0, pad1 = 0, pad2 = 0;
    int16_t x = 0, y = 0;
    uint32_t pad3 = 0;
    uint16_t pad4 = 0;
    uint8_t pad5 = 0, device = 0;
};
static_assert(sizeof(FakeInput) == 36);

void fake(xcb_connection_t *x, uint8_t major, xcb_window_t root, uint8_t type, uint8_t detail, int px = 0, int py = 0)
{
    FakeInput request;
    request.major = major;
    request.type = type;
    request.detail = detail;
    request.root = root;
    request.x = int16_t(px);
    request.y = int16_t(py);
    iovec parts[2] = {{&request, sizeof request}, {nullptr, 0}};
    const xcb_protocol_request_t protocol{1, nullptr, major, 1};
    xcb_send_request(x, 0, parts, &protocol);
}

uint8_t keycodeOf(xcb_connection_t *x, uint32_t keysym)
{
    const xcb_setup_t *setup = xcb_get_setup(x);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *map
        = xcb_get_keyboard_mapping_reply(x, xcb_get_keyboard_mapping(x, setup->min_keycode, uint8_t(count)), nullptr);
    uint8_t found = 0;
    if (map) {
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
        for (int i = 0; i < count * map->keysyms_per_keycode && !found; ++i)
            if (syms[i] == keysym)
                found = uint8_t(setup->min_keycode + i / map->keysyms_per_keycode);
        free(map);
    }
    return found;
}

} // namespace

int mapped(int argc, char **argv)
{
    if (argc != 7)
        return usage();
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "e2e_probe: no X server\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const unsigned rgb = unsigned(std::strtoul(argv[4], nullptr, 16));
    const int width = std::atoi(argv[5]), height = std::atoi(argv[6]);
    const xcb_window_t window = xcb_generate_id(x);
    const uint32_t values[] = {rgb};
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screen->root, int16_t((screen->width_in_pixels - width) / 2),
                      int16_t((screen->height_in_pixels - height) / 2), uint16_t(width), uint16_t(height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    const Clock::time_point start = Clock::now();
    xcb_map_window(x, window);
    xcb_flush(x);
    bool seen = false;
    while (!(seen = pixelIs(x, screen->root, std::atoi(argv[2]), std::atoi(argv[3]), rgb))
           && Clock::now() - start < patience)
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    xcb_disconnect(x);
    if (!seen)
        return 1;
    std::printf("%.1f\n", ms);
    return 0;
}

int main(int argc, char **argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "mapped")
        return mapped(argc, argv);
    const int act = what == "drawn" ? 5 : what == "gone" ? 3 : 0;
    if (!act || argc < act + 2)
        return usage();
    const std::string action = argv[act];
    if (!((action == "click" && argc == act + 3) || (action == "key" && argc == act + 2)))
        return usage();

    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "e2e_probe: no X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const char name[] = "XTEST";
    xcb_query_extension_reply_t *xtest
        = xcb_query_extension_reply(x, xcb_query_extension(x, sizeof name - 1, name), nullptr);
    if (!xtest || !xtest->present) {
        std::fprintf(stderr, "e2e_probe: the X server has no XTEST\n");
        return 1;
    }
    const uint8_t major = xtest->major_opcode;
    free(xtest);
    uint8_t key = 0;
    if (action == "key" && !(key = keycodeOf(x, std::string(argv[act + 1]) == "Return" ? 0xff0d : 0xff1b))) {
        std::fprintf(stderr, "e2e_probe: no key %s\n", argv[act + 1]);
        return 1;
    }
    auto done = [&]() -> bool {
        if (what == "gone")
            return !viewable(x, xcb_window_t(std::strtoul(argv[2], nullptr, 0)));
        return pixelIs(x, root, std::atoi(argv[2]), std::atoi(argv[3]), unsigned(std::strtoul(argv[4], nullptr, 16)));
    };
    if (action == "click") { // the pointer goes there first, untimed, as a hand would
        fake(x, major, root, XCB_MOTION_NOTIFY, 0, std::atoi(argv[act + 1]), std::atoi(argv[act + 2]));
        free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    const Clock::time_point start = Clock::now();
    const uint8_t press = action == "click" ? XCB_BUTTON_PRESS : XCB_KEY_PRESS;
    const uint8_t detail = action == "click" ? 1 : key;
    fake(x, major, root, press, detail);
    fake(x, major, root, uint8_t(press + 1), detail);
    xcb_flush(x);
    bool seen = false;
    while (!(seen = done()) && Clock::now() - start < patience)
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    xcb_disconnect(x);
    if (!seen) {
        std::fprintf(stderr, "e2e_probe: not %s after %.0f ms\n", what.c_str(), ms);
        return 1;
    }
    std::printf("%.1f\n", ms);
    return 0;
}
