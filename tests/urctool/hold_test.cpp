// What urc-tool commands hold of the URC: writers own it and are refused,
// naming the owner, while another program does; readers work beside the
// window but not beside another program's writes; --wait waits instead.
#include "urcmem/urc_claim.h"
#include "urctool/errors.h"
#include "urctool/urc_hold.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using urcclaim::Hold;
using urctool::Args;
using namespace std::chrono_literals;

class UrcHoldTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/urctool-hold.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        ::unsetenv("QZT617_URC_SOCKET");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    static urcclaim::UrcLock hold(Hold kind, const std::string& program,
                                  const std::string& command = {}) {
        return urcclaim::take(urcclaim::keyForLinkedUrc(), kind,
                              urcclaim::thisProcess(program, command), 0ms);
    }
    // The refusal holdUrcFor throws, or "" when it holds the URC.
    static std::string refusal(const std::string& command, const Args& args) {
        try {
            const auto held = urctool::holdUrcFor(command, args);
            return held.locks.empty() || !held.locks.front().held() ? "(nothing held)" : "";
        } catch (const urctool::ToolError& e) {
            return e.what();
        }
    }

    std::string folder_;
};

const std::string pid = std::to_string(::getpid());

TEST_F(UrcHoldTest, WritersAreRefusedNamingTheOwnerAndReadersWorkBesideTheWindow) {
    const auto window = hold(Hold::Own, "qzt617");
    ASSERT_TRUE(window.held()) << window.refusal();
    for (const std::string command : {"restore", "set", "learn", "clear"}) {
        const std::string why = refusal(command, {"05"});
        EXPECT_NE(why.find("is owned by qzt617 (pid " + pid + "); nothing was written"),
                  std::string::npos)
            << command << ": " << why;
        EXPECT_NE(why.find("--wait SECONDS"), std::string::npos) << why;
    }
    for (const std::string command : {"backup", "verify", "list", "export", "plot"})
        EXPECT_EQ(refusal(command, {}), "") << command;
    // Asking for help takes nothing of the URC.
    EXPECT_TRUE(urctool::holdUrcFor("set", {"--help"}).locks.empty());
}

TEST_F(UrcHoldTest, ReadersAreRefusedWhileAnotherProgramWrites) {
    const auto owner = hold(Hold::Own, "urc-tool", "restore");
    const auto writing = hold(Hold::Write, "urc-tool", "restore");
    ASSERT_TRUE(writing.held()) << writing.refusal();
    for (const std::string command : {"backup", "verify", "list"})
        EXPECT_NE(refusal(command, {})
                      .find("urc-tool restore (pid " + pid + ") is writing to the URC (" + folder_ +
                            "/qzt617/urc.sock); nothing was read"),
                  std::string::npos)
            << command << ": " << refusal(command, {});
}

TEST_F(UrcHoldTest, AWriterWaitsForTheOwnerWithWait) {
    auto window = hold(Hold::Own, "qzt617");
    ASSERT_TRUE(window.held());
    std::thread closing([&] {
        std::this_thread::sleep_for(300ms);
        window = urcclaim::UrcLock();
    });
    const auto held = urctool::holdUrcFor("set", {"05", "--wait", "20", "--raw", "x"});
    closing.join();
    ASSERT_EQ(held.locks.size(), 2u);
    EXPECT_TRUE(held.locks[0].held() && held.locks[1].held());
    EXPECT_EQ(held.arguments, (Args{"05", "--raw", "x"}));
    EXPECT_EQ(urcclaim::currentOwner(urcclaim::keyForLinkedUrc())->text(),
              "urc-tool set (pid " + pid + ")");
    // A second writer, waiting a second, is refused: the first does not let go.
    const std::string why = refusal("clear", {"--wait=1", "05"});
    EXPECT_NE(why.find("owned by urc-tool set (pid " + pid + ")"), std::string::npos) << why;
    EXPECT_NE(why.find("did not let go in time"), std::string::npos) << why;
}

TEST_F(UrcHoldTest, AWriterGivesAReaderAMomentToFinishWithoutWait) {
    auto reader = hold(Hold::Read, "urc-tool", "backup");
    ASSERT_TRUE(reader.held());
    std::thread finishing([&] {
        std::this_thread::sleep_for(300ms);
        reader = urcclaim::UrcLock();
    });
    ::testing::internal::CaptureStderr();
    const std::string why = refusal("set", {"05"});
    const std::string said = ::testing::internal::GetCapturedStderr();
    finishing.join();
    EXPECT_EQ(why, "");
    EXPECT_NE(said.find("another program is reading the URC"), std::string::npos) << said;
}

TEST_F(UrcHoldTest, AWaitThatIsNotWholeSecondsWithinTheLimitIsAUsageError) {
    for (const Args& args :
         {Args{"--wait"}, Args{"--wait", "x"}, Args{"--wait", "-1"}, Args{"--wait", "3601"},
          Args{"--wait=1.5"}, Args{"--wait", ""}, Args{"--wait", "99999999999"}}) {
        try {
            urctool::holdUrcFor("set", args);
            ADD_FAILURE() << args.back() << " was taken";
        } catch (const urctool::UsageError& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.find("--wait"), 0u) << text;
        }
    }
    EXPECT_EQ(urctool::holdUrcFor("list", {"--", "--wait", "x"}).arguments,
              (Args{"--", "--wait", "x"}));
}

} // namespace
