// urc-sim's command line: check on image files, the socket's ownership rules,
// and clear refusals of bad arguments.
#include "urcmem/image_file.h"
#include "platform/urcsim/factory_keys.h"
#include "tests/support/server_fixture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using urctest::runUrcSim;
using urctest::ServerProcess;

struct Folder {
    std::filesystem::path path;
    Folder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "urccli-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        ::setenv("QZT617_URC_SOCKET", (path / "urc.sock").c_str(), 1);
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

TEST(UrcSimCheck, PassesOnAFactoryImageFile) {
    Folder dir;
    const auto image = (dir.path / "u.img").string();
    ASSERT_EQ(urcmem::saveImage(urcsim::factoryImageFor(urcmem::defaultProfile()), image),
              std::nullopt);
    std::string output;
    EXPECT_EQ(runUrcSim("check --image " + image, &output), 0);
    EXPECT_EQ(output, "ok\n");
}

TEST(UrcSimCheck, FailsNamingTheViolationOnABrokenImage) {
    Folder dir;
    auto memory = urcsim::factoryImageFor(urcmem::defaultProfile());
    // Key record 2 claims a learned code kept in storage that nothing allocates.
    const std::vector<uint8_t> record = {0xC0, 0x00, 0x80, 0x2A, 0x00, 0x01};
    memory.write(0x1200 + 22 * 2, record);
    const auto image = (dir.path / "broken.img").string();
    ASSERT_EQ(urcmem::saveImage(memory, image), std::nullopt);
    std::string output;
    EXPECT_EQ(runUrcSim("check --image " + image, &output), 1);
    EXPECT_NE(output.find("key 02 (record 2) refers to stored code 2A0001"), std::string::npos)
        << output;
}

TEST(UrcSimCheck, RefusesAnImageOfTheWrongSize) {
    Folder dir;
    const auto image = dir.path / "short.img";
    { std::ofstream(image) << "short"; }
    std::string output;
    EXPECT_EQ(runUrcSim("check --image " + image.string(), &output), 1);
    EXPECT_NE(output.find("exactly 65536 bytes"), std::string::npos) << output;
    EXPECT_EQ(runUrcSim("serve --image " + image.string(), &output), 1);
    EXPECT_NE(output.find("exactly 65536 bytes"), std::string::npos) << output;
    EXPECT_EQ(std::filesystem::file_size(image), 5u) << "a refused image must stay untouched";
}

TEST(UrcSimServe, ChecksTheRunningServersMemoryAndDumps) {
    ServerProcess server;
    ASSERT_TRUE(server.started());
    std::string output;
    EXPECT_EQ(runUrcSim("check", &output), 0);
    EXPECT_EQ(output, "ok\n");
    EXPECT_EQ(runUrcSim("dump 0xB03C 0x10", &output), 0);
    EXPECT_EQ(output, "0010000000000080A500000000000000\n");
    EXPECT_EQ(runUrcSim("dump FFFF 2", &output), 2);
}

TEST(UrcSimServe, RefusesASecondServerOnTheSameSocket) {
    ServerProcess server;
    ASSERT_TRUE(server.started());
    std::string output;
    EXPECT_EQ(runUrcSim("serve --image " + (server.folder() / "other.img").string(), &output), 1);
    EXPECT_NE(output.find("already serves"), std::string::npos) << output;
    EXPECT_EQ(runUrcSim("status"), 0) << "the first server must still answer";
}

TEST(UrcSimServe, ReplacesAStaleSocketFile) {
    Folder dir;
    const auto path = dir.path / "urc.sock";
    // A socket file whose server is gone.
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.string().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));
    ServerProcess server("", dir.path);
    EXPECT_TRUE(server.started()) << "serve should have replaced the stale socket";
    EXPECT_EQ(runUrcSim("status"), 0);
}

TEST(UrcSimServe, RefusesToReplaceAFileThatIsNoSocket) {
    Folder dir;
    { std::ofstream(dir.path / "urc.sock") << "precious"; }
    std::string output;
    EXPECT_EQ(runUrcSim("serve --image " + (dir.path / "u.img").string(), &output), 1);
    EXPECT_NE(output.find("is not a socket"), std::string::npos) << output;
    EXPECT_EQ(std::filesystem::file_size(dir.path / "urc.sock"), 8u);
}

struct UsageCase {
    const char* args;
    int status;
    const char* message;
};

TEST(UrcSimUsage, BadArgumentsGetAMessageAndANonZeroExit) {
    Folder dir; // no server runs here
    const UsageCase cases[] = {
        {"", 2, "no command given"},
        {"frobnicate", 2, "unknown command frobnicate"},
        {"dump B000", 2, "dump takes 2 arguments"},
        {"dump XYZ 10", 2, "ADDR must be a hexadecimal number"},
        {"fail sometimes 3", 2, "fail takes reads, writes or capture"},
        {"fail reads many", 2, "N must be a whole number"},
        {"fail reads 1 --after x", 2, "--after K must be a whole number from 0 to 1000000"},
        {"fail reads 1 --after -1", 2, "--after K must be a whole number"},
        {"fail reads 1 --after 1000001", 2, "--after K must be a whole number"},
        {"fail reads 1 --after", 2, "--after needs a value"},
        {"fail reads --after 2", 2, "fail takes 2 arguments"},
        {"identity 12345", 2, "identity takes 30 hexadecimal digits"},
        {"press", 2, "press needs PROTOCOL DEVICE COMMAND or --raw FILE"},
        {"press --raw", 2, "--raw needs a value"},
        {"serve --profile purple", 2, "unknown profile purple"},
        {"serve --latency-ms x", 2, "--latency-ms must be a whole number"},
        {"serve --ir /dev/lirc0 --ir-rx /dev/lirc1", 2, "--ir names one device for both ways"},
        {"serve --ir-tx", 2, "--ir-tx needs a value"},
        {"serve --ir /dev/null", 1, "/dev/null is not a LIRC infrared device"},
        {"serve --ir-tx /dev/null", 1, "/dev/null is not a LIRC infrared device"},
        {"serve --ir-rx /nonexistent/lirc9", 1,
         "cannot open /nonexistent/lirc9 for receiving: No such file or directory"},
        {"serve --ir-rx /", 1, "/ is not a character device, so not a LIRC infrared device"},
        {"status --bogus 1", 2, "unknown option --bogus"},
        {"status", 3, "no URC server is running on"},
        {"plug", 3, "no URC server is running on"},
        {"press --raw /nonexistent/capture.txt", 1, "cannot open the capture file"},
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(runUrcSim(c.args, &output), c.status) << c.args << "\n" << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << c.args << "\n" << output;
    }
}

} // namespace
