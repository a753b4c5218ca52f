// The SHA-256 the history's fingerprints are checked with: OpenSSL's, which
// uses the processor's own instructions.
#pragma once

#include "store/history/history_chain.h"

namespace company {

// A digest for VerifyHistoryChain, holding its context from line to line;
// empty (the walk then uses Qt's) if OpenSSL cannot give its SHA-256.
store::LineDigest HistoryDigest();

}  // namespace company
