// Writes the generated seed inputs of the fuzz targets into FOLDER/<target>/:
// captures of every built-in protocol as the URC renders them, the timing
// bodies the program makes of them, and whole 64 KiB images of good URCs (the
// emulator's factory image for each of its profiles and the window tests'
// image). They are generated rather than kept in the repository because the
// images are binary and would go stale when the memory map changes.
#include "learning/core/capture_text.h"
#include "irform/capture_render.h"
#include "irform/raw_example.h"
#include "irform/signal.h"
#include "urcmem/factory_image.h"
#include "platform/urcsim/factory_keys.h"
#include "tests/support/scripted_urc.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

namespace {

namespace fs = std::filesystem;

// The program cuts these characters (count, carrier, tag) off the timing text
// before handing the body to the conversion library.
constexpr std::size_t kTimingHeadLength = 5;

bool write(const fs::path& file, std::span<const uint8_t> bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool writeText(const fs::path& file, std::string_view text) {
    return write(file, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

struct Press {
    const char* protocol;
    uint32_t device;
    uint32_t command;
};

// The capture, and the body the conversion library gets from it, under `name`.
bool writeCapture(const fs::path& captures, const fs::path& bodies, const std::string& name,
                  const std::string& capture) {
    const auto timings = learning::EncodeTimings(learning::CutAtEndMarker(capture));
    if (timings.failed || timings.text.size() <= kTimingHeadLength) {
        std::fprintf(stderr, "seeds: the capture %s does not encode\n", name.c_str());
        return false;
    }
    return writeText(captures / (name + ".txt"), capture) &&
           writeText(bodies / (name + ".txt"), timings.text.substr(kTimingHeadLength));
}

bool writeCaptureSeeds(const fs::path& captures, const fs::path& bodies) {
    constexpr Press kPresses[] = {{"nec", 0x04, 0x08},    {"necx", 0x1234, 0x56},
                                  {"rc5", 0x05, 0x21},    {"sirc12", 0x01, 0x15},
                                  {"sirc15", 0x9A, 0x2C}, {"sirc20", 0x1F3A, 0x11}};
    for (const auto& press : kPresses) {
        const auto capture = irform::pressCapture(press.protocol, press.device, press.command);
        if (!capture) {
            std::fprintf(stderr, "seeds: no capture for %s\n", press.protocol);
            return false;
        }
        if (!writeCapture(captures, bodies, press.protocol, *capture))
            return false;
    }
    // Codes of no known protocol, kept as raw learned codes.
    for (uint32_t seed : {1u, 2u, 3u})
        if (!writeCapture(captures, bodies, "raw" + std::to_string(seed),
                          irform::renderCapture(irform::rawExampleSignal(seed))))
            return false;
    return true;
}

bool writeImageSeeds(const fs::path& images) {
    for (const auto name : urcmem::profileNames()) {
        const auto* profile = urcmem::findProfile(name);
        if (profile == nullptr || !write(images / ("factory-" + std::string(name) + ".img"),
                                         urcsim::factoryImageFor(*profile).all()))
            return false;
    }
    testsupport::ScriptedUrc urc;
    testsupport::buildTestImage(urc);
    return write(images / "window-tests.img", urc.memory);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    std::error_code error;
    for (const char* target : {"capture", "convert", "urc_memory"})
        fs::create_directories(root / target, error);
    if (error || !writeCaptureSeeds(root / "capture", root / "convert") ||
        !writeImageSeeds(root / "urc_memory")) {
        std::fprintf(stderr, "seeds: cannot write the seeds into %s\n", root.c_str());
        return 1;
    }
    return 0;
}
