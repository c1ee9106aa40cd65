// ir-encode: reads capture texts, one per line (the hex data of a capture, as
// on standard input or in the files named), and prints for each the cut
// capture, a tab, and its timing text (empty when the encoding fails). It runs
// the program's own cutting and encoding, and never writes the failed-encoding
// file.
#include "learning/core/capture_text.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr std::size_t kCaptureBuffer = 10240;

void encodeLines(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // As the device delivers it: the data, then zero bytes to the end of
        // its buffer (a longer line is taken whole).
        if (line.size() < kCaptureBuffer)
            line.resize(kCaptureBuffer, '\0');
        const std::string cut = learning::CutAtEndMarker(line);
        const learning::EncodeResult timings = learning::EncodeTimings(cut);
        std::cout << cut << '\t' << (timings.failed ? std::string() : timings.text) << '\n';
    }
}

constexpr const char* kUsage =
    "Usage: ir-encode [FILE...]\n"
    "Reads capture texts, one per line, from the files or standard input and\n"
    "prints the cut capture, a tab and the timing text for each (empty when the\n"
    "encoding fails).\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  -v, --version  show the version and exit\n";

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "-h" || word == "--help") {
            std::cout << kUsage;
            return 0;
        }
        if (word == "-v" || word == "--version") {
            std::cout << "ir-encode " << QZT617_VERSION << '\n';
            return 0;
        }
        if (word.size() > 1 && word[0] == '-') {
            std::cerr << "ir-encode: unknown option " << word << '\n' << kUsage;
            return 2;
        }
    }
    if (argc == 1) {
        encodeLines(std::cin);
        return 0;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i]);
        if (!file) {
            std::cerr << "ir-encode: cannot read " << argv[i] << '\n';
            status = 1;
            continue;
        }
        encodeLines(file);
    }
    return status;
}
