// Keeps the clipboard from ever being empty, as KDE's clipboard manager does
// by default: whenever the CLIPBOARD selection is left without an owner, it
// takes it at once and serves the PNG it was given. Prints "took" each time.
//   clipboard_keeper FILE   (a small PNG: served whole, without INCR)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<char> png{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    Display *display = XOpenDisplay(nullptr);
    int events = 0, errors = 0;
    if (!display || !XFixesQueryExtension(display, &events, &errors))
        return 1;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False), targets = XInternAtom(display, "TARGETS", False),
               pngType = XInternAtom(display, "image/png", False);
    XFixesSelectSelectionInput(display, DefaultRootWindow(display), clipboard,
                               XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                   | XFixesSelectionClientCloseNotifyMask);
    const auto take = [&] {
        XSetSelectionOwner(display, clipboard, window, CurrentTime);
        std::puts("took");
        std::fflush(stdout);
    };
    take();
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == events + XFixesSelectionNotify) {
            if (reinterpret_cast<XFixesSelectionNotifyEvent &>(event).owner == None)
                take();
            continue;
        }
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent &request = event.xselectionrequest;
        XSelectionEvent reply{};
        reply.type = SelectionNotify;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        reply.property = request.property;
        if (request.target == targets) {
            const Atom offered[] = {targets, pngType};
            XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(offered), 2);
        } else if (request.target == pngType) {
            XChangeProperty(display, request.requestor, request.property, pngType, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char *>(png.data()), int(png.size()));
        } else {
            reply.property = None;
        }
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent *>(&reply));
        XFlush(display);
    }
}
