// The application's connection to the display: Qt ends a program that cannot
// reach its display with a fatal message of its own; while a NoDisplayExit
// lives, that end prints the program's message and exits with status 1.
#pragma once

namespace runtime {

// Held around the construction of the application object only: a fatal
// message after the platform has said the display did not answer ends the
// program with `message`; any other keeps Qt's own end.
class NoDisplayExit {
public:
    // `message`: a whole line, printed on standard error as it stands.
    explicit NoDisplayExit(const char* message);
    ~NoDisplayExit();
    NoDisplayExit(const NoDisplayExit&) = delete;
    NoDisplayExit& operator=(const NoDisplayExit&) = delete;
};

}  // namespace runtime
