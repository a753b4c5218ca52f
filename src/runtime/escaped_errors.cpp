// The guard at the event dispatch: an exception that escapes a handler (an
// engine error no routine handles itself, or anything unexpected) is shown in
// a box under the program's title, and the program goes on.
#include "form_runtime.h"

#include "message_box.h"
#include "store/engine/engine_error_box.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace runtime {

namespace {

// The text of the exception being handled.
QString escapedText()
{
    try {
        throw;
    } catch (const store::EngineError& error) {
        return store::EngineErrorText(error);
    } catch (const std::exception& error) {
        return QStringLiteral("ERRORE IMPREVISTO\n") + QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("ERRORE IMPREVISTO");
    }
}

}  // namespace

bool FormRuntime::guarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (...) {
        ShowEscapedError();
        return false;
    }
}

void FormRuntime::ShowEscapedError()
{
    const QString text = escapedText();
    std::fprintf(stderr, "%s\n", qPrintable(text));
    MsgBox(text, store::BoxCode::OkCritical);
}

void FormRuntime::ShowEscaped()
{
    if (!all().empty()) {
        all().front()->ShowEscapedError();
        return;
    }
    const QString text = escapedText();
    std::fprintf(stderr, "%s\n", qPrintable(text));
    BuildMessageBox(text, store::BoxCode::OkCritical, QCoreApplication::applicationName(), nullptr)->exec();
}

}  // namespace runtime
