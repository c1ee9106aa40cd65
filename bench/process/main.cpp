// The whole-process benchmarks: `qzt_bench_process startup [RUNS]` (offscreen)
// and `qzt_bench_process workers [RUNS]` (needs an X display). Each prints a
// Markdown table of medians and spreads with the targets' verdicts.
#include "bench/process/session.h"
#include "bench/process/startup_bench.h"
#include "bench/process/workers_bench.h"

#include <charconv>
#include <cstring>
#include <iostream>
#include <string>

namespace {

int usage() {
    std::cerr << "usage: qzt_bench_process startup|workers [RUNS]\n";
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3)
        return usage();
    const std::string what = argv[1];
    int runs = what == "startup" ? 9 : 3;
    if (argc == 3) {
        const char* text = argv[2];
        const auto [end, error] = std::from_chars(text, text + std::strlen(text), runs);
        if (error != std::errc() || *end != '\0' || runs < 1 || runs > 100)
            return usage();
    }
    if (what != "startup" && what != "workers")
        return usage();

    const bench::Session session;
    if (!session.ok()) {
        std::cerr << "qzt_bench_process: " << session.error() << "\n";
        return 1;
    }
    const auto rows = what == "startup" ? bench::runStartupBenchmark(session, runs)
                                        : bench::runWorkersBenchmark(session, runs);
    std::cout << bench::markdownTable(rows);
    for (const auto& row : rows)
        if (row.summary.count == 0)
            return 1; // a measure is missing: the run is not complete
    return 0;
}
