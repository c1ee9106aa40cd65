#include "urctool/progress_bar.h"

#include <cstdio>
#include <unistd.h>

namespace urctool {

ProgressBar::ProgressBar(std::size_t total, bool enabled)
    : total_(total), enabled_(enabled && ::isatty(STDERR_FILENO)),
      start_(std::chrono::steady_clock::now()) {}

ProgressBar::~ProgressBar() {
    if (drawn_)
        std::fputc('\n', stderr);
}

void ProgressBar::update(std::size_t done) {
    if (!enabled_)
        return;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
    std::fprintf(stderr, "\r%s", progressLine(done, total_, elapsed.count()).c_str());
    std::fflush(stderr);
    drawn_ = true;
}

std::string progressLine(std::size_t done, std::size_t total, double seconds, int width) {
    const double part = total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total);
    const int filled = static_cast<int>(part * width + 0.5);
    std::string line = "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] ";
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
    const double left = rate > 0 ? static_cast<double>(total - done) / rate : 0.0;
    char text[96];
    std::snprintf(text, sizeof text, "%zu/%zu bytes  %.1f KiB/s  %.1f s left", done, total,
                  rate / 1024.0, left);
    return line + text;
}

} // namespace urctool
