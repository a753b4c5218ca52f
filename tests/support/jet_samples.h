// The Jet sample files kept beside the repository (../shared/jet). A clone
// without them skips the tests that read them; with QUENVOL_REQUIRE_JET_SAMPLES
// set (tools/test.sh sets it, so CI runs them) a missing folder fails instead.
#pragma once

#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

namespace testing_support {

inline QString JetSample(const QString& name)
{
    return QStringLiteral(QUENVOL_JET_SAMPLES_DIR "/") + name;
}

inline bool JetSamplesPresent()
{
    return QFileInfo::exists(JetSample(QStringLiteral("nwind.mdb"))) &&
           QFileInfo::exists(JetSample(QStringLiteral("DateTestDatabase.mdb")));
}

}  // namespace testing_support

// Skips the test (or fails it, when they are required) without the sample files.
#define QUENVOL_NEED_JET_SAMPLES()                                                                  \
    do {                                                                                            \
        if (!testing_support::JetSamplesPresent()) {                                                \
            if (!qEnvironmentVariableIsEmpty("QUENVOL_REQUIRE_JET_SAMPLES"))                        \
                FAIL() << "Jet sample files missing in " QUENVOL_JET_SAMPLES_DIR;                  \
            GTEST_SKIP() << "Jet sample files missing in " QUENVOL_JET_SAMPLES_DIR                  \
                         << ": the tests that read them are skipped";                              \
        }                                                                                           \
    } while (false)
