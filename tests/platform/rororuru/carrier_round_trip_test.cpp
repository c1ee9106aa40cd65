// The carrier the URC measured and the frames that were pressed, through the
// whole learning path: a raw code replays at the measured carrier, a form is
// recognised only near its own carrier, and a recognised press replays with
// its own frame count and toggle bit.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/form_definition.h"
#include "irform/protocols.h"
#include "irform/raw_example.h"
#include "irform/stored_signal.h"
#include "tests/platform/rororuru/learning_path.h"

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

TEST(MeasuredCarrier, ARawCodeReplaysWithinOneKilohertzOfIt) {
    // measured 0: not measured, then the shape's guess (none here).
    for (const int measuredHz : {36000, 38000, 40000, 56000, 33000, 94000, 0}) {
        for (uint32_t seed = 1; seed <= 8; ++seed) {
            const auto sent = replayOf(captureAt(irform::rawExampleSignal(seed), measuredHz));
            ASSERT_TRUE(sent) << measuredHz << " seed " << seed;
            EXPECT_NEAR(sent->carrierHz, measuredHz == 0 ? 38000 : measuredHz, 1000)
                << measuredHz << " seed " << seed;
        }
    }
}

// Each form whose carrier lies away from 38 kHz (and NEC's), pressed at its
// own carrier, near it, far from it, and with no measurement (then timing
// alone decides).
TEST(MeasuredCarrier, AFormIsThatFormOnlyNearItsCarrier) {
    struct Case {
        Protocol protocol;
        std::vector<int> formAt; // measured carriers (0: none) at which it is that form
        int rawAt;               // one far from its own, at which it is a raw code
    };
    const Case cases[] = {
        {Protocol::Rca, {56000, 0}, 38000},       {Protocol::Rc5, {36000, 38000}, 56000},
        {Protocol::Rc6, {36000}, 56000},          {Protocol::Sirc12, {40000}, 56000},
        {Protocol::Nec, {38000, 40000}, 56000},   {Protocol::Dish, {57000}, 38000},
        {Protocol::PanasonicOld, {57000}, 36000}, {Protocol::Thomson, {33000}, 40000},
        {Protocol::Mitsubishi, {33000}, 38000},   {Protocol::Xmp, {38000, 0}, 56000},
        {Protocol::Nokia12, {36000}, 56000},      {Protocol::Recs80, {38000}, 56000},
        {Protocol::Grundig16, {36000, 0}, 56000}};
    for (const Case& c : cases) {
        const std::string name(irform::protocolName(c.protocol));
        const irform::Signal pressed = *irform::encode(c.protocol, 3, 0x21);
        for (const int measuredHz : c.formAt) {
            const std::string capture = captureAt(pressed, measuredHz);
            EXPECT_EQ(formOf(capture), name) << "at " << measuredHz;
            const auto sent = replayOf(capture);
            ASSERT_TRUE(sent) << name;
            EXPECT_EQ(sent->carrierHz, irform::protocolCarrierHz(c.protocol)) << name;
        }
        const std::string capture = captureAt(pressed, c.rawAt);
        EXPECT_EQ(formOf(capture), "raw") << name << " at " << c.rawAt;
        const auto sent = replayOf(capture);
        ASSERT_TRUE(sent) << name;
        EXPECT_NEAR(sent->carrierHz, c.rawAt, 1000) << name;
    }
}

// The replay holds the frames pressed, duration for duration (the press is
// rendered exactly; only the final silence, which the URC captures as its end
// marker, differs).
TEST(PressedFrames, AreTheFramesReplayed) {
    struct Case {
        const char* what;
        Protocol protocol;
        int frames;
        uint64_t toggle; // the payload's toggle bit when the press had it set
    };
    const Case cases[] = {{"rca, one frame", Protocol::Rca, 1, 0},
                          {"rca, three frames", Protocol::Rca, 3, 0},
                          {"rc5x, toggled", Protocol::Rc5x, 2, uint64_t{1} << 17},
                          {"rc5x, one frame", Protocol::Rc5x, 1, 0},
                          {"rc5, toggled", Protocol::Rc5, 2, uint64_t{1} << 11},
                          {"rc6, toggled", Protocol::Rc6, 2, uint64_t{1} << 16},
                          {"rc6a32, toggled", Protocol::Rc6a32, 2, uint64_t{1} << 32},
                          {"thomson, toggled", Protocol::Thomson, 2, uint64_t{1} << 4},
                          {"nec, three dittos", Protocol::Nec, 4, 0},
                          {"sirc12, five frames", Protocol::Sirc12, 5, 0},
                          {"denon, one frame", Protocol::Denon, 1, 0},
                          {"sony8, four frames", Protocol::Sony8, 4, 0},
                          {"recs80, toggled", Protocol::Recs80, 2, uint64_t{1} << 9},
                          {"grundig16, toggled", Protocol::Grundig16, 2, uint64_t{1} << 15},
                          {"xmp, three frames", Protocol::Xmp, 3, 0},
                          {"xmp, one frame", Protocol::Xmp, 1, 0},
                          {"nokia24, one frame", Protocol::Nokia24, 1, 0}};
    for (const Case& c : cases) {
        const auto& form = irform::detail::formDefinition(c.protocol);
        for (uint32_t code = 0; code < 12; ++code) {
            const uint32_t device = code * 7 % (form.maxDevice + 1);
            const uint32_t command = code * 37 % (form.maxCommand + 1);
            const uint64_t payload = form.pack({device, command}) | c.toggle;
            const irform::Signal pressed = irform::detail::renderPress(form, payload, c.frames);
            const auto sent = replayOf(irform::renderCapture(pressed));
            ASSERT_TRUE(sent) << c.what;
            ASSERT_EQ(sent->durations.size(), pressed.durations.size()) << c.what << " " << code;
            EXPECT_TRUE(std::equal(pressed.durations.begin(), pressed.durations.end() - 1,
                                   sent->durations.begin()))
                << c.what << "\n"
                << irform::describeSignal(pressed) << "\n"
                << irform::describeSignal(*sent);
        }
    }
}

} // namespace
