// Loading and atomically saving image files; the socket path and line helpers.
#include "urcmem/image_file.h"
#include "platform/urcwire/socket_path.h"
#include "platform/urcwire/wire_protocol.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "urcmem-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path); }
};

TEST(ImageFile, SavesAndLoadsTheSameBytesLeavingNoTemporaryFile) {
    TempFolder dir;
    urcmem::Memory m;
    m.setByte(0, 0x11);
    m.setWord(0xFFFE, 0xBEEF);
    const std::string path = (dir.path / "u.img").string();
    ASSERT_EQ(urcmem::saveImage(m, path), std::nullopt);
    EXPECT_EQ(fs::file_size(path), 65536u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
    auto loaded = urcmem::loadImage(path);
    ASSERT_TRUE(loaded.memory) << loaded.error;
    EXPECT_EQ(*loaded.memory, m);
}

TEST(ImageFile, RefusesAFileOfAnotherSize) {
    TempFolder dir;
    for (std::size_t size : {0ul, 65535ul, 65537ul}) {
        const auto path = dir.path / "short.img";
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
        auto loaded = urcmem::loadImage(path.string());
        EXPECT_FALSE(loaded.memory);
        EXPECT_NE(loaded.error.find("exactly 65536 bytes"), std::string::npos) << loaded.error;
    }
    EXPECT_FALSE(urcmem::loadImage((dir.path / "missing.img").string()).memory);
}

TEST(ImageFile, ReportsAFolderThatCannotBeWritten) {
    auto problem = urcmem::saveImage(urcmem::Memory{}, "/nonexistent-folder/u.img");
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("/nonexistent-folder/u.img"), std::string::npos);
}

TEST(Memory, RefusesAccessPastTheAddressSpace) {
    urcmem::Memory m;
    EXPECT_THROW(m.word(0xFFFF), std::out_of_range);
    EXPECT_THROW(m.read(0xFFF0, 17), std::out_of_range);
    EXPECT_NO_THROW(m.read(0xFFF0, 16));
    EXPECT_TRUE(urcmem::Memory::inRange(0, 65536));
    EXPECT_FALSE(urcmem::Memory::inRange(1, 65536));
}

TEST(HexBytes, ParsesEvenHexOnly) {
    EXPECT_EQ(urcmem::parseHexBytes("00aF"), (std::vector<uint8_t>{0x00, 0xAF}));
    EXPECT_FALSE(urcmem::parseHexBytes("0"));
    EXPECT_FALSE(urcmem::parseHexBytes("0G"));
    EXPECT_EQ(urcmem::toHex(std::vector<uint8_t>{0xAB, 0x01}), "AB01");
}

struct ArgCase {
    const char* text;
    bool twoDigits;
    bool evenHex;
};

TEST(WireArguments, AreValidatedStrictly) {
    const ArgCase cases[] = {{"08", true, true},    {"aF", true, true},    {"0", false, false},
                             {"123", false, false}, {"G0", false, false},  {"", false, false},
                             {"0000", false, true}, {"00 0", false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(urcwire::isTwoHexDigits(c.text), c.twoDigits) << c.text;
        EXPECT_EQ(urcwire::isEvenHex(c.text), c.evenHex) << c.text;
    }
    EXPECT_EQ(urcwire::parseDecimal("1000", 1000), 1000);
    EXPECT_FALSE(urcwire::parseDecimal("1001", 1000));
    EXPECT_FALSE(urcwire::parseDecimal("-1", 1000));
    EXPECT_FALSE(urcwire::parseDecimal("", 1000));
}

TEST(WireReplies, ParseIntoStatusAndText) {
    EXPECT_EQ(urcwire::parseReply("OK").status, urcwire::CallStatus::Ok);
    auto ok = urcwire::parseReply("OK 1020 x");
    EXPECT_EQ(ok.text, "1020 x");
    auto err = urcwire::parseReply("ERR nope");
    EXPECT_EQ(err.status, urcwire::CallStatus::Refused);
    EXPECT_EQ(err.text, "nope");
    EXPECT_EQ(urcwire::parseReply("garbage").status, urcwire::CallStatus::Failed);
    EXPECT_EQ(urcwire::errorLine("a\nb"), "ERR a b\n");
    EXPECT_EQ(urcwire::splitWords("  READ B000  6 "),
              (std::vector<std::string>{"READ", "B000", "6"}));
}

class SocketPathTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"QZT617_URC_SOCKET", "XDG_RUNTIME_DIR"})
            if (const char* v = std::getenv(name))
                saved_.emplace_back(name, v);
        ::unsetenv("QZT617_URC_SOCKET");
    }
    void TearDown() override {
        ::unsetenv("QZT617_URC_SOCKET");
        ::unsetenv("XDG_RUNTIME_DIR");
        for (auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
    }
    TempFolder dir;
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(SocketPathTest, TheVariableWins) {
    ::setenv("QZT617_URC_SOCKET", "/some/where.sock", 1);
    EXPECT_EQ(urcwire::resolveSocketPath(false).path, "/some/where.sock");
}

TEST_F(SocketPathTest, TheRuntimeFolderIsCreatedPrivate) {
    ::setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    EXPECT_TRUE(urcwire::resolveSocketPath(false).path.empty()); // clients don't create it
    auto resolved = urcwire::resolveSocketPath(true);
    EXPECT_EQ(resolved.path, (dir.path / "qzt617/urc.sock").string()) << resolved.error;
    struct stat info {};
    ASSERT_EQ(::stat((dir.path / "qzt617").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(SocketPathTest, ALinkOrAnOpenFolderIsRefused) {
    ::setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    fs::create_directory(dir.path / "elsewhere");
    fs::create_directory_symlink(dir.path / "elsewhere", dir.path / "qzt617");
    auto linked = urcwire::resolveSocketPath(true);
    EXPECT_TRUE(linked.path.empty());
    EXPECT_NE(linked.error.find("symbolic link"), std::string::npos) << linked.error;
    fs::remove(dir.path / "qzt617");
    fs::create_directory(dir.path / "qzt617");
    ::chmod((dir.path / "qzt617").c_str(), 0755);
    auto open = urcwire::resolveSocketPath(true);
    EXPECT_TRUE(open.path.empty());
    EXPECT_NE(open.error.find("0755"), std::string::npos) << open.error;
}

TEST(WireCall, NoServerIsReportedQuickly) {
    TempFolder dir;
    auto reply = urcwire::call((dir.path / "none.sock").string(), "LINK");
    EXPECT_EQ(reply.status, urcwire::CallStatus::NoServer);
}

} // namespace
