// libtovqel through its C API against a real `urc-sim serve`.
#include "urcmem/image_file.h"
#include "tests/support/server_fixture.h"

#include <tovqel.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using urctest::runUrcSim;
using urctest::ServerProcess;

const std::string kDefaultIdentity = "515A54363137000120240617002A5C";

class Tovqel : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.started()) << "urc-sim serve did not start"; }
    ServerProcess server;
};

TEST_F(Tovqel, LinkVersionAndIdentity) {
    EXPECT_TRUE(link_state());
    std::vector<char> version(TOVQEL_VERSION_BUFFER, 0);
    ASSERT_TRUE(ReadVersion(version.data()));
    EXPECT_EQ(std::string(version.data()).substr(0, 4), "1020");
    std::vector<char> identity(TOVQEL_IDENTITY_BUFFER, 0);
    ASSERT_TRUE(RBasicInfo(identity.data()));
    EXPECT_EQ(std::string(identity.data()).substr(0, 30), kDefaultIdentity);
    EXPECT_TRUE(WCodeTypeData("0011"));
    EXPECT_FALSE(WCodeTypeData("001"));
    EXPECT_FALSE(WCodeTypeData(nullptr));
}

TEST_F(Tovqel, ReadsGiveExactlyTheDigitsAskedFor) {
    std::vector<char> buffer(6 * 16 + 32, 'Z');
    ASSERT_TRUE(readdatav20(buffer.data(), 6, "B0", "00", "08"));
    const std::string text(buffer.begin(), buffer.end());
    EXPECT_EQ(text.substr(0, 30), kDefaultIdentity);
    EXPECT_EQ(text.substr(64, 2), "01"); // firmware major at offset 32
    EXPECT_EQ(text.substr(96), std::string(32, 'Z')) << "wrote past 16 x blocks digits";
    std::vector<char> last(16, 'Z');
    EXPECT_TRUE(readdatav20(last.data(), 1, "ff", "f8", "08"));
}

struct BadRead {
    const char* name;
    int32_t blocks;
    const char* high;
    const char* low;
    const char* unit;
};

TEST_F(Tovqel, RefusesBadReadsWithoutTouchingTheBuffer) {
    const BadRead cases[] = {
        {"zero blocks", 0, "B0", "00", "08"},   {"negative blocks", -3, "B0", "00", "08"},
        {"past 0xFFFF", 2, "FF", "F8", "08"},   {"huge count", INT32_MAX, "00", "00", "08"},
        {"one-digit high", 1, "B", "00", "08"}, {"non-hex low", 1, "B0", "0X", "08"},
        {"null low", 1, "B0", nullptr, "08"},   {"wrong unit", 1, "B0", "00", "8"}};
    for (const auto& c : cases) {
        std::vector<char> buffer(64, 'Z');
        EXPECT_FALSE(readdatav20(buffer.data(), c.blocks, c.high, c.low, c.unit)) << c.name;
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(64, 'Z')) << c.name;
    }
    EXPECT_FALSE(readdatav20(nullptr, 1, "B0", "00", "08"));
}

TEST_F(Tovqel, WritesArePersistedInTheImageFile) {
    ASSERT_TRUE(writedatav20("A5", "20", "10", "CAFE01"));
    EXPECT_TRUE(writedatav20("a5", "20", "13", "00")); // a single byte, lower case
    auto image = urcmem::loadImage(server.imagePath());
    ASSERT_TRUE(image.memory) << image.error;
    EXPECT_EQ(urcmem::toHex(image.memory->read(0x2010, 4)), "CAFE0100");
    std::vector<char> buffer(16, 0);
    ASSERT_TRUE(readdatav20(buffer.data(), 1, "20", "10", "08"));
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "CAFE010000000000");

    EXPECT_FALSE(writedatav20("5A", "20", "10", "00")) << "another selector";
    EXPECT_FALSE(writedatav20("A5", "FF", "FF", "0000")) << "past 0xFFFF";
    EXPECT_FALSE(writedatav20("A5", "20", "10", "123")) << "odd length";
    EXPECT_FALSE(writedatav20("A5", "20", "10", "")) << "no data";
    EXPECT_FALSE(writedatav20("A5", "20", "10", "GG")) << "not hex";
    EXPECT_FALSE(writedatav20("A", "20", "10", "00")) << "short selector";
    EXPECT_EQ(urcmem::toHex(urcmem::loadImage(server.imagePath()).memory->read(0x2010, 4)),
              "CAFE0100");
}

TEST_F(Tovqel, UnpluggedEveryCallIsFalse) {
    ASSERT_EQ(runUrcSim("unplug"), 0);
    std::vector<char> buffer(TOVQEL_CAPTURE_BUFFER, 0);
    EXPECT_FALSE(link_state());
    EXPECT_FALSE(ReadVersion(buffer.data()));
    EXPECT_FALSE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_FALSE(writedatav20("A5", "20", "00", "00"));
    EXPECT_FALSE(SetCodeCarrierWave());
    EXPECT_FALSE(RCollectCodeInfo(buffer.data()));
    EXPECT_FALSE(RBasicInfo(buffer.data()));
    EXPECT_FALSE(WCodeTypeData("00"));
    ASSERT_EQ(runUrcSim("plug"), 0);
    EXPECT_TRUE(link_state());
}

TEST_F(Tovqel, InjectedFaultsFailTheNextCalls) {
    std::vector<char> buffer(16, 0);
    ASSERT_EQ(runUrcSim("fail reads 1"), 0);
    ASSERT_EQ(runUrcSim("fail writes 2"), 0);
    ASSERT_EQ(runUrcSim("fail capture 1"), 0);
    std::string status;
    runUrcSim("status", &status);
    EXPECT_NE(status.find("faults: reads 1, writes 2, capture 1"), std::string::npos) << status;
    EXPECT_FALSE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_TRUE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_FALSE(writedatav20("A5", "20", "00", "11"));
    EXPECT_FALSE(writedatav20("A5", "20", "00", "11"));
    EXPECT_TRUE(writedatav20("A5", "20", "00", "11"));
    EXPECT_FALSE(SetCodeCarrierWave());
    EXPECT_TRUE(SetCodeCarrierWave());
}

// fail KIND N --after K: which calls of a run of six succeed (1) or fail (0).
struct DelayedFaultCase {
    const char* args;
    const char* status; // the faults field while armed
    std::string outcomes;
};

TEST_F(Tovqel, DelayedFaultsLetTheFirstCallsThrough) {
    const DelayedFaultCase cases[] = {
        {"fail writes 1 --after 0", "writes 1,", "011111"},
        {"fail writes 1 --after 1", "writes 1 after 1,", "101111"},
        {"fail writes 2 --after 2", "writes 2 after 2,", "110011"},
        {"fail writes 3 --after 5", "writes 3 after 5,", "111110"},
        {"fail writes 0 --after 2", "writes 0,", "111111"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(runUrcSim(c.args), 0) << c.args;
        std::string status;
        runUrcSim("status", &status);
        EXPECT_NE(status.find(c.status), std::string::npos) << c.args << ": " << status;
        std::string outcomes;
        for (int i = 0; i < 6; ++i)
            outcomes += writedatav20("A5", "20", "00", "11") ? '1' : '0';
        EXPECT_EQ(outcomes, c.outcomes) << c.args;
        ASSERT_EQ(runUrcSim("fail writes 0"), 0); // disarm what a case left over
    }
}

TEST_F(Tovqel, DelayedFaultsCountOnlyTheirOwnKind) {
    std::vector<char> buffer(16, 0);
    ASSERT_EQ(runUrcSim("fail reads 1 --after 2"), 0);
    // Writes and captures in between do not use up the reads that succeed first.
    EXPECT_TRUE(writedatav20("A5", "20", "00", "11"));
    EXPECT_TRUE(SetCodeCarrierWave());
    EXPECT_TRUE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_TRUE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_FALSE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_TRUE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    // Arming again replaces what was pending.
    ASSERT_EQ(runUrcSim("fail reads 5 --after 1"), 0);
    ASSERT_EQ(runUrcSim("fail reads 1"), 0);
    EXPECT_FALSE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_TRUE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
}

TEST_F(Tovqel, ACapturedKeyIsCollectedOnceAndZeroPadded) {
    const std::string capture = "8D0007008300030083007FFF7FFF7FFF1000";
    const auto file = server.folder() / "key.txt";
    std::ofstream(file) << capture << "\n";
    std::vector<char> buffer(TOVQEL_CAPTURE_BUFFER, 'Z');
    ASSERT_TRUE(SetCodeCarrierWave());
    EXPECT_FALSE(RCollectCodeInfo(buffer.data()));
    std::string output;
    ASSERT_EQ(runUrcSim("press --raw " + file.string() + " --hold-ms 500", &output), 0) << output;
    ASSERT_TRUE(RCollectCodeInfo(buffer.data()));
    std::string expected = capture + std::string(TOVQEL_CAPTURE_BUFFER - capture.size(), '\0');
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), expected);
    EXPECT_FALSE(RCollectCodeInfo(buffer.data())) << "capture mode should have ended";
}

TEST_F(Tovqel, APressBeforeCaptureModeIsTakenWhileTheKeyIsHeld) {
    const auto file = server.folder() / "key.txt";
    std::ofstream(file) << "8D00 0700\n";
    ASSERT_EQ(runUrcSim("press --raw " + file.string()), 0); // held 2 s by default
    std::vector<char> buffer(TOVQEL_CAPTURE_BUFFER, 0);
    ASSERT_TRUE(SetCodeCarrierWave());
    ASSERT_TRUE(RCollectCodeInfo(buffer.data()));
    EXPECT_EQ(std::string(buffer.data()), "8D000700");
}

TEST_F(Tovqel, AnIdentityChangeIsSeenByBasicInfo) {
    ASSERT_EQ(runUrcSim("identity 0102030405060708090A0B0C0D0E0F"), 0);
    std::vector<char> identity(TOVQEL_IDENTITY_BUFFER, 0);
    ASSERT_TRUE(RBasicInfo(identity.data()));
    EXPECT_EQ(std::string(identity.data()).substr(0, 30), "0102030405060708090A0B0C0D0E0F");
    EXPECT_EQ(urcmem::loadImage(server.imagePath()).memory->byte(0xB000), 0x01);
    EXPECT_EQ(runUrcSim("identity 0102"), 2);
}

TEST_F(Tovqel, SeveralThreadsCallAtOnce) {
    ASSERT_EQ(runUrcSim("latency 0"), 0);
    std::atomic<int> failures{0};
    auto work = [&](int which) {
        for (int i = 0; i < 40; ++i) {
            std::vector<char> buffer(TOVQEL_IDENTITY_BUFFER, 0);
            bool ok = false;
            if (which == 0) {
                ok = link_state();
            } else if (which == 1) {
                ok = readdatav20(buffer.data(), 6, "B0", "00", "08") &&
                     std::string(buffer.data(), 30) == kDefaultIdentity;
            } else if (which == 2) {
                ok =
                    RBasicInfo(buffer.data()) && std::string(buffer.data(), 30) == kDefaultIdentity;
            } else {
                ok = writedatav20("A5", "21", "00", "AB");
            }
            if (!ok)
                ++failures;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(work, t);
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST_F(Tovqel, WithoutAServerEveryCallIsFalseWithinItsBound) {
    ASSERT_EQ(server.stop(), 0);
    std::vector<char> buffer(TOVQEL_CAPTURE_BUFFER, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link_state());
    EXPECT_FALSE(ReadVersion(buffer.data()));
    EXPECT_FALSE(readdatav20(buffer.data(), 1, "B0", "00", "08"));
    EXPECT_FALSE(writedatav20("A5", "20", "00", "00"));
    EXPECT_FALSE(SetCodeCarrierWave());
    EXPECT_FALSE(RCollectCodeInfo(buffer.data()));
    EXPECT_FALSE(RBasicInfo(buffer.data()));
    EXPECT_FALSE(WCodeTypeData("00"));
    // Each call is bounded by the connect timeout; a vanished server is not waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

struct ProfileCase {
    const char* profile;
    const char* versionPrefix;
    const char* firmwareAndType; // identity digits 64..73
};

// Shown beside the test's name instead of the case's bytes.
void PrintTo(const ProfileCase& c, std::ostream* os) {
    *os << c.profile;
}

class TovqelProfiles : public testing::TestWithParam<ProfileCase> {};

TEST_P(TovqelProfiles, ShowTheirVersionAndIdentityBytes) {
    ServerProcess server(std::string("--profile ") + GetParam().profile);
    ASSERT_TRUE(server.started());
    std::vector<char> version(TOVQEL_VERSION_BUFFER, 0);
    ASSERT_TRUE(ReadVersion(version.data()));
    EXPECT_EQ(std::string(version.data()).substr(0, 4), GetParam().versionPrefix);
    std::vector<char> block(96, 0);
    ASSERT_TRUE(readdatav20(block.data(), 6, "B0", "00", "08"));
    EXPECT_EQ(std::string(block.begin() + 64, block.begin() + 74), GetParam().firmwareAndType);
}

INSTANTIATE_TEST_SUITE_P(All, TovqelProfiles,
                         testing::Values(ProfileCase{"outdated", "1020", "0104008888"},
                                         ProfileCase{"fw2", "1020", "0201001004"},
                                         ProfileCase{"bad-version", "1019", "0104001004"}),
                         [](const testing::TestParamInfo<ProfileCase>& info) {
                             // Test names allow letters, digits and underscores only.
                             std::string name = info.param.profile;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// A socket folder that may not be used is said once on standard error with its
// reason; a folder no server has made yet is no fault and says nothing.
TEST(TovqelSocketFolder, ARefusedFolderIsSaidOnce) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tovqel-XXXXXX").string();
    const std::filesystem::path runtime = ::mkdtemp(pattern.data());
    ::unsetenv("QZT617_URC_SOCKET");
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(link_state());
    const std::string beforeLink = testing::internal::GetCapturedStderr();
    std::filesystem::create_directory(runtime / "elsewhere");
    std::filesystem::create_directory_symlink(runtime / "elsewhere", runtime / "qzt617");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(link_state());
    EXPECT_FALSE(link_state());
    const std::string said = testing::internal::GetCapturedStderr();
    ::unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(runtime);
    EXPECT_EQ(beforeLink, "");
    EXPECT_EQ(said, "tovqel: the URC cannot be reached: " + (runtime / "qzt617").string() +
                        " is a symbolic link; refusing to use it\n");
}

} // namespace
