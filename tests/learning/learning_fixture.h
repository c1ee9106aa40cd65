#pragma once
// The real main window offscreen, against a scripted URC and scripted boxes,
// with a capture clock the test steps by hand and distinct pictures in every
// key slot and skin, so a test can tell which picture a control shows.
#include "app/maintarnvik.h"
#include "tests/support/scripted_message_boxes.h"
#include "tests/support/scripted_urc.h"

#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace learningtest {

// Whole seconds that move only when the test says so.
class SteppedClock {
public:
    learning::SecondsClock clock() const {
        auto now = now_;
        return [now] { return now->load(); };
    }
    void advance(int64_t seconds) { *now_ += seconds; }

private:
    std::shared_ptr<std::atomic<int64_t>> now_ = std::make_shared<std::atomic<int64_t>>(1000);
};

// The scripted URC with a USB transfer's latency on each capture poll, so a
// worker left polling does not flood the call log.
class PacedUrc final : public device::UrcLibrary {
public:
    explicit PacedUrc(testsupport::ScriptedUrc& urc) : urc_(urc) {}
    bool link_state() override { return urc_.link_state(); }
    bool ReadVersion(char* buffer) override { return urc_.ReadVersion(buffer); }
    bool readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                     const char* unit) override {
        return urc_.readdatav20(buffer, blocks, high, low, unit);
    }
    bool writedatav20(const char* selector, const char* high, const char* low,
                      const char* data) override {
        return urc_.writedatav20(selector, high, low, data);
    }
    bool SetCodeCarrierWave() override { return urc_.SetCodeCarrierWave(); }
    bool RCollectCodeInfo(char* buffer) override;
    bool RBasicInfo(char* buffer) override { return urc_.RBasicInfo(buffer); }
    bool WCodeTypeData(const char* data) override { return urc_.WCodeTypeData(data); }

private:
    testsupport::ScriptedUrc& urc_;
};

class LearningWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    IBtn* key(const QString& code) const;
    // Index of a key's entry in LearnedKeys (its key record).
    std::size_t entryIndex(const QString& code) const;
    void setEntryState(const QString& code, char state);
    QImage slotPicture(int bank, const QString& code) const;
    int keyRecordAddress(const QString& code) const;

    void switchLearningOn();
    // Learning on and the key chosen: a worker is polling.
    void startCapturing(const QString& code);
    // Lets the window thread run until the worker's end has been handled.
    bool waitForCaptureEnd();
    // Waits for a poll of the running worker.
    void waitUntilPolling();
    // Ends a polling worker by its time window and waits for the handler.
    void endCaptureByTime();
    std::vector<testsupport::DeviceCall> writes() const;
    int captureWorkersStarted() const;

    QTemporaryDir runtimeDir_;
    QByteArray savedRuntimeDir_;
    testsupport::ScriptedUrc urc_;
    testsupport::TestImageLayout layout_;
    PacedUrc device_{urc_};
    testsupport::ScriptedMessageBoxes boxes_;
    SteppedClock clock_;
    std::unique_ptr<Tmaintarnvik> window_;
};

// A capture of one NEC key press, as the URC delivers it.
std::string necCapture(uint32_t device, uint32_t command);
// A capture of a signal of no known protocol (kept in code storage).
std::string rawCapture(uint32_t seed);

} // namespace learningtest
