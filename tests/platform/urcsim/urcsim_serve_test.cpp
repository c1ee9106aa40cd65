// urc-sim serve holding its ground: images that are no files, one server per
// image, the leftovers of a killed server, and a bench that is answered at
// once while a slow link is busy.
#include "urcmem/image_file.h"
#include "platform/urcwire/wire_protocol.h"
#include "platform/urcsim/factory_keys.h"
#include "tests/support/server_fixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using urctest::runUrcSim;
using urctest::ServerProcess;
using Clock = std::chrono::steady_clock;

// A command that would block is ended by `timeout`, which then exits 124.
const std::string kAtMost5s = "timeout 5";

struct Folder {
    fs::path path;
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "urcserve-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
        ::setenv("QZT617_URC_SOCKET", (path / "urc.sock").c_str(), 1);
    }
    ~Folder() { fs::remove_all(path); }
};

TEST(UrcSimImage, WhatIsNoRegularFileIsRefusedAtOnce) {
    Folder dir;
    const fs::path fifo = dir.path / "fifo.img";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir.path / "folder.img");
    for (const fs::path& image : {fifo, dir.path / "folder.img", fs::path("/dev/null")}) {
        for (const char* command : {"check", "serve"}) {
            SCOPED_TRACE(std::string(command) + " " + image.string());
            std::string output;
            EXPECT_EQ(
                runUrcSim(std::string(command) + " --image " + image.string(), &output, kAtMost5s),
                1);
            EXPECT_NE(output.find(image.string() + " is not a regular file"), std::string::npos)
                << output;
        }
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(UrcSimImage, ASecondServerOnTheSameImageIsRefused) {
    ServerProcess server;
    ASSERT_TRUE(server.started());
    // The same image however it is spelt, served on another socket.
    for (const fs::path& image :
         {fs::path(server.imagePath()), server.folder() / "." / "urc.img"}) {
        std::string output;
        EXPECT_EQ(runUrcSim("serve --image " + image.string() + " --socket " +
                                (server.folder() / "other.sock").string(),
                            &output, kAtMost5s),
                  1);
        EXPECT_NE(output.find("another urc-sim already serves the image " + server.imagePath()),
                  std::string::npos)
            << output;
    }
    EXPECT_EQ(runUrcSim("status"), 0) << "the first server must still answer";
}

// The bytes at `address` of the image file; empty when it cannot be read.
std::string imageBytes(const fs::path& image, std::size_t address, std::size_t size) {
    auto loaded = urcmem::loadImage(image.string());
    return loaded.memory ? urcmem::toHex(loaded.memory->read(address, size)) : "";
}

TEST(UrcSimImage, ALinkToTheImageIsOneClaimAndStaysALink) {
    Folder dir;
    const fs::path real = dir.path / "real.img";
    ASSERT_FALSE(urcmem::saveImage(urcsim::factoryImageFor(urcmem::defaultProfile()), real));
    fs::create_symlink("real.img", dir.path / "urc.img");
    ServerProcess server("", dir.path); // serves the link urc.img
    ASSERT_TRUE(server.started());
    const auto write = [&](const std::string& data) {
        return urcwire::call(server.socketPath(), "WRITE A5 2000 " + data).ok();
    };
    ASSERT_TRUE(write("11AA"));
    EXPECT_TRUE(fs::is_symlink(dir.path / "urc.img")) << "a save replaced the link";
    // Every spelling of the image, through the link or not, meets the claim.
    const std::string claimed =
        "another urc-sim already serves the image " + fs::canonical(real).string();
    const std::string inFolder = "cd " + dir.path.string() + " && " + kAtMost5s;
    for (const auto& [image, prefix] : {std::pair{(dir.path / "urc.img").string(), kAtMost5s},
                                        {real.string(), kAtMost5s},
                                        {"urc.img", inFolder},
                                        {"./real.img", inFolder}}) {
        SCOPED_TRACE(image);
        std::string output;
        EXPECT_EQ(
            runUrcSim("serve --image " + image + " --socket " + (dir.path / "other.sock").string(),
                      &output, prefix),
            1);
        EXPECT_NE(output.find(claimed), std::string::npos) << output;
    }
    ASSERT_TRUE(write("22BB"));
    EXPECT_EQ(imageBytes(real, 0x2000, 2), "22BB"); // the save reached the real file
    EXPECT_TRUE(fs::is_symlink(dir.path / "urc.img"));
}

TEST(UrcSimImage, ALinkToNoImageIsRefusedAndLeftALink) {
    Folder dir;
    fs::create_symlink("missing.img", dir.path / "urc.img");
    std::string output;
    EXPECT_EQ(runUrcSim("serve --image " + (dir.path / "urc.img").string(), &output, kAtMost5s), 1);
    EXPECT_NE(output.find("is a link to a file that does not exist"), std::string::npos) << output;
    EXPECT_TRUE(fs::is_symlink(dir.path / "urc.img"));
    EXPECT_FALSE(fs::exists(dir.path / "missing.img"));
}

TEST(UrcSimImage, TheTemporaryFilesOfAKilledServerAreRemoved) {
    Folder dir;
    for (const char* name : {"urc.img.tmp-a1B2c3", "other.img.tmp-a1B2c3", "urc.img.tmp-x"})
        std::ofstream(dir.path / name) << "left";
    ServerProcess server("", dir.path);
    ASSERT_TRUE(server.started());
    EXPECT_FALSE(fs::exists(dir.path / "urc.img.tmp-a1B2c3"));
    EXPECT_TRUE(fs::exists(dir.path / "other.img.tmp-a1B2c3")) << "another image's file";
    EXPECT_TRUE(fs::exists(dir.path / "urc.img.tmp-x")) << "not a name a save makes";
}

// With a second per USB packet, a read of 64 blocks keeps the link busy for
// nine seconds; the bench, the cable and a stop must not wait for it.
TEST(UrcSimLatency, TheBenchAndAStopAreAnsweredWhileTheLinkIsBusy) {
    ServerProcess server("--latency-ms 1000");
    ASSERT_TRUE(server.started());
    const auto slowRead = [&] {
        return std::async(std::launch::async, [path = server.socketPath()] {
            return urcwire::call(path, "READ 0000 64", 1000, 60000);
        });
    };
    const auto seconds = [](Clock::time_point since) {
        return std::chrono::duration<double>(Clock::now() - since).count();
    };
    auto read = slowRead();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (const char* command : {"status", "unplug", "plug"}) {
        SCOPED_TRACE(command);
        const auto start = Clock::now();
        EXPECT_EQ(runUrcSim(command), 0);
        EXPECT_LT(seconds(start), 1.0);
    }
    // Pulling the cable ended the transfer in flight.
    ASSERT_EQ(read.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    const urcwire::Reply cut = read.get();
    EXPECT_EQ(cut.status, urcwire::CallStatus::Refused);
    EXPECT_NE(cut.text.find("unplugged"), std::string::npos) << cut.text;

    auto another = slowRead();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = Clock::now();
    EXPECT_EQ(server.stop(), 0);
    EXPECT_LT(seconds(start), 1.0);
    EXPECT_NE(another.get().status, urcwire::CallStatus::Ok);
}

} // namespace
