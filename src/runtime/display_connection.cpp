// Qt's fatal message while the application connects to the display, turned
// into the program's own message and exit status.
#include "runtime/display_connection.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace runtime {

namespace {

const char* g_message = nullptr;
QtMessageHandler g_previous = nullptr;
// Whether the platform has said that the display did not answer; any other
// failure (a platform plugin that cannot load, say) keeps Qt's own end.
bool g_notReached = false;

void OnMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.contains(QLatin1String("could not connect to display")))
        g_notReached = true;
    if (type == QtFatalMsg && g_message && g_notReached) {
        std::fputs(g_message, stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    if (g_previous)
        g_previous(type, context, text);
}

}  // namespace

NoDisplayExit::NoDisplayExit(const char* message)
{
    g_message = message;
    g_notReached = false;
    g_previous = qInstallMessageHandler(OnMessage);
}

NoDisplayExit::~NoDisplayExit()
{
    qInstallMessageHandler(g_previous);
    g_message = nullptr;
    g_previous = nullptr;
}

}  // namespace runtime
