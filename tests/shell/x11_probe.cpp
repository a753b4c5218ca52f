// A look at the X display for the hand-off tests (kept apart from the tests:
// Xlib's macros clash with Qt's and GoogleTest's names).
#include "x11_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace shell_tests {

long long FocusedWindowPid()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return -1;
    long long pid = -1;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    const Window rootWindow = DefaultRootWindow(display);
    while (focus > PointerRoot && focus != rootWindow && pid < 0) {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, focus, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success
            && data && format == 32 && items == 1)
            pid = reinterpret_cast<long*>(data)[0];
        if (data)
            XFree(data);
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, focus, &root, &parent, &children, &count))
            break;
        if (children)
            XFree(children);
        focus = parent;
    }
    XCloseDisplay(display);
    return pid;
}

void FocusRootWindow()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
}

}  // namespace shell_tests
