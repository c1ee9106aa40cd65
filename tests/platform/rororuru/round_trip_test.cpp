// The whole path of a key press: the URC's capture, cutting, encoding, the
// conversion library loaded as the program loads it, storage planning, and the
// URC reading the stored code back.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/compact_raw.h"
#include "irform/protocols.h"
#include "irform/raw_example.h"
#include "irform/timing_body.h"
#include "learning/core/capture_text.h"
#include "learning/core/code_storage.h"
#include "tests/support/capture_words.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <random>

namespace {

using ConvertFunction = const char* (*)(const char*, int32_t);

class RoundTrip : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        library_ = dlopen(RORORURU_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        convert_ = reinterpret_cast<ConvertFunction>(dlsym(library_, "ConvertCode"));
        ASSERT_NE(convert_, nullptr);
    }

    static std::string convert(const std::string& text, int32_t mode = 2) {
        const char* result = convert_(text.c_str(), mode);
        return result ? result : "<null>";
    }

    // Capture -> converted text, as the program does it: the first five
    // characters of the timing text are not handed on.
    static std::string learn(const std::string& capture) {
        const std::string cut = learning::CutAtEndMarker(ircode_test::asDelivered(capture));
        const auto timings = learning::EncodeTimings(cut);
        if (timings.failed)
            return "<encoding failed>";
        return convert(timings.text.substr(5));
    }

    // What the URC sends for the key once the plan's writes are in its memory.
    static std::string storeAndSend(const std::string& converted) {
        device::UrcTables tables;
        tables.LearnedKeys = {"01|0"};
        tables.StorageAddress = 0x4000;
        tables.StorageBlockCount = 1024;
        tables.BlockMap = std::string(1024, '0');
        tables.AllocRecordCapacity = 8;
        const auto result = learning::planLearnedCode(tables, 0, converted);
        if (!std::holds_alternative<learning::StoragePlan>(result))
            return "<refused>";
        const auto& writes = std::get<learning::StoragePlan>(result).writes;
        const std::string data = writes.size() == 3 ? writes[0].hex : "";
        return irform::describeStoredCode(writes.back().hex, data);
    }

    static void* library_;
    static ConvertFunction convert_;
};

void* RoundTrip::library_ = nullptr;
ConvertFunction RoundTrip::convert_ = nullptr;

TEST_F(RoundTrip, EveryProtocolComesBackAsItWasPressed) {
    std::mt19937 random(2024);
    for (irform::Protocol p : irform::kAllProtocols) {
        for (int i = 0; i < 60; ++i) {
            const uint32_t device = random() % (irform::maxDevice(p) + 1);
            const uint32_t command = random() % (irform::maxCommand(p) + 1);
            if (p == irform::Protocol::NecExtended && (device >> 8) == (~device & 0xFF))
                continue; // indistinguishable from plain NEC
            const auto capture = irform::pressCapture(irform::protocolName(p), device, command);
            ASSERT_TRUE(capture);
            // ConvertCode gets no carrier: RCA's frame at 38.7 kHz is rca,
            // the earlier row of its timing.
            const irform::Protocol read = p == irform::Protocol::Rca38 ? irform::Protocol::Rca : p;
            const std::string converted = learn(*capture);
            EXPECT_TRUE(converted.starts_with(irform::builtinId(read) + "::")) << converted;
            EXPECT_EQ(storeAndSend(converted),
                      irform::describeDecoded(irform::Decoded{read, device, command}));
        }
    }
}

// Durations come back within the compact form's clustering tolerance (the
// plain form would give them exactly), gaps also within the millisecond the
// timing text keeps; the final silence is the body's own.
void expectWithinResolution(const irform::Signal& sent, const irform::Signal& back) {
    ASSERT_EQ(back.durations.size(), sent.durations.size());
    for (std::size_t i = 0; i + 1 < sent.durations.size(); ++i) {
        const long a = sent.durations[i];
        const long b = back.durations[i];
        const long clustering =
            std::max<long>(a * irform::kCompactTolerancePercent / 100, irform::kCompactToleranceUs);
        const long tolerance = clustering + (i % 2 == 1 && a > 10980 ? 510 : 0);
        EXPECT_LE(std::labs(a - b), tolerance) << "element " << i;
    }
    EXPECT_NEAR(back.durations.back(), irform::kTrailingGapUs,
                irform::kTrailingGapUs * irform::kCompactTolerancePercent / 100);
}

TEST_F(RoundTrip, RawSignalsComeBackWithinTheUrcsResolution) {
    for (uint32_t seed = 0; seed < 150; ++seed) {
        const irform::Signal sent = irform::rawExampleSignal(seed);
        const std::string converted = learn(irform::renderCapture(sent));
        const std::string sentBack = storeAndSend(converted);
        const auto back = irform::parseRawDescription(sentBack);
        ASSERT_TRUE(back) << seed << ": " << converted << " -> " << sentBack;
        EXPECT_EQ(back->carrierHz, irform::kDefaultCarrierHz);
        expectWithinResolution(sent, *back);
    }
}

TEST_F(RoundTrip, SameRawPressLearnedTwiceHasOneIdentifier) {
    const std::string capture = irform::renderCapture(irform::rawExampleSignal(77));
    const std::string first = learn(capture);
    EXPECT_EQ(learn(capture), first);
    EXPECT_GE(std::stoi(first.substr(0, 2), nullptr, 16), 0x22);
}

TEST_F(RoundTrip, LibraryAnswersBadInputWithAnEmptyText) {
    EXPECT_EQ(convert(""), "");
    EXPECT_EQ(convert("041B028F00C6EDED", 1), "") << "unknown mode";
    EXPECT_EQ(convert("041B028F00C6"), "") << "no end";
    EXPECT_EQ(convert("hello, world"), "");
    EXPECT_EQ(convert_(nullptr, 2), std::string());
    EXPECT_NE(convert("041B028F00C6EDED"), "");
    std::mt19937 random(3);
    for (int i = 0; i < 2000; ++i) {
        std::string text(random() % 200, ' ');
        for (char& c : text)
            c = "0123456789ABCDEFEDFE:\x7f\x01"[random() % 23];
        const std::string result = convert(text);
        EXPECT_TRUE(result.empty() || result.find(":::") != std::string::npos);
    }
}

TEST_F(RoundTrip, ExampleCaptureConvertsToAStorablePlan) {
    using namespace ircode_test;
    const std::string capture = words({"8D00", "0700", "8300", "0300", "8300", "7FFF", "7FFF",
                                       "7FFF", "1000", "8D00", "0700", "8300"}) +
                                endMarker() + "1A1A1A00";
    const std::string converted = learn(capture);
    EXPECT_EQ(storeAndSend(converted),
              "raw 38000 +1051 -655 +198 -314 +198 -34500 +1051 -655 +198 -100000");
}

} // namespace
