// Recognition and storage figures of the protocol forms, on a corpus made
// here from the forms' own definitions (random codes, a receiver with delay
// and jitter): share recognised as the right form, the confusion table's
// off-diagonal entries, storage blocks of a 70-key set of remotes before and
// after (six forms and the plain raw form, against all forms and the compact
// raw form), and how many raw keys of each length fit a factory URC.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/converted_text.h"
#include "irform/protocols.h"
#include "learning/core/capture_text.h"
#include "urcmem/factory_image.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>

extern "C" const char* ConvertCodeAtCarrier(const char* text, int32_t mode, int32_t carrierHz);

namespace {

using irform::Protocol;

constexpr int kCodesPerForm = 200;
// The forms the conversion library knew before: the rest were stored raw.
constexpr std::size_t kOlderForms = 6;

// What the program does with a capture: the converted text, the measured
// carrier beside the body.
std::string learn(const std::string& capture) {
    const auto timings = learning::EncodeTimings(learning::CutAtEndMarker(capture));
    return timings.failed ? std::string()
                          : ConvertCodeAtCarrier(learning::converterInput(timings).c_str(), 2,
                                                 timings.carrierKhz * 1000);
}

std::string formRead(const std::string& converted) {
    const auto fields = irform::convertedtext::split(converted);
    for (Protocol p : irform::kAllProtocols)
        if (fields && fields->id == irform::builtinId(p))
            return std::string(irform::protocolName(p));
    return converted.empty() ? "failed" : "raw";
}

// Storage blocks of a converted text: none for a built-in form.
int blocksOf(const std::string& converted) {
    if (converted.empty())
        return 0;
    const int first = std::stoi(converted.substr(0, 2), nullptr, 16);
    if (first < 0x22)
        return 0;
    const auto fields = irform::convertedtext::split(converted);
    return fields ? static_cast<int>(fields->data.size() / irform::kBlockDigits) : 0;
}

// The plain raw form of the same press: two bytes a duration.
int plainBlocks(const irform::Signal& received) {
    return static_cast<int>((received.durations.size() * 2 + 7) / 8);
}

irform::ReceiverModel receiver(std::mt19937& random) {
    return {static_cast<uint32_t>(random() % 81), 3.0, static_cast<uint32_t>(random())};
}

// The capture as a URC that measured no carrier gives it: zero carrier words.
std::string withoutCarrier(std::string capture) {
    capture.replace(capture.size() - 8, 8, "00000000");
    return capture;
}

// With a measured carrier the table stays diagonal but for NEC extended codes
// that are plain NEC frames; without one, rca38 (RCA's frame at 38.7 kHz) also
// reads as rca, the earlier row of the same timing.
void recognition(bool carrierMeasured) {
    std::mt19937 random(2026);
    std::map<std::pair<std::string, std::string>, int> confusion;
    int right = 0;
    int total = 0;
    for (Protocol p : irform::kAllProtocols) {
        for (int i = 0; i < kCodesPerForm; ++i) {
            const uint32_t device = random() % (irform::maxDevice(p) + 1);
            const uint32_t command = random() % (irform::maxCommand(p) + 1);
            const auto capture =
                irform::pressCapture(irform::protocolName(p), device, command, receiver(random));
            const std::string read =
                formRead(learn(carrierMeasured ? *capture : withoutCarrier(*capture)));
            ++total;
            if (read == irform::protocolName(p))
                ++right;
            else
                ++confusion[{std::string(irform::protocolName(p)), read}];
        }
    }
    std::printf("## Recognition (%d forms x %d random codes, receiver delay 0-80 us, "
                "3 %% jitter, %s)\n\n",
                static_cast<int>(std::size(irform::kAllProtocols)), kCodesPerForm,
                carrierMeasured ? "carrier measured" : "no carrier measured");
    std::printf("recognised as the pressed form: %d of %d (%.2f %%)\n\n", right, total,
                100.0 * right / total);
    std::printf("| pressed | read as | codes |\n|---|---|---|\n");
    for (const auto& [pair, count] : confusion)
        std::printf("| %s | %s | %d |\n", pair.first.c_str(), pair.second.c_str(), count);
    std::printf("\n");
}

struct RemoteMix {
    Protocol protocol;
    int keys;
};

void seventyKeys() {
    // A TV, a cable box, a receiver, a disc player, a soundbar, a streaming
    // box and a few keys of no known protocol.
    const RemoteMix mix[] = {{Protocol::Nec, 14},      {Protocol::Samsung32, 10},
                             {Protocol::Rc6, 8},       {Protocol::Panasonic, 8},
                             {Protocol::Denon, 6},     {Protocol::Sirc12, 6},
                             {Protocol::Rc5, 4},       {Protocol::NecExtended, 4},
                             {Protocol::Samsung36, 3}, {Protocol::Apple, 3}};
    constexpr int kRawKeys = 4;
    std::mt19937 random(70);
    int before = 0;
    int after = 0;
    int keys = 0;
    auto addRaw = [&](const irform::Signal& received) {
        const std::string converted = learn(irform::renderCapture(received));
        before += plainBlocks(received);
        after += blocksOf(converted);
        ++keys;
    };
    for (const auto& [protocol, count] : mix) {
        for (int k = 0; k < count; ++k) {
            const uint32_t device = 1 + random() % irform::maxDevice(protocol);
            const auto signal =
                *irform::encode(protocol, device % (irform::maxDevice(protocol) + 1),
                                random() % (irform::maxCommand(protocol) + 1));
            const auto received = irform::asReceived(signal, receiver(random));
            const std::string converted = learn(irform::renderCapture(received));
            const bool olderForm = static_cast<std::size_t>(protocol) < kOlderForms;
            before += olderForm ? 0 : plainBlocks(received);
            after += blocksOf(converted);
            ++keys;
        }
    }
    for (int k = 0; k < kRawKeys; ++k) {
        // A leader-less pulse-distance code of no known form.
        irform::Signal odd{38000, {}};
        for (int bit = 0; bit < 20; ++bit)
            odd.durations.insert(odd.durations.end(), {420, random() % 2 ? 1260u : 420u});
        odd.durations.insert(odd.durations.end(), {420, 60000});
        addRaw(irform::asReceived(odd, receiver(random)));
    }
    std::printf("## Storage of a 70-key set (%d keys; the URC has %d blocks)\n\n", keys,
                urcmem::factory::kStorageBlockCount);
    std::printf("| | blocks in all | blocks per key |\n|---|---|---|\n");
    std::printf("| before (6 forms, plain raw) | %d | %.1f |\n", before, 1.0 * before / keys);
    std::printf("| after (%d forms, compact raw) | %d | %.1f |\n\n",
                static_cast<int>(std::size(irform::kAllProtocols)), after, 1.0 * after / keys);
}

// A raw pulse-distance signal of `count` durations as a receiver gives it.
irform::Signal rawOfLength(std::size_t count, std::mt19937& random) {
    irform::Signal s{38000, {3400, 1700}};
    while (s.durations.size() + 2 < count)
        s.durations.insert(s.durations.end(), {430, random() % 2 ? 1290u : 430u});
    s.durations.insert(s.durations.end(), {430, 100000});
    s.durations.resize(count);
    return irform::asReceived(s, receiver(random));
}

void rawKeysThatFit() {
    std::mt19937 random(512);
    std::printf("## Raw keys that fit a factory URC (%d blocks, %d allocation records)\n\n",
                urcmem::factory::kStorageBlockCount, urcmem::factory::kAllocRecordCount);
    std::printf("| durations | blocks before | keys before | blocks after | keys after |\n"
                "|---|---|---|---|---|\n");
    for (std::size_t count : {24u, 36u, 68u, 100u, 136u, 200u, 400u}) {
        const auto signal = rawOfLength(count, random);
        const int before = plainBlocks(signal);
        const auto form = irform::rawCodeForm(signal);
        const int after = static_cast<int>(form->data.size() / irform::kBlockDigits);
        auto fit = [](int blocks) {
            return std::min(urcmem::factory::kStorageBlockCount / blocks,
                            urcmem::factory::kAllocRecordCount);
        };
        std::printf("| %zu | %d | %d | %d | %d |\n", count, before, fit(before), after, fit(after));
    }
    std::printf("\n");
}

} // namespace

int main() {
    recognition(true);
    recognition(false);
    seventyKeys();
    rawKeysThatFit();
    return 0;
}
