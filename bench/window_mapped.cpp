// window-mapped TITLE [SECONDS]: for bench/window-ready.sh. Says "ready" once
// it watches the display, then waits for a top-level window named TITLE to be
// mapped and prints "mapped <window id> <microseconds of the real-time clock>".
// Exits 1 when none is mapped within SECONDS (default 30).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

long long NowMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

// The window's _NET_WM_NAME (UTF-8), or else its WM_NAME.
std::string NameOf(Display* display, Window window)
{
    std::string name;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        name.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return name;
    }
    XTextProperty text {};
    if (XGetWMName(display, window, &text) && text.value != nullptr) {
        name.assign(reinterpret_cast<char*>(text.value), text.nitems);
        XFree(text.value);
    }
    return name;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: window-mapped TITLE [SECONDS]\n", stderr);
        return 2;
    }
    const std::string title = argv[1];
    const long long deadline = NowMicroseconds() + (argc > 2 ? std::atoll(argv[2]) : 30) * 1000000LL;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("window-mapped: no display\n", stderr);
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    std::printf("ready\n");
    std::fflush(stdout);
    while (NowMicroseconds() < deadline) {
        if (XPending(display) == 0) {
            pollfd fd {ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && NameOf(display, event.xmap.window) == title) {
            std::printf("mapped %lu %lld\n", event.xmap.window, NowMicroseconds());
            return 0;
        }
    }
    return 1;
}
