// The carrier the URC measured and the frames that were pressed, through the
// whole learning path: a raw code replays at the measured carrier, a form is
// recognised only near its own carrier, and a recognised press replays with
// its own frame count and toggle bit.
#include "platform/irform/capture_render.h"
#include "platform/irform/code_form.h"
#include "platform/irform/form_definition.h"
#include "platform/irform/protocols.h"
#include "platform/irform/raw_example.h"
#include "platform/irform/stored_signal.h"
#include "tests/ircode/learning_path.h"

#include <gtest/gtest.h>

namespace {

using ircode_test::learn;
using ircode_test::store;
using ircode_test::withoutCarrier;
using irform::Protocol;

// What the URC sends for a learned capture; nullopt when it was not stored.
std::optional<irform::Signal> replayOf(const std::string& capture) {
    const auto stored = store(learn(capture), {});
    if (!stored)
        return std::nullopt;
    return irform::storedSignal(stored->record, stored->data);
}

// The stored form's name, or "raw".
std::string formOf(const std::string& capture) {
    const std::string converted = learn(capture);
    for (Protocol p : irform::kAllProtocols)
        if (converted.starts_with(irform::builtinId(p) + "::"))
            return std::string(irform::protocolName(p));
    return "raw";
}

// measuredHz 0: the capture's carrier words are zero.
std::string captureAt(irform::Signal signal, int measuredHz) {
    signal.carrierHz = measuredHz == 0 ? 38000 : measuredHz;
    const std::string capture = irform::renderCapture(signal);
    return measuredHz == 0 ? withoutCarrier(capture) : capture;
}

struct RawCase {
    int measuredHz;
    int replayedHz;
};

class RawAtCarrier : public ::testing::TestWithParam<RawCase> {};

TEST_P(RawAtCarrier, ReplaysWithinOneKilohertzOfTheMeasurement) {
    const RawCase c = GetParam();
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        const auto sent = replayOf(captureAt(irform::rawExampleSignal(seed), c.measuredHz));
        ASSERT_TRUE(sent) << seed;
        EXPECT_NEAR(sent->carrierHz, c.replayedHz, 1000) << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(MeasuredCarrier, RawAtCarrier,
                         ::testing::Values(RawCase{36000, 36000}, RawCase{38000, 38000},
                                           RawCase{40000, 40000}, RawCase{56000, 56000},
                                           RawCase{33000, 33000}, RawCase{94000, 94000},
                                           // Not measured: the shape's guess (none here).
                                           RawCase{0, 38000}));

struct FormCase {
    Protocol protocol;
    int measuredHz;   // 0: not measured
    const char* form; // what it is stored as
};

class FormAtCarrier : public ::testing::TestWithParam<FormCase> {};

// Each form whose carrier lies away from 38 kHz, pressed at its own carrier,
// near it, far from it, and with no measurement (then timing alone decides).
TEST_P(FormAtCarrier, IsThatFormOnlyNearItsCarrier) {
    const FormCase c = GetParam();
    const irform::Signal pressed = *irform::encode(c.protocol, 3, 0x21);
    const std::string capture = captureAt(pressed, c.measuredHz);
    EXPECT_EQ(formOf(capture), c.form);
    const auto sent = replayOf(capture);
    ASSERT_TRUE(sent);
    if (std::string(c.form) == "raw")
        EXPECT_NEAR(sent->carrierHz, c.measuredHz, 1000);
    else
        EXPECT_EQ(sent->carrierHz, irform::protocolCarrierHz(c.protocol));
}

INSTANTIATE_TEST_SUITE_P(
    MeasuredCarrier, FormAtCarrier,
    ::testing::Values(
        FormCase{Protocol::Rca, 56000, "rca"}, FormCase{Protocol::Rca, 38000, "raw"},
        FormCase{Protocol::Rca, 0, "rca"}, FormCase{Protocol::Rc5, 36000, "rc5"},
        FormCase{Protocol::Rc5, 38000, "rc5"}, FormCase{Protocol::Rc5, 56000, "raw"},
        FormCase{Protocol::Rc6, 36000, "rc6"}, FormCase{Protocol::Rc6, 56000, "raw"},
        FormCase{Protocol::Sirc12, 40000, "sirc12"}, FormCase{Protocol::Sirc12, 56000, "raw"},
        FormCase{Protocol::Nec, 38000, "nec"}, FormCase{Protocol::Nec, 40000, "nec"},
        FormCase{Protocol::Nec, 56000, "raw"}, FormCase{Protocol::Dish, 57000, "dish"},
        FormCase{Protocol::Dish, 38000, "raw"},
        FormCase{Protocol::PanasonicOld, 57000, "panasonic-old"},
        FormCase{Protocol::PanasonicOld, 36000, "raw"},
        FormCase{Protocol::Thomson, 33000, "thomson"}, FormCase{Protocol::Thomson, 40000, "raw"},
        FormCase{Protocol::Mitsubishi, 33000, "mitsubishi"},
        FormCase{Protocol::Mitsubishi, 38000, "raw"}));

struct PressCase {
    const char* name;
    Protocol protocol;
    int frames;
    uint64_t toggle; // the payload's toggle bit when the press had it set
};

class PressedFrames : public ::testing::TestWithParam<PressCase> {};

// The replay holds the frames pressed, duration for duration (the press is
// rendered exactly; only the final silence, which the URC captures as its end
// marker, differs).
TEST_P(PressedFrames, AreTheFramesReplayed) {
    const PressCase c = GetParam();
    const auto& form = irform::detail::formDefinition(c.protocol);
    for (uint32_t code = 0; code < 12; ++code) {
        const uint32_t device = code * 7 % (form.maxDevice + 1);
        const uint32_t command = code * 37 % (form.maxCommand + 1);
        const uint64_t payload = form.pack({device, command}) | c.toggle;
        const irform::Signal pressed = irform::detail::renderPress(form, payload, c.frames);
        const auto sent = replayOf(irform::renderCapture(pressed));
        ASSERT_TRUE(sent);
        ASSERT_EQ(sent->durations.size(), pressed.durations.size()) << code;
        EXPECT_TRUE(std::equal(pressed.durations.begin(), pressed.durations.end() - 1,
                               sent->durations.begin()))
            << irform::describeSignal(pressed) << "\n"
            << irform::describeSignal(*sent);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Replay, PressedFrames,
    ::testing::Values(PressCase{"RcaOneFrame", Protocol::Rca, 1, 0},
                      PressCase{"RcaThreeFrames", Protocol::Rca, 3, 0},
                      PressCase{"Rc5xToggled", Protocol::Rc5x, 2, uint64_t{1} << 17},
                      PressCase{"Rc5xOneFrame", Protocol::Rc5x, 1, 0},
                      PressCase{"Rc5Toggled", Protocol::Rc5, 2, uint64_t{1} << 11},
                      PressCase{"Rc6Toggled", Protocol::Rc6, 2, uint64_t{1} << 16},
                      PressCase{"Rc6a32Toggled", Protocol::Rc6a32, 2, uint64_t{1} << 32},
                      PressCase{"ThomsonToggled", Protocol::Thomson, 2, uint64_t{1} << 4},
                      PressCase{"NecThreeDittos", Protocol::Nec, 4, 0},
                      PressCase{"SircFiveFrames", Protocol::Sirc12, 5, 0},
                      PressCase{"DenonOneFrame", Protocol::Denon, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
