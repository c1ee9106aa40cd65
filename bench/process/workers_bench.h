#pragma once
// The CPU cost of the program's workers, measured on a real window (an X
// display is needed, Xvfb will do): idle link monitoring, and one capture
// window with no code pressed, driven from outside with xdotool clicks.
#include "bench/core/report.h"
#include "bench/process/session.h"

#include <vector>

namespace bench {

std::vector<ResultRow> runWorkersBenchmark(const Session& session, int runs);

} // namespace bench
