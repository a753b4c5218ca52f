// Trial helper for Windows (run under Wine by tools/windows.sh): tells whether
// the window Windows holds in the foreground has the title given and holds the
// keyboard focus, as Windows itself sees it. Keys typed on the X display reach
// a Wine program only once Wine has made its window the active one; the X
// server's own focus says nothing about that.
// Usage: foreground_window TITLE   exits 0 when the foreground window's title
// contains TITLE and its thread's focus is that window or one inside it;
// otherwise 1, printing what it found.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: foreground_window TITOLO\n");
        return 2;
    }
    const HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) {
        std::printf("nessuna finestra in primo piano\n");
        return 1;
    }
    char title[512] = "";
    GetWindowTextA(foreground, title, 512);
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &thread)) {
        std::printf("stato della finestra non leggibile (%lu)\n", GetLastError());
        return 1;
    }
    const bool titled = std::strstr(title, argv[1]) != nullptr;
    const bool active = thread.hwndActive == foreground;
    const bool focused = thread.hwndFocus == foreground
        || (thread.hwndFocus != nullptr && IsChild(foreground, thread.hwndFocus));
    std::printf("primo piano: \"%s\" attiva: %s fuoco: %s\n", title, active ? "si" : "no",
                focused ? "si" : "no");
    return titled && active && focused ? 0 : 1;
}
