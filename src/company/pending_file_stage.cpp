// The stop at a stage of building a file, for the kill tests.
#include "company/pending_file_stage.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <thread>

namespace company::pending {

namespace {

const char* StageName(Stage stage)
{
    switch (stage) {
    case Stage::BeforeTemporary: return "prima";
    case Stage::Growing: return "in_scrittura";
    case Stage::Written: return "scritta";
    case Stage::Renamed: return "rinominata";
    }
    return "";
}

// Once stopped, a run goes on to the end (a second file it builds, such as a
// backup's checksum, passes the same stages).
std::atomic<bool> stopped{false};

}  // namespace

bool StopWanted(Stage stage)
{
    return !stopped.load() && qEnvironmentVariable("QUENVOL_TEST_STOP_AT") == QLatin1String(StageName(stage)) &&
        !qEnvironmentVariable("QUENVOL_TEST_STOP_MARK").isEmpty();
}

void Reached(Stage stage)
{
    if (!StopWanted(stage) || stopped.exchange(true))
        return;
    const QString mark = qEnvironmentVariable("QUENVOL_TEST_STOP_MARK");
    QFile file(mark);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.close();
    while (QFileInfo::exists(mark))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace company::pending
