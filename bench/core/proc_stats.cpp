#include "bench/core/proc_stats.h"

#include <charconv>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace bench {

namespace {

std::string_view trimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

template <typename Number> std::optional<Number> leadingNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

std::string procPath(pid_t pid, const char* leaf) {
    return "/proc/" + std::to_string(pid) + "/" + leaf;
}

} // namespace

std::optional<long> statusFieldKb(std::string_view statusText, std::string_view field) {
    std::size_t start = 0;
    while (start < statusText.size()) {
        std::size_t end = statusText.find('\n', start);
        if (end == std::string_view::npos)
            end = statusText.size();
        const std::string_view line = statusText.substr(start, end - start);
        if (line.size() > field.size() && line.substr(0, field.size()) == field &&
            line[field.size()] == ':')
            return leadingNumber<long>(trimLeft(line.substr(field.size() + 1)));
        start = end + 1;
    }
    return std::nullopt;
}

std::optional<StatLine> parseStatLine(std::string_view statText) {
    const std::size_t open = statText.find('(');
    const std::size_t close = statText.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    StatLine line;
    line.comm = std::string(statText.substr(open + 1, close - open - 1));
    // After the name: state (field 3) ... utime (field 14), stime (field 15).
    std::string_view rest = statText.substr(close + 1);
    std::optional<long long> fields[2];
    for (int field = 3; field <= 15; ++field) {
        rest = trimLeft(rest);
        const std::size_t blank = rest.find(' ');
        const std::string_view value = rest.substr(0, blank);
        if (value.empty())
            return std::nullopt;
        if (field >= 14)
            fields[field - 14] = leadingNumber<long long>(value);
        rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank);
    }
    if (!fields[0] || !fields[1])
        return std::nullopt;
    line.cpu = {*fields[0], *fields[1]};
    return line;
}

std::optional<std::string> readTextFile(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<long> peakResidentKb(pid_t pid) {
    const auto status = readTextFile(procPath(pid, "status"));
    return status ? statusFieldKb(*status, "VmHWM") : std::nullopt;
}

double ticksPerSecond() {
    static const double ticks = static_cast<double>(::sysconf(_SC_CLK_TCK));
    return ticks;
}

std::optional<double> processCpuSeconds(pid_t pid) {
    const auto stat = readTextFile(procPath(pid, "stat"));
    const auto line = stat ? parseStatLine(*stat) : std::nullopt;
    if (!line)
        return std::nullopt;
    return static_cast<double>(line->cpu.total()) / ticksPerSecond();
}

std::vector<ThreadCpu> threadCpu(pid_t pid) {
    std::vector<ThreadCpu> threads;
    const std::string folder = procPath(pid, "task");
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return threads;
    while (const dirent* entry = ::readdir(dir)) {
        const auto tid = leadingNumber<pid_t>(entry->d_name);
        if (!tid)
            continue;
        const auto stat = readTextFile(folder + "/" + entry->d_name + "/stat");
        const auto line = stat ? parseStatLine(*stat) : std::nullopt;
        if (line)
            threads.push_back({*tid, line->comm, line->cpu.total() / ticksPerSecond()});
    }
    ::closedir(dir);
    return threads;
}

} // namespace bench
