// click_target X Y WIDTH HEIGHT
//
// A plain X window outside the window manager's care, lowered to the bottom
// of the stack, so that any window shown later lies above it. Prints "ready"
// once it is mapped, then "press BUTTON X Y" for every button press it gets
// (position relative to the window), one line each, flushed at once.
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: click_target X Y WIDTH HEIGHT\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "click_target: cannot open display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attrs{};
    attrs.override_redirect = True;
    attrs.background_pixel = 0xff00ff;  // easy to spot in a screenshot
    attrs.event_mask = ButtonPressMask | StructureNotifyMask;
    const Window window = XCreateWindow(display, RootWindow(display, screen), std::atoi(argv[1]), std::atoi(argv[2]),
                                        static_cast<unsigned>(std::atoi(argv[3])),
                                        static_cast<unsigned>(std::atoi(argv[4])), 0, CopyFromParent, InputOutput,
                                        CopyFromParent, CWOverrideRedirect | CWBackPixel | CWEventMask, &attrs);
    XMapWindow(display, window);
    XLowerWindow(display, window);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == ButtonPress) {
            std::printf("press %u %d %d\n", event.xbutton.button, event.xbutton.x, event.xbutton.y);
            std::fflush(stdout);
        }
    }
}
