#pragma once
// A URC whose link test can be held mid-call: the monitor is then inside a
// library call, neither waiting for the window nor sleeping.
#include "tests/support/scripted_urc.h"

#include <condition_variable>
#include <mutex>

class BlockingUrc final : public device::UrcLibrary {
public:
    explicit BlockingUrc(testsupport::ScriptedUrc& inner) : inner_(inner) {}

    void holdNextPoll() {
        std::lock_guard lock(mutex_);
        hold_ = true;
        entered_ = false;
    }
    bool pollEntered() {
        std::lock_guard lock(mutex_);
        return entered_;
    }
    void releasePoll() {
        std::lock_guard lock(mutex_);
        hold_ = false;
        changed_.notify_all();
    }

    bool link_state() override {
        std::unique_lock lock(mutex_);
        if (hold_) {
            entered_ = true;
            changed_.wait(lock, [this] { return !hold_; });
        }
        lock.unlock();
        return inner_.link_state();
    }
    bool ReadVersion(char* b) override { return inner_.ReadVersion(b); }
    bool readdatav20(char* b, int32_t n, const char* h, const char* l, const char* u) override {
        return inner_.readdatav20(b, n, h, l, u);
    }
    bool writedatav20(const char* s, const char* h, const char* l, const char* d) override {
        return inner_.writedatav20(s, h, l, d);
    }
    bool SetCodeCarrierWave() override { return inner_.SetCodeCarrierWave(); }
    bool RCollectCodeInfo(char* b) override { return inner_.RCollectCodeInfo(b); }
    bool RBasicInfo(char* b) override { return inner_.RBasicInfo(b); }
    bool WCodeTypeData(const char* d) override { return inner_.WCodeTypeData(d); }

private:
    testsupport::ScriptedUrc& inner_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool hold_ = false;
    bool entered_ = false;
};
