// Every protocol form through the whole path with a real receiver's
// distortion: render -> capture -> cut and encode -> conversion library ->
// planned storage -> the URC's read-back. Also the confusion table, the
// compact raw form's bounds and a URC whose code-identifier table lacks the
// newer forms.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/compact_raw.h"
#include "irform/protocols.h"
#include "irform/stored_signal.h"
#include "learning/core/capture_text.h"
#include "learning/core/code_storage.h"
#include "tests/platform/rororuru/learning_path.h"
#include "tests/support/capture_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <random>
#include <span>

namespace {

using ircode_test::convertCodeAtCarrier;
using ircode_test::learn;
using ircode_test::store;
using ircode_test::withoutCarrier;
using irform::Protocol;

std::vector<std::string> idsOf(std::span<const Protocol> protocols) {
    std::vector<std::string> ids;
    for (Protocol p : protocols)
        ids.push_back(irform::builtinId(p));
    return ids;
}

// Codes that another form reads by definition (documented ambiguities):
// NEC extended whose high byte is the inverse of the low one is plain NEC;
// NEC with a 16-bit command whose high byte is the inverse of the low one is
// NEC extended (or NEC); NEC-framed codes with Apple's address and parity are
// Apple's. Without a measured carrier, rca38 (RCA's frame at 38.7 kHz) is
// rca, the earlier row of the same timing.
Protocol expectedForm(Protocol p, uint32_t device, uint32_t command, bool carrierMeasured) {
    if (p == Protocol::Rca38 && !carrierMeasured)
        return Protocol::Rca;
    if (p == Protocol::NecExtended && (device >> 8) == (~device & 0xFF))
        return Protocol::Nec;
    if (p == Protocol::Nec32 && (command >> 8) == (~command & 0xFF))
        return irform::decode(*irform::encode(p, device, command))->protocol;
    if ((p == Protocol::NecExtended || p == Protocol::Nec32) && device == 0x87EE) {
        const auto apple = irform::decode(*irform::encode(p, device, command));
        return apple ? apple->protocol : p;
    }
    return p;
}

uint32_t randomUpTo(std::mt19937& random, uint32_t max) {
    return std::uniform_int_distribution<uint32_t>(0, max)(random);
}

TEST(FormRoundTrip, TwoHundredCodesOfEveryFormComeBackThroughAReceiver) {
    ASSERT_NE(convertCodeAtCarrier(), nullptr);
    const auto allIds = idsOf(irform::kAllProtocols);
    const auto olderIds = idsOf(std::span(irform::kAllProtocols, 6));
    std::mt19937 random(617);
    std::map<std::pair<std::string, std::string>, int> confusion;
    for (Protocol p : irform::kAllProtocols) {
        for (int i = 0; i < 200; ++i) {
            const uint32_t device = randomUpTo(random, irform::maxDevice(p));
            const uint32_t command = randomUpTo(random, irform::maxCommand(p));
            const irform::ReceiverModel receiver{static_cast<uint32_t>(randomUpTo(random, 80)), 3.0,
                                                 static_cast<uint32_t>(random())};
            const auto capture =
                irform::pressCapture(irform::protocolName(p), device, command, receiver);
            ASSERT_TRUE(capture);
            // One code in four as a URC that measured no carrier.
            const bool carrierMeasured = i % 4 != 3;
            const std::string converted =
                learn(carrierMeasured ? *capture : withoutCarrier(*capture));
            const Protocol expected = expectedForm(p, device, command, carrierMeasured);
            const bool recognised = converted.starts_with(irform::builtinId(expected) + "::");
            std::string read = "raw";
            for (Protocol q : irform::kAllProtocols)
                if (converted.starts_with(irform::builtinId(q) + "::"))
                    read = irform::protocolName(q);
            ++confusion[{std::string(irform::protocolName(expected)), read}];
            if (!recognised)
                continue;
            const auto sentSignal = *irform::encode(p, device, command);
            const std::optional<int> measuredHz =
                carrierMeasured ? std::optional<int>(sentSignal.carrierHz) : std::nullopt;
            const irform::Decoded decoded =
                expected == p ? irform::Decoded{p, device, command}
                              : irform::decodePress(sentSignal.durations, measuredHz)->code;
            // A URC that knows the form, and one whose table lacks it.
            for (const auto* ids : {&allIds, &olderIds}) {
                const auto stored = store(converted, *ids);
                ASSERT_TRUE(stored) << converted;
                const bool known =
                    std::find(ids->begin(), ids->end(), irform::builtinId(expected)) != ids->end();
                EXPECT_EQ(stored->data.empty(), known) << converted;
                EXPECT_EQ(irform::describeStoredCode(stored->record, stored->data),
                          irform::describeDecoded(decoded));
                const auto sent = irform::storedSignal(stored->record, stored->data);
                ASSERT_TRUE(sent);
                EXPECT_EQ(
                    sent->durations,
                    irform::encode(decoded.protocol, decoded.device, decoded.command)->durations);
                EXPECT_EQ(sent->carrierHz, irform::protocolCarrierHz(decoded.protocol));
            }
        }
    }
    for (const auto& [pair, count] : confusion)
        EXPECT_EQ(pair.first, pair.second)
            << count << " codes of " << pair.first << " read as " << pair.second;
}

// A signal that is no form at all, or a form's frame followed by something
// else, stays raw.
TEST(FormRoundTrip, ForeignTailsAndNearMissesStayRaw) {
    auto nec = *irform::encode(Protocol::Nec, 0x04, 0x08);
    auto sirc = *irform::encode(Protocol::Sirc12, 1, 2);
    nec.durations.insert(nec.durations.end() - 1, sirc.durations.begin(), sirc.durations.end() - 1);
    EXPECT_FALSE(irform::decode(nec)) << "a SIRC frame after the NEC frame";

    auto rca = *irform::encode(Protocol::Rca, 3, 0x42);
    rca.durations[10] = rca.durations[10] * 2; // a bit space half way between
    EXPECT_FALSE(irform::decode(rca));

    // Cut-off repeats and trailing repeat codes are the form's own.
    auto cut = *irform::encode(Protocol::Samsung32, 0x0707, 0x02);
    cut.durations.resize(cut.durations.size() - 30);
    cut.durations.push_back(100000);
    EXPECT_EQ(irform::decode(cut), (irform::Decoded{Protocol::Samsung32, 0x0707, 0x02}));
    auto dittos = *irform::encode(Protocol::Nec, 0x04, 0x08);
    dittos.durations.insert(dittos.durations.end(),
                            {9000, 2250, 560, 96000, 9000, 2250, 560, 100000});
    EXPECT_EQ(irform::decode(dittos), (irform::Decoded{Protocol::Nec, 0x04, 0x08}));
}

TEST(CompactRaw, NecLengthFrameFitsSixBlocksAndReplaysWithinTolerance) {
    std::mt19937 random(5);
    for (int i = 0; i < 50; ++i) {
        auto signal = *irform::encode(Protocol::NecExtended, randomUpTo(random, 0xFFFF),
                                      randomUpTo(random, 0xFF));
        signal.durations.resize(68); // one frame and its gap
        signal = irform::asReceived(signal, {40, 3.0, static_cast<uint32_t>(i)});
        const auto form = irform::rawCodeForm(signal);
        ASSERT_TRUE(form);
        EXPECT_LE(form->data.size() / irform::kBlockDigits, 6u);
        const auto back = irform::parseRawDescription(
            irform::describeStoredCode("C00080" + form->id + form->p + form->q, form->data));
        ASSERT_TRUE(back);
        ASSERT_EQ(back->durations.size(), signal.durations.size());
        for (std::size_t k = 0; k < signal.durations.size(); ++k) {
            const uint32_t us = signal.durations[k];
            const uint32_t slack =
                std::max(us * irform::kCompactTolerancePercent / 100, irform::kCompactToleranceUs) +
                10;
            EXPECT_NEAR(back->durations[k], us, slack) << k;
        }
    }
}

// Without a measured carrier, a raw code keeps the carrier its shape tells:
// the timing body has none.
TEST(RawCarrier, ComesFromTheShapeOfTheSignalWhenNoneWasMeasured) {
    struct Case {
        irform::Signal signal;
        int carrierHz;
    };
    auto badRca = *irform::encode(Protocol::Rca, 3, 0x42);
    badRca.durations[49] = 920; // the last bit of the inverted command flipped
    if (irform::decode(badRca))
        badRca.durations[49] = 1840;
    auto rc5Like = *irform::encode(Protocol::Rc5, 5, 0x35);
    rc5Like.durations.erase(rc5Like.durations.begin() + 13, rc5Like.durations.end());
    rc5Like.durations.push_back(100000);
    const Case cases[] = {{badRca, 56000},
                          {rc5Like, 36000},
                          {irform::Signal{56000, {3000, 3000, 500, 100000}}, 38000}};
    for (const auto& c : cases) {
        ASSERT_FALSE(irform::decode(c.signal));
        const auto stored = store(learn(withoutCarrier(irform::renderCapture(c.signal))), {});
        ASSERT_TRUE(stored);
        EXPECT_EQ(irform::storedSignal(stored->record, stored->data)->carrierHz, c.carrierHz);
    }
}

TEST(LongDurations, HundredMillisecondMarksAndSpacesSurviveLearning) {
    const irform::Signal signal{56000, {44600, 100000, 120000, 150000, 560, 300000}};
    const auto stored = store(learn(irform::renderCapture(signal)), {});
    ASSERT_TRUE(stored);
    const auto back = irform::storedSignal(stored->record, stored->data);
    ASSERT_TRUE(back);
    const std::vector<uint32_t> expected = {44600, 100000, 120000, 150000, 560};
    ASSERT_EQ(back->durations.size(), expected.size() + 1);
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_NEAR(back->durations[k], expected[k], expected[k] * 4 / 100 + 510) << k;
}

} // namespace
