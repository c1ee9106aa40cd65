// The URC's real infrared without a device: mode2 samples made into signals
// and capture text, stored signals made into transmitter writes, and the
// URC's side of both (capture mode taking a received signal, TRANSMIT).
#include "irform/capture_render.h"
#include "irform/protocols.h"
#include "platform/urcsim/device.h"
#include "platform/urcsim/factory_keys.h"
#include "platform/urcsim/ir_frames.h"

#include <gtest/gtest.h>
#include <linux/lirc.h>
#include <numeric>

namespace {

using urcsim::ir::FrameEvent;
using urcsim::ir::Mode2Frames;
using Kind = FrameEvent::Kind;

uint32_t pulse(uint32_t us) {
    return LIRC_PULSE(us);
}
uint32_t space(uint32_t us) {
    return LIRC_SPACE(us);
}

irform::Signal necPress() {
    return *irform::encode(irform::Protocol::Nec, 0x04, 0x08);
}

// The samples a kernel receiver gives for a signal: its durations without the
// final gap, then what `tail` adds (a carrier report, a timeout, ...).
std::vector<uint32_t> samplesOf(const irform::Signal& signal, std::vector<uint32_t> tail) {
    std::vector<uint32_t> samples;
    for (std::size_t i = 0; i + 1 < signal.durations.size(); ++i)
        samples.push_back(i % 2 == 0 ? pulse(signal.durations[i]) : space(signal.durations[i]));
    samples.insert(samples.end(), tail.begin(), tail.end());
    return samples;
}

std::vector<FrameEvent> feedAll(Mode2Frames& frames, const std::vector<uint32_t>& samples) {
    std::vector<FrameEvent> events;
    for (uint32_t s : samples)
        if (auto e = frames.feed(s); e.kind != Kind::None)
            events.push_back(std::move(e));
    return events;
}

struct ReceiveCase {
    const char* what;
    std::vector<uint32_t> before; // ahead of the signal
    std::vector<uint32_t> tail;   // after its last pulse
    int carrierHz;
    bool measured;
    uint32_t finalGapUs;
};

TEST(Mode2Frames, AReceivedPressIsOneSignalWithItsCarrier) {
    const ReceiveCase cases[] = {
        {"timeout, no carrier", {}, {LIRC_TIMEOUT(125000)}, 38000, false, 125000},
        {"leading space ignored", {space(1500000)}, {LIRC_TIMEOUT(218505)}, 38000, false, 218505},
        {"carrier reported before the timeout",
         {},
         {LIRC_FREQUENCY(36000), LIRC_TIMEOUT(125000)},
         36000,
         true,
         125000},
        {"carrier reported ahead of the signal",
         {LIRC_FREQUENCY(40000)},
         {LIRC_TIMEOUT(100000)},
         40000,
         true,
         100000},
        {"a long space ends it", {}, {space(300000)}, 38000, false, 300000},
    };
    const irform::Signal sent = necPress();
    for (const auto& c : cases) {
        Mode2Frames frames;
        auto samples = c.before;
        const auto signal = samplesOf(sent, c.tail);
        samples.insert(samples.end(), signal.begin(), signal.end());
        const auto events = feedAll(frames, samples);
        ASSERT_EQ(events.size(), 1u) << c.what;
        const FrameEvent& e = events[0];
        ASSERT_EQ(e.kind, Kind::Frame) << c.what;
        EXPECT_EQ(e.signal.carrierHz, c.carrierHz) << c.what;
        EXPECT_EQ(e.carrierMeasured, c.measured) << c.what;
        std::vector<uint32_t> expected = sent.durations;
        expected.back() = c.finalGapUs;
        EXPECT_EQ(e.signal.durations, expected) << c.what;
        EXPECT_EQ(irform::decode(e.signal), (irform::Decoded{irform::Protocol::Nec, 0x04, 0x08}))
            << c.what;
    }
}

TEST(Mode2Frames, TheCaptureTextIsThatOfTheSamePressedKey) {
    Mode2Frames frames;
    const auto events = feedAll(frames, samplesOf(necPress(), {LIRC_TIMEOUT(218505)}));
    ASSERT_EQ(events.size(), 1u);
    // The NEC repeat's 40 ms gap stays inside the capture; the rendering adds
    // the URC's receiver stretch as for an emulated press.
    EXPECT_EQ(irform::renderCapture(events[0].signal),
              *irform::pressCapture("nec", 0x04, 0x08, irform::kExactReceiver));
}

TEST(Mode2Frames, SignalsSeparatedByTheEndGapAreTwo) {
    Mode2Frames frames;
    const uint32_t gap = urcsim::ir::captureEndGapUs();
    const auto events = feedAll(frames, {pulse(500), space(gap - 1), pulse(600), space(gap),
                                         pulse(700), space(800), pulse(900), LIRC_TIMEOUT(5000)});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].signal.durations, (std::vector<uint32_t>{500, gap - 1, 600, gap}));
    EXPECT_EQ(events[1].signal.durations, (std::vector<uint32_t>{700, 800, 900, 5000}));
}

TEST(Mode2Frames, TheEndGapIsWhereTheCaptureEnds) {
    const uint32_t gap = urcsim::ir::captureEndGapUs();
    const irform::Signal shorter{38000, {500, gap - 1, 600, 300000}};
    const irform::Signal exact{38000, {500, gap, 600, 300000}};
    EXPECT_NE(irform::renderCapture(shorter), irform::renderCapture({38000, {500, 300000}}));
    EXPECT_EQ(irform::renderCapture(exact), irform::renderCapture({38000, {500, 300000}}));
}

TEST(Mode2Frames, SamplesOfOneKindInARowAreOneDuration) {
    Mode2Frames frames;
    const auto events = feedAll(
        frames, {pulse(300), pulse(260), space(400), space(160), pulse(560), LIRC_TIMEOUT(9000)});
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].signal.durations, (std::vector<uint32_t>{560, 560, 560, 9000}));
}

TEST(Mode2Frames, AnOverflowLosesTheSignalInProgressOnly) {
    Mode2Frames frames;
    const auto events =
        feedAll(frames, {pulse(9000), space(4500), LIRC_MODE2_OVERFLOW, pulse(560), space(560),
                         pulse(560), LIRC_TIMEOUT(125000), pulse(800), LIRC_TIMEOUT(125000)});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, Kind::Dropped);
    EXPECT_NE(events[0].reason.find("overflow"), std::string::npos);
    EXPECT_EQ(events[1].kind, Kind::Frame);
    EXPECT_EQ(events[1].signal.durations, (std::vector<uint32_t>{800, 125000}));
}

TEST(Mode2Frames, AFullBufferHandsOnTheSignalAsFarAsItWent) {
    Mode2Frames frames(urcsim::ir::captureEndGapUs(), 5);
    const auto events =
        feedAll(frames, {pulse(1), space(2), pulse(3), space(4), pulse(5), space(6), pulse(7),
                         LIRC_TIMEOUT(100000), pulse(8), LIRC_TIMEOUT(100000)});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].signal.durations, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(events[1].signal.durations, (std::vector<uint32_t>{8, 100000}));
    EXPECT_EQ(urcsim::ir::maxCaptureDurations(), irform::kCaptureCapacity / 4);
}

// rc-loopback with carrier reports on: its carrier, then its closing silence
// as a "carrier" of the timeout's microseconds, and no timeout sample at all.
TEST(Mode2Frames, AnImplausibleCarrierIsIgnoredAndSilenceEndsTheSignal) {
    Mode2Frames frames;
    const auto events =
        feedAll(frames, samplesOf(necPress(), {LIRC_FREQUENCY(38000), LIRC_FREQUENCY(218505)}));
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(frames.inProgress());
    const FrameEvent e = frames.endBySilence(218505);
    ASSERT_EQ(e.kind, Kind::Frame);
    EXPECT_EQ(e.signal.carrierHz, 38000);
    EXPECT_TRUE(e.carrierMeasured);
    EXPECT_EQ(e.signal.durations.back(), 218505u);
    EXPECT_FALSE(frames.inProgress());
    EXPECT_EQ(frames.endBySilence(218505).kind, Kind::None);
}

TEST(Mode2Frames, CarriersOutsideWhatRemotesUseAreNotMeasurements) {
    for (uint32_t hz : {0u, 9999u, 500001u}) {
        Mode2Frames frames;
        feedAll(frames, {LIRC_FREQUENCY(hz), pulse(500)});
        const FrameEvent e = frames.endBySilence(300000);
        EXPECT_FALSE(e.carrierMeasured) << hz;
        EXPECT_EQ(e.signal.carrierHz, urcsim::ir::kDefaultCarrierHz) << hz;
    }
    Mode2Frames frames;
    feedAll(frames, {LIRC_FREQUENCY(455000), pulse(500)});
    EXPECT_EQ(frames.endBySilence(300000).signal.carrierHz, 455000);
}

TEST(Mode2Frames, ATimeoutWithoutASignalIsNothing) {
    Mode2Frames frames;
    EXPECT_TRUE(feedAll(frames, {LIRC_TIMEOUT(125000), space(20), LIRC_TIMEOUT(125000)}).empty());
}

uint64_t total(const std::vector<uint32_t>& d) {
    return std::accumulate(d.begin(), d.end(), uint64_t{0});
}

TEST(TransmitPlan, APressIsOneWriteWithoutItsFinalGap) {
    const irform::Signal press = necPress();
    const auto plan = urcsim::ir::planTransmission(press, {});
    ASSERT_TRUE(plan.error.empty()) << plan.error;
    ASSERT_EQ(plan.chunks.size(), 1u);
    const auto& pulses = plan.chunks[0].pulses;
    EXPECT_EQ(pulses.size() % 2, 1u);
    EXPECT_EQ(pulses, std::vector<uint32_t>(press.durations.begin(), press.durations.end() - 1));
    EXPECT_EQ(plan.chunks[0].gapAfterUs, 0u);
}

TEST(TransmitPlan, ALongPressIsSplitBetweenFrames) {
    // Six frames of 40 ms each, 60 ms apart: 540 ms in all, more than one write holds.
    irform::Signal signal{38000, {}};
    for (int f = 0; f < 6; ++f) {
        signal.durations.insert(signal.durations.end(), {20000, 10000, 10000});
        signal.durations.push_back(60000);
    }
    const auto plan = urcsim::ir::planTransmission(signal, {});
    ASSERT_TRUE(plan.error.empty()) << plan.error;
    ASSERT_EQ(plan.chunks.size(), 2u);
    for (const auto& chunk : plan.chunks) {
        EXPECT_EQ(chunk.pulses.size() % 2, 1u);
        EXPECT_LE(total(chunk.pulses), 500000u);
    }
    // Nothing lost: the writes and the waits between them are the signal.
    EXPECT_EQ(plan.chunks[0].gapAfterUs, 60000u);
    EXPECT_EQ(total(plan.chunks[0].pulses) + plan.chunks[0].gapAfterUs +
                  total(plan.chunks[1].pulses),
              total(signal.durations) - 60000);
    EXPECT_EQ(plan.chunks[1].gapAfterUs, 0u);
}

TEST(TransmitPlan, WhatTheTransmitterCannotTakeIsRefusedClearly) {
    std::vector<uint32_t> manyPulses(1025, 100);
    manyPulses.push_back(50000);
    std::vector<uint32_t> longPress;
    for (int f = 0; f < 30; ++f)
        longPress.insert(longPress.end(), {300000, 100000});
    const struct {
        const char* what;
        irform::Signal signal;
        const char* message;
    } cases[] = {
        {"no pulse", {38000, {}}, "the signal has no pulse to send"},
        {"a zero duration", {38000, {560, 0, 560, 1000}}, "duration 2 of the signal is 0 us"},
        {"a mark beyond a write", {38000, {600000, 1000}}, "at most 1024 durations and 500000 us"},
        {"a frame of too many durations", {38000, manyPulses}, "frame 1 of the signal holds 1025"},
        {"a press beyond ten seconds", {38000, longPress}, "the URC sends at most 10000000 us"},
    };
    for (const auto& c : cases) {
        const auto plan = urcsim::ir::planTransmission(c.signal, {});
        EXPECT_TRUE(plan.chunks.empty()) << c.what;
        EXPECT_NE(plan.error.find(c.message), std::string::npos) << c.what << ": " << plan.error;
    }
}

urcsim::Device deviceWith(urcsim::Transmit transmit, std::string name = {}) {
    urcsim::DeviceSetup setup{
        urcsim::factoryImageFor(urcmem::defaultProfile()), {}, &urcmem::defaultProfile(), 0};
    setup.transmit = std::move(transmit);
    setup.transmitterName = std::move(name);
    return urcsim::Device(std::move(setup));
}

TEST(RealInfraredDevice, CaptureModeTakesAReceivedSignalOnce) {
    auto d = deviceWith({});
    const std::string capture = irform::renderCapture(necPress());
    EXPECT_FALSE(d.receive(capture)) << "outside capture mode nothing is taken";
    EXPECT_EQ(d.handle("COLLECT"), "ERR nothing captured\n");
    EXPECT_EQ(d.handle("CAPTURE"), "OK\n");
    EXPECT_TRUE(d.receive(capture));
    EXPECT_FALSE(d.receive(capture)) << "the URC left capture mode";
    EXPECT_EQ(d.handle("COLLECT"), "OK " + capture + "\n");
}

// The receiver measures the carrier only while the URC captures.
TEST(RealInfraredDevice, TellsWhenCaptureModeBeginsAndEnds) {
    std::vector<bool> told;
    urcsim::DeviceSetup setup{
        urcsim::factoryImageFor(urcmem::defaultProfile()), {}, &urcmem::defaultProfile(), 0};
    setup.captureModeChanged = [&told](bool capturing) { told.push_back(capturing); };
    urcsim::Device d(std::move(setup));
    const std::string capture = irform::renderCapture(necPress());
    d.handle("CAPTURE");
    d.handle("CAPTURE"); // still capturing: nothing to tell
    EXPECT_TRUE(d.receive(capture));
    EXPECT_EQ(told, (std::vector<bool>{true, false}));
    // An emulated press while capturing ends capture mode too.
    d.handle("CAPTURE");
    d.handle("PRESS 500 " + capture);
    d.handle("COLLECT");
    // A key still held is taken at once: capture mode never lasts.
    d.handle("CAPTURE");
    EXPECT_EQ(told, (std::vector<bool>{true, false, true, false}));
}

TEST(RealInfraredDevice, TransmitSendsTheStoredPressAndNamesTheDevice) {
    std::vector<irform::Signal> sent;
    auto d = deviceWith(
        [&sent](const irform::Signal& s) {
            sent.push_back(s);
            return std::string();
        },
        "/dev/lirc0");
    const std::string stored = d.handle("STORED 00");
    ASSERT_EQ(stored.substr(0, 3), "OK ");
    EXPECT_EQ(d.handle("TRANSMIT 00"), stored.substr(0, stored.size() - 1) + " /dev/lirc0\n");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(irform::decode(sent[0]), (irform::Decoded{irform::Protocol::Nec, 0x04, 0x08}));
    // A key without a code sends nothing; the answer is STORED's.
    EXPECT_EQ(d.handle("TRANSMIT 05"), d.handle("STORED 05"));
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(d.handle("TRANSMIT 5"), "ERR TRANSMIT takes a key code of two hex digits\n");
}

TEST(RealInfraredDevice, ATransmitterFailureIsTheAnswer) {
    auto d = deviceWith([](const irform::Signal&) { return std::string("the LED is gone"); },
                        "/dev/lirc1");
    EXPECT_EQ(d.handle("TRANSMIT 00"), "ERR the LED is gone\n");
    auto emulated = deviceWith({});
    EXPECT_EQ(emulated.handle("TRANSMIT 00"), emulated.handle("STORED 00"));
}

} // namespace
