// urc-tool learn against an in-process URC: a captured press is stored byte
// for byte as set stores the same signal; a capture that cannot be stored,
// a refused capture mode, a lost link, a timeout and a stop by a signal write
// nothing, each saying why; a key that does not exist is refused before the
// URC listens.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/signal.h"
#include "tests/support/scripted_urc.h"
#include "urcmem/memory_map.h"
#include "urctool/commands.h"
#include "urctool/errors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

namespace {

using testsupport::ScriptedUrc;
using urctool::Args;
using namespace std::chrono_literals;

// The scripted URC with a real link's pace: a poll takes a millisecond, so a
// wait of seconds does not pile up millions of logged calls.
class PacedUrc final : public device::UrcLibrary {
public:
    explicit PacedUrc(ScriptedUrc& urc) : urc_(urc) {}
    bool link_state() override { return urc_.link_state(); }
    bool ReadVersion(char* b) override { return urc_.ReadVersion(b); }
    bool readdatav20(char* b, int32_t n, const char* h, const char* l, const char* u) override {
        return urc_.readdatav20(b, n, h, l, u);
    }
    bool writedatav20(const char* s, const char* h, const char* l, const char* d) override {
        return urc_.writedatav20(s, h, l, d);
    }
    bool SetCodeCarrierWave() override { return urc_.SetCodeCarrierWave(); }
    bool RCollectCodeInfo(char* b) override {
        std::this_thread::sleep_for(1ms);
        return urc_.RCollectCodeInfo(b);
    }
    bool RBasicInfo(char* b) override { return urc_.RBasicInfo(b); }
    bool WCodeTypeData(const char* d) override { return urc_.WCodeTypeData(d); }

private:
    ScriptedUrc& urc_;
};

class LearnTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/urctool-learn.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        testsupport::buildTestImage(urc_);
        testsupport::buildTestImage(other_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // What learn ends with: its status, or the text of what it threw.
    std::string outcome(const Args& args) {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        std::string result;
        try {
            result = "exit " + std::to_string(urctool::learnCommand(paced_, args));
        } catch (const urctool::ToolError& e) {
            result = std::string("failed: ") + e.what();
        } catch (const urctool::UsageError& e) {
            result = std::string("usage: ") + e.what();
        }
        said_ = ::testing::internal::GetCapturedStdout();
        said_ += ::testing::internal::GetCapturedStderr();
        return result;
    }
    std::size_t writes() const { return urc_.callsOf("writedatav20").size(); }

    std::string folder_;
    ScriptedUrc urc_;
    ScriptedUrc other_; // a second URC, taught by set
    PacedUrc paced_{urc_};
    std::string said_;
};

std::string rawSignal() {
    std::string text = "raw 38000 +3500 -1750";
    for (int i = 0; i < 24; ++i)
        text += " +500 -" + std::to_string(400 + 450 * (i % 3));
    return text + " +500";
}

TEST_F(LearnTest, APressIsStoredAsSetStoresTheSameSignal) {
    struct Case {
        const char* what;
        std::string capture;
        Args set; // what set is given for the same signal
        const char* says;
    };
    const std::string raw = rawSignal();
    const Case cases[] = {
        {"nec",
         *irform::pressCapture("nec", 4, 8),
         {"05", "--protocol", "nec", "4", "8"},
         "key 05 (TV/MUTE) learned nec 0x04 0x08"},
        {"rc5",
         *irform::pressCapture("rc5", 0, 16),
         {"05", "--protocol", "rc5", "0", "16"},
         "learned rc5 0x00 0x10"},
        {"raw",
         irform::renderCapture(*irform::parseRawDescription(raw)),
         {"05", "--raw", raw},
         "learned raw 38000 Hz, 52 durations"},
    };
    for (const Case& c : cases) {
        testsupport::buildTestImage(urc_);
        testsupport::buildTestImage(other_);
        urc_.setEmptyPollsBeforeCapture(3);
        urc_.queueCapture(c.capture);
        EXPECT_EQ(outcome({"05"}), "exit 0") << c.what << ": " << said_;
        EXPECT_NE(said_.find(c.says), std::string::npos) << c.what << ": " << said_;
        EXPECT_NE(said_.find("press the key for 05 (TV/MUTE)"), std::string::npos) << said_;
        ::testing::internal::CaptureStdout();
        ASSERT_EQ(urctool::setCommand(other_, c.set), urctool::kExitOk) << c.what;
        ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(urc_.memory, other_.memory) << c.what << ": learn and set wrote differently";
    }
}

TEST_F(LearnTest, NothingIsWrittenWithoutAStorableCode) {
    struct Case {
        const char* what;
        std::function<void(ScriptedUrc&, const testsupport::TestImageLayout&)> script;
        const char* result;
    };
    const Case cases[] = {
        {"capture mode refused", [](ScriptedUrc& u, const auto&) { u.setCaptureModeResult(false); },
         "failed: the URC did not go into capture mode"},
        {"link lost while waiting",
         // The first answer is for the reading before the capture.
         [](ScriptedUrc& u, const auto&) {
             u.scriptLinkStates({true, true, false});
         },
         "failed: the URC was disconnected while waiting for a code; the URC's memory was not "
         "touched"},
        {"a capture without its end marker",
         [](ScriptedUrc& u, const auto&) { u.queueCapture("8D0007008D00"); },
         "failed: the URC's capture could not be encoded"},
        {"a code larger than the free storage",
         [](ScriptedUrc& u, const testsupport::TestImageLayout& l) {
             std::vector<uint8_t> map(static_cast<std::size_t>(l.storageBlocks / 8), 0xFF);
             map.back() = 0xFE;
             u.setBytes(l.allocArea, map);
             u.queueCapture(irform::renderCapture(*irform::parseRawDescription(rawSignal())));
         },
         "failed: key 05 (TV/MUTE) cannot take this code: the code needs 6 storage blocks in one "
         "run; the URC's code storage has 1 free of 512"},
    };
    for (const Case& c : cases) {
        const auto layout = testsupport::buildTestImage(urc_);
        c.script(urc_, layout);
        const auto before = urc_.memory;
        urc_.clearCalls();
        EXPECT_EQ(outcome({"05", "--timeout", "5"}).rfind(c.result, 0), 0u)
            << c.what << ": " << said_;
        EXPECT_EQ(writes(), 0u) << c.what;
        EXPECT_EQ(urc_.memory, before) << c.what;
        urc_.setCaptureModeResult(true);
    }
}

TEST_F(LearnTest, ATimeoutEndsTheWaitAfterItsSecondsAndSaysSo) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(outcome({"05", "--timeout", "1"}),
              "failed: no code arrived within 1 second; the URC's memory was not touched "
              "(--timeout SECONDS waits longer)");
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 1s);
    EXPECT_LT(took, 3s);
    EXPECT_GT(urc_.callsOf("RCollectCodeInfo").size(), 10u);
    EXPECT_EQ(writes(), 0u);
}

TEST_F(LearnTest, AKeyThatDoesNotExistOrABadTimeoutIsRefusedBeforeTheUrcListens) {
    for (const Args& args : {Args{"NOPE"}, Args{"05", "--timeout", "0"}, Args{"05", "--timeout=x"},
                             Args{}, Args{"05", "06"}})
        EXPECT_EQ(outcome(args).rfind("usage: ", 0), 0u) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(urc_.callsOf("SetCodeCarrierWave").size(), 0u);
}

// A signal while the URC listens ends the wait with 128 plus its number,
// nothing written, and the handlers that were there before come back.
TEST_F(LearnTest, ASignalStopsTheWaitAndTheHandlersAreGivenBack) {
    for (int stop : {SIGINT, SIGTERM, SIGHUP}) {
        urc_.clearCalls();
        std::thread signaller([&] {
            while (urc_.callsOf("RCollectCodeInfo").size() < 3)
                std::this_thread::sleep_for(1ms);
            ::kill(::getpid(), stop);
        });
        const std::string result = outcome({"05", "--timeout", "20"});
        signaller.join();
        EXPECT_EQ(result, "exit " + std::to_string(128 + stop)) << said_;
        EXPECT_NE(said_.find("while waiting for a code; the URC's memory was not touched"),
                  std::string::npos)
            << said_;
        EXPECT_EQ(writes(), 0u);
        struct sigaction now {};
        ::sigaction(stop, nullptr, &now);
        EXPECT_EQ(now.sa_handler, SIG_DFL) << stop;
    }
}

} // namespace
