#pragma once
// Start-up of the real program against the emulated URC, offscreen, paired
// run by run with the bare window; and the handshake's reads and the picture
// loading timed in this process over the same emulator.
#include "bench/core/report.h"
#include "bench/process/session.h"

#include <vector>

namespace bench {

// The results table's rows; empty rows ("not measured") when runs failed,
// with the reasons written to stderr.
std::vector<ResultRow> runStartupBenchmark(const Session& session, int runs);

} // namespace bench
