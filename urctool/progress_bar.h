#pragma once
// A progress bar on the terminal: bytes done, rate and time left, redrawn in
// place on stderr. Does nothing when stderr is not a terminal or when off.
#include <chrono>
#include <cstddef>
#include <string>

namespace urctool {

class ProgressBar {
public:
    ProgressBar(std::size_t total, bool enabled);
    ~ProgressBar();
    void update(std::size_t done);
    bool enabled() const { return enabled_; }

private:
    std::size_t total_;
    bool enabled_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_;
};

// The bar's line for `done` of `total` bytes after `seconds`, `width` cells.
std::string progressLine(std::size_t done, std::size_t total, double seconds, int width = 30);

} // namespace urctool
