#pragma once
// What the kernel tells about a running process: its peak resident memory
// and the CPU time of the process and of each of its threads. Parsing works
// on the texts of /proc, so it can be checked without a process.
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace bench {

// A "Name:   value kB" field of /proc/<pid>/status, in kB.
std::optional<long> statusFieldKb(std::string_view statusText, std::string_view field);

struct CpuTicks {
    long long user = 0;
    long long system = 0;
    long long total() const { return user + system; }
};

struct StatLine {
    std::string comm; // the thread's or process's name, without its parentheses
    CpuTicks cpu;
};

// /proc/<pid>/stat or /proc/<pid>/task/<tid>/stat: the name may itself hold
// blanks and parentheses, so fields are counted from the last ')'.
std::optional<StatLine> parseStatLine(std::string_view statText);

// The whole content of a file, or nullopt when it cannot be read.
std::optional<std::string> readTextFile(const std::string& path);

// Peak resident memory (VmHWM) of a live process, in kB.
std::optional<long> peakResidentKb(pid_t pid);
// CPU time of the process, its ended threads included, in seconds.
std::optional<double> processCpuSeconds(pid_t pid);

struct ThreadCpu {
    pid_t tid = 0;
    std::string name;
    double seconds = 0;
};
// The live threads of a process with their CPU time.
std::vector<ThreadCpu> threadCpu(pid_t pid);

// Clock ticks per second of the CPU times above.
double ticksPerSecond();

} // namespace bench
