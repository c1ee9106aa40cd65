// The window program's claim on the URC: nothing reaches the device library
// before the claim is held; an owner that does not let go, or a claim that
// cannot be made, is said on standard error and reads as no URC, and Retry
// tries again.
#include "app/owned_urc.h"
#include "tests/support/scripted_urc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

class OwnedUrcTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/owned-urc-test.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        ::unsetenv("QZT617_URC_SOCKET");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    static urcclaim::UrcLock restoreOwns() {
        return urcclaim::take(urcclaim::keyForLinkedUrc(), urcclaim::Hold::Own,
                              urcclaim::thisProcess("urc-tool", "restore"), 0ms);
    }

    std::string folder_;
    testsupport::ScriptedUrc urc_;
};

TEST_F(OwnedUrcTest, AnOwnerThatDoesNotLetGoReadsAsNoUrcUntilARetryFindsItGone) {
    auto restore = restoreOwns();
    ASSERT_TRUE(restore.held()) << restore.refusal();
    app::OwnedUrcLibrary device(urc_, 50ms);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(device.link_state());
    char version[device::kVersionBufferSize] = {};
    EXPECT_FALSE(device.ReadVersion(version));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(urc_.calls().empty()); // nothing was read
    EXPECT_NE(said.find("owned by urc-tool restore (pid "), std::string::npos) << said;
    EXPECT_NE(said.find("waiting up to 1 second for it to finish"), std::string::npos) << said;
    EXPECT_NE(said.find("it did not let go; the URC cannot be read"), std::string::npos) << said;

    restore = urcclaim::UrcLock(); // the restore ends; the user presses Retry
    EXPECT_TRUE(device.link_state());
    EXPECT_TRUE(device.ReadVersion(version));
    EXPECT_EQ(urc_.callsOf("ReadVersion").size(), 1u);
    EXPECT_EQ(urcclaim::currentOwner(urcclaim::keyForLinkedUrc())->program, "qzt617");
    EXPECT_TRUE(restoreOwns().busy()); // and keeps it
}

TEST_F(OwnedUrcTest, TheWindowWaitsForAnOwnerThatLetsGo) {
    auto restore = restoreOwns();
    std::thread ending([&] {
        std::this_thread::sleep_for(200ms);
        restore = urcclaim::UrcLock();
    });
    app::OwnedUrcLibrary device(urc_, 20s);
    ::testing::internal::CaptureStderr();
    const bool linked = device.link_state();
    ::testing::internal::GetCapturedStderr();
    ending.join();
    EXPECT_TRUE(linked);
}

TEST_F(OwnedUrcTest, AnotherWindowIsNotWaitedFor) {
    const auto window = urcclaim::take(urcclaim::keyForLinkedUrc(), urcclaim::Hold::Own,
                                       urcclaim::thisProcess("qzt617"), 0ms);
    ASSERT_TRUE(window.held());
    app::OwnedUrcLibrary device(urc_, 600s);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(device.link_state());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("waiting"), std::string::npos) << said;
    EXPECT_NE(said.find("is owned by qzt617 (pid "), std::string::npos) << said;
}

TEST_F(OwnedUrcTest, AClaimThatCannotBeMadeIsSaidAndReadsAsNoUrc) {
    const std::string open = folder_ + "/qzt617";
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0755), 0); // whatever the umask
    app::OwnedUrcLibrary device(urc_, 50ms);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(device.link_state());
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot claim the URC: " + open + " is open to other users"),
              std::string::npos)
        << said;
    EXPECT_TRUE(urc_.calls().empty());
}

} // namespace
