// The data differences a replay of a company's whole history finds, after
// checking that its chain is whole: one line each, "code column: stored /
// replayed", as the file and server history tests compare them.
#pragma once

#include "store/history/history_chain.h"
#include "store/history/history_replay.h"

#include <QStringList>

#include <gtest/gtest.h>

inline QStringList ReplayDifferences(store::Database& db)
{
    store::HistoryReplay replay;
    EXPECT_TRUE(store::VerifyHistoryChain(db, [&](const store::HistoryRowText& row) { replay.add(row); },
                                          [&] { replay.readStored(db); })
                    .whole);
    qlonglong total = 0;
    QStringList found;
    for (const store::DataDifference& d : replay.differences(20, &total))
        found << d.code + " " + d.column + ": " + d.stored.value_or("Null") + " / " + d.replayed.value_or("Null");
    return found;
}
