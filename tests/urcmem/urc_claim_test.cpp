// The URC's single owner: one claim per URC whatever its path is spelled as,
// held against other file descriptions and other processes, naming its owner,
// dropped by the kernel when the owner dies, and waited for within a bound.
#include "urcmem/urc_claim.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using urcclaim::Hold;
namespace fs = std::filesystem;

class UrcClaimTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/urc-claim-test.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
        fs::create_directory(folder_ + "/real");
        fs::create_directory_symlink(folder_ + "/real", folder_ + "/linked");
        std::ofstream(folder_ + "/real/urc.sock") << ""; // a file stands in for the socket
        fs::create_symlink(folder_ + "/real/urc.sock", folder_ + "/real/other.sock");
    }
    void TearDown() override { fs::remove_all(folder_); }

    urcclaim::ClaimKey key() const { return urcclaim::keyFor(folder_ + "/real/urc.sock"); }
    static urcclaim::UrcLock take(const urcclaim::ClaimKey& key, Hold hold,
                                  std::chrono::milliseconds wait = 0ms) {
        return urcclaim::take(key, hold, urcclaim::thisProcess("urc-tool", "restore"), wait);
    }

    std::string folder_;
};

// A child that holds the URC's claim as the window program until `release`
// is written to (or the child is killed); the parent learns it holds it.
struct ClaimingChild {
    pid_t pid = -1;
    int release = -1;
};

ClaimingChild startClaimingChild(const urcclaim::ClaimKey& key) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto lock = urcclaim::take(key, Hold::Own, urcclaim::thisProcess("qzt617"), 0ms);
        const char held = lock.held() ? 'y' : 'n';
        (void)!::write(ready[1], &held, 1);
        ::close(release[1]); // or the child would keep its own pipe open
        char ignored;
        (void)!::read(release[0], &ignored, 1);
        ::_exit(0);
    }
    char held = 'n';
    (void)!::read(ready[0], &held, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    ::close(release[0]);
    if (held != 'y')
        return {};
    return {pid, release[1]};
}

TEST_F(UrcClaimTest, EverySpellingOfTheUrcIsOneClaim) {
    const std::string expected = folder_ + "/real/urc.sock.lock";
    for (const std::string& spelling :
         {folder_ + "/real/urc.sock", folder_ + "/linked/urc.sock", folder_ + "/real/./urc.sock",
          folder_ + "/linked/../real//urc.sock", folder_ + "/real/other.sock"}) {
        const auto key = urcclaim::keyFor(spelling);
        EXPECT_EQ(key.error, "") << spelling;
        EXPECT_EQ(key.urc, folder_ + "/real/urc.sock") << spelling;
        EXPECT_EQ(key.lockFile, expected) << spelling;
    }
    // A URC that is not there yet (no server has made its socket) in a linked folder.
    EXPECT_EQ(urcclaim::keyFor(folder_ + "/linked/later.sock").urc, folder_ + "/real/later.sock");

    const auto held = take(urcclaim::keyFor(folder_ + "/linked/urc.sock"), Hold::Own);
    ASSERT_TRUE(held.held()) << held.refusal();
    EXPECT_TRUE(take(urcclaim::keyFor(folder_ + "/real/other.sock"), Hold::Own).busy());
}

TEST_F(UrcClaimTest, ADeviceNodeKeysALockFileInAGivenFolder) {
    fs::create_symlink("/dev/null", folder_ + "/remote");
    const auto direct = urcclaim::keyFor("/dev/null", folder_);
    EXPECT_EQ(direct.lockFile, folder_ + "/%2Fdev%2Fnull.lock");
    EXPECT_EQ(urcclaim::keyFor(folder_ + "/remote", folder_).lockFile, direct.lockFile);
    // Escaping keeps distinct paths apart.
    fs::create_directory(folder_ + "/real/a");
    EXPECT_NE(urcclaim::keyFor(folder_ + "/real/a/b", folder_).lockFile,
              urcclaim::keyFor(folder_ + "/real/a%2Fb", folder_).lockFile);
    EXPECT_NE(urcclaim::keyFor(folder_ + "/nowhere/urc.sock").error, "");
    EXPECT_NE(urcclaim::keyFor(folder_ + "/real/..").error, "");
    EXPECT_NE(urcclaim::keyFor("").error, "");
}

TEST_F(UrcClaimTest, TwoFileDescriptionsCannotBothOwnTheUrc) {
    auto first = take(key(), Hold::Own);
    ASSERT_TRUE(first.held()) << first.refusal();
    const auto second = take(key(), Hold::Own);
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(second.busy());
    EXPECT_EQ(second.refusal(), "the URC (" + key().urc + ") is owned by urc-tool restore (pid " +
                                    std::to_string(::getpid()) + ")");
    first = urcclaim::UrcLock();
    EXPECT_FALSE(urcclaim::currentOwner(key()).has_value()); // the record goes with the claim
    EXPECT_TRUE(take(key(), Hold::Own).held());
}

TEST_F(UrcClaimTest, AnotherProcessOwnsTheUrcUntilItDies) {
    const ClaimingChild child = startClaimingChild(key());
    ASSERT_GT(child.pid, 0);
    const auto refused = take(key(), Hold::Own);
    EXPECT_TRUE(refused.busy());
    EXPECT_NE(refused.refusal().find("qzt617 (pid " + std::to_string(child.pid) + ")"),
              std::string::npos)
        << refused.refusal();
    const auto owner = urcclaim::currentOwner(key());
    ASSERT_TRUE(owner.has_value());
    EXPECT_EQ(owner->program, "qzt617");
    EXPECT_EQ(owner->pid, child.pid);
    // Killed, it cannot clear its record; the kernel drops its lock all the same.
    ::kill(child.pid, SIGKILL);
    ::waitpid(child.pid, nullptr, 0);
    ::close(child.release);
    EXPECT_FALSE(urcclaim::currentOwner(key()).has_value());
    EXPECT_TRUE(take(key(), Hold::Own).held());
}

TEST_F(UrcClaimTest, AWaitEndsWhenTheOwnerLetsGoOrAtItsBound) {
    const ClaimingChild child = startClaimingChild(key());
    ASSERT_GT(child.pid, 0);
    EXPECT_TRUE(take(key(), Hold::Own, 50ms).busy()); // the owner does not let go
    std::string told;
    int tellings = 0;
    const auto me = urcclaim::thisProcess("urc-tool", "set");
    // The child lets go once the parent has begun to wait.
    const auto waited = urcclaim::take(key(), Hold::Own, me, 20s, [&](const std::string& why) {
        told = why;
        ++tellings;
        (void)!::write(child.release, "x", 1);
    });
    ::waitpid(child.pid, nullptr, 0);
    ::close(child.release);
    EXPECT_TRUE(waited.held()) << waited.refusal();
    EXPECT_EQ(tellings, 1);
    EXPECT_NE(told.find("owned by qzt617"), std::string::npos) << told;
    EXPECT_EQ(urcclaim::currentOwner(key())->text(),
              "urc-tool set (pid " + std::to_string(::getpid()) + ")");
}

TEST_F(UrcClaimTest, ReadersShareTheUrcAndMeetNoHalfDoneWrite) {
    const auto owner = take(key(), Hold::Own);
    ASSERT_TRUE(owner.held());
    {
        // Beside an owner that is not writing (the window between its writes).
        const auto reader = take(key(), Hold::Read);
        EXPECT_TRUE(reader.held()) << reader.refusal();
        EXPECT_TRUE(take(key(), Hold::Read).held());
        const auto writing = take(key(), Hold::Write);
        EXPECT_TRUE(writing.busy());
        EXPECT_EQ(writing.refusal(), "another program is reading the URC (" + key().urc + ")");
    }
    const auto writing = take(key(), Hold::Write);
    ASSERT_TRUE(writing.held()) << writing.refusal();
    const auto reader = take(key(), Hold::Read);
    EXPECT_TRUE(reader.busy());
    EXPECT_EQ(reader.refusal().rfind("urc-tool restore (pid ", 0), 0u) << reader.refusal();
    EXPECT_NE(reader.refusal().find("is writing to the URC"), std::string::npos);
}

TEST_F(UrcClaimTest, ALockFileThatIsNotAPlainFileOfTheUsersIsRefused) {
    fs::create_symlink(folder_ + "/elsewhere", folder_ + "/real/urc.sock.lock");
    const auto linked = take(key(), Hold::Own);
    EXPECT_FALSE(linked.held());
    EXPECT_FALSE(linked.busy());
    EXPECT_NE(linked.refusal().find("cannot open the URC's lock file"), std::string::npos)
        << linked.refusal();
    EXPECT_FALSE(fs::exists(folder_ + "/elsewhere")); // the link was not followed
    fs::remove(folder_ + "/real/urc.sock.lock");
    fs::create_directory(folder_ + "/real/urc.sock.lock");
    EXPECT_FALSE(take(key(), Hold::Read).held());
}

TEST_F(UrcClaimTest, TheLinkedUrcIsKeyedByItsSocketNotByTheRuntimeFolder) {
    fs::create_directory(folder_ + "/run1");
    fs::create_directory(folder_ + "/run2");
    ::setenv("QZT617_URC_SOCKET", (folder_ + "/real/urc.sock").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder_ + "/run1").c_str(), 1);
    const auto first = urcclaim::keyForLinkedUrc();
    ::setenv("QZT617_URC_SOCKET", (folder_ + "/linked/urc.sock").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder_ + "/run2").c_str(), 1);
    const auto second = urcclaim::keyForLinkedUrc();
    ::unsetenv("QZT617_URC_SOCKET");
    // Without the variable: the socket in the per-user folder, made as a server makes it.
    const auto own = urcclaim::keyForLinkedUrc();
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(first.lockFile, folder_ + "/real/urc.sock.lock");
    EXPECT_EQ(second.lockFile, first.lockFile);
    EXPECT_EQ(own.error, "");
    EXPECT_EQ(own.urc, folder_ + "/run2/qzt617/urc.sock");
}

TEST_F(UrcClaimTest, AUsbUrcIsKeyedByItsIdsAndSerialNumber) {
    struct Row {
        std::string serial;
        std::string urc;
        std::string lockName;
    };
    for (const Row& row :
         std::initializer_list<Row>{{"A1B2", "usb:1209:0001:A1B2", "usb-1209-0001-A1B2.lock"},
                                    {"", "usb:1209:0001", "usb-1209-0001.lock"},
                                    {"x/y", "usb:1209:0001:x/y", "usb-1209-0001-x%2Fy.lock"},
                                    {"a b%", "usb:1209:0001:a b%", "usb-1209-0001-a%20b%25.lock"},
                                    {"..", "usb:1209:0001:..", "usb-1209-0001-...lock"},
                                    {"t\n", "usb:1209:0001:t?", "usb-1209-0001-t%0A.lock"}}) {
        const auto key = urcclaim::keyForUsb(0x1209, 0x0001, row.serial, folder_);
        EXPECT_EQ(key.error, "") << row.serial;
        EXPECT_EQ(key.urc, row.urc);
        EXPECT_EQ(key.lockFile, folder_ + "/" + row.lockName);
    }
    // Escaping keeps distinct serial numbers apart.
    EXPECT_NE(urcclaim::keyForUsb(0x1209, 1, "a b", folder_).lockFile,
              urcclaim::keyForUsb(0x1209, 1, "a_b", folder_).lockFile);
    EXPECT_NE(urcclaim::keyForUsb(0x1209, 1, "%20", folder_).lockFile,
              urcclaim::keyForUsb(0x1209, 1, " ", folder_).lockFile);
    const auto overlong = urcclaim::keyForUsb(0x1209, 1, std::string(300, 'S'), folder_);
    EXPECT_EQ(overlong.lockFile, "");
    EXPECT_NE(overlong.error.find("too long (300 bytes)"), std::string::npos) << overlong.error;
    EXPECT_NE(urcclaim::keyForUsb(0x1209, 1, "A", "").error, "");
}

// A URC plugged in again comes back under another node with the same serial
// number: its owner still holds it; another URC is another claim.
TEST_F(UrcClaimTest, TheLinkedUsbUrcKeepsItsClaimAcrossAReplug) {
    ::unsetenv("QZT617_URC_SOCKET");
    ::setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    auto plugged = [](std::string serial, std::string devnode) {
        return [=] {
            urcwire::usb::HidrawDevice urc;
            urc.devnode = devnode;
            urc.vendor = 0x1209;
            urc.product = 0x0001;
            urc.serial = serial;
            return urcwire::usb::chooseUrc({urc});
        };
    };
    const auto before = urcclaim::keyForLinkedUrc(plugged("S1", "/dev/hidraw0"));
    const auto after = urcclaim::keyForLinkedUrc(plugged("S1", "/dev/hidraw4"));
    const auto other = urcclaim::keyForLinkedUrc(plugged("S2", "/dev/hidraw0"));
    ::setenv("QZT617_URC_SOCKET", (folder_ + "/real/urc.sock").c_str(), 1);
    const auto chosenSocket = urcclaim::keyForLinkedUrc(plugged("S1", "/dev/hidraw0"));
    ::unsetenv("QZT617_URC_SOCKET");
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_EQ(before.error, "");
    EXPECT_EQ(before.urc, "usb:1209:0001:S1");
    EXPECT_EQ(before.lockFile, folder_ + "/qzt617/usb-1209-0001-S1.lock");
    EXPECT_EQ(after.lockFile, before.lockFile);
    EXPECT_EQ(chosenSocket.lockFile, folder_ + "/real/urc.sock.lock");
    const auto held = take(before, Hold::Own);
    ASSERT_TRUE(held.held()) << held.refusal();
    const auto again = take(after, Hold::Own);
    EXPECT_TRUE(again.busy());
    EXPECT_EQ(again.refusal(), "the URC (usb:1209:0001:S1) is owned by urc-tool restore (pid " +
                                   std::to_string(::getpid()) + ")");
    EXPECT_TRUE(take(other, Hold::Own).held());
}

} // namespace
