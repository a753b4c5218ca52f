// Test helper standing in for a sibling program of the suite. It appends one
// line to the record file named as its first argument: its process id and its
// arguments, separated by tabs. When an X display is available it first opens
// a window carrying _NET_WM_PID and waits until it is mapped, so a recorded
// line means the window can be found. With FAKE_SIBLING_MAP_DELAY_MS set it
// waits that long before mapping its window, as a program still starting
// does. It ends by itself after 20 seconds.
// Usage: fake_sibling RECORD_FILE [ARGS...]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

constexpr auto Lifetime = std::chrono::seconds(20);

void Record(const char* path, int argc, char** argv)
{
    std::string line = std::to_string(::getpid());
    for (int i = 1; i < argc; ++i)
        line += '\t' + std::string(argv[i]);
    line += '\n';
    // One append of the whole line: lines of several instances never mix.
    int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (::write(fd, line.data(), line.size()) != ssize_t(line.size()))
        std::perror("fake_sibling: write");
    ::close(fd);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: fake_sibling RECORD_FILE [ARGS...]\n");
        return 2;
    }
    const auto deadline = std::chrono::steady_clock::now() + Lifetime;
    const char* displayName = std::getenv("DISPLAY");
    Display* display = displayName && *displayName ? XOpenDisplay(nullptr) : nullptr;
    if (display) {
        const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 10, 10,
                                                  200, 100, 0, 0, 0xFFFFFF);
        const long pid = ::getpid();
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        XStoreName(display, window, "fake_sibling");
        XSelectInput(display, window, StructureNotifyMask);
        XSync(display, False);
        // The window exists, still unmapped: a test that asked to know waits
        // for this file, so only the delay below stands between it and the map.
        if (const char* created = std::getenv("FAKE_SIBLING_CREATED_FILE")) {
            const int fd = ::open(created, O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd >= 0)
                ::close(fd);
        }
        if (const char* delay = std::getenv("FAKE_SIBLING_MAP_DELAY_MS"))
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
        XMapWindow(display, window);
        XEvent event;
        do {
            XNextEvent(display, &event);
        } while (event.type != MapNotify);
        XSync(display, False);
    }
    Record(argv[1], argc, argv);
    while (std::chrono::steady_clock::now() < deadline) {
        while (display && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (display)
        XCloseDisplay(display);
    return 0;
}
