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

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help")) {
        std::cout << "usage: ir-encode [FILE...]\n"
                     "Reads capture texts, one per line, from the files or standard input and\n"
                     "prints the cut capture, a tab and the timing text for each.\n";
        return 0;
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
