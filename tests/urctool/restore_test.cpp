// Restoring against an in-process URC: the planned writes keep the URC
// consistent after every one of them, planning again from any point completes
// the restore, and backups of another URC or with broken tables are refused.
#include "platform/irform/code_form.h"
#include "platform/urcmem/image_check.h"
#include "platform/urcmem/memory_map.h"
#include "tests/support/scripted_urc.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/restore_plan.h"
#include "urctool/urc_access.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using urctool::Args;

// A private per-user folder for the tests.
class UrcToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/urctool-test.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        testsupport::buildTestImage(urc_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    void run(const Args& args) {
        ASSERT_EQ(urctool::setCommand(urc_, args), urctool::kExitOk) << args[0];
    }
    urcmem::Memory memory() const {
        urcmem::Memory m;
        m.write(0, std::vector<uint8_t>(urc_.memory.begin(), urc_.memory.end()));
        return m;
    }
    void load(const urcmem::Memory& m) { urc_.setBytes(0, m.read(0, urcmem::kMemorySize)); }

    std::string folder_;
    testsupport::ScriptedUrc urc_;
};

// What key i sends in an image: its code's description, "" without one,
// "(unreadable)" when its data no longer matches its record.
std::string sends(const urcmem::Memory& m, const urcmem::Header& h, int i) {
    const urctool::Snapshot s{{}, h, m};
    const auto record = urcmem::keyRecord(m, h, i);
    if (!record || !record->holdsCode())
        return {};
    const std::string text =
        irform::describeStoredCode(urctool::recordDigits(s, i), urctool::storageDigits(s, i));
    return text.empty() ? "(unreadable)" : text;
}

std::string raw(int bits, int spread) {
    std::string text = "raw 38000 +3500 -1750";
    for (int i = 0; i < bits; ++i)
        text += " +500 -" + std::to_string(400 + 90 * (i % spread));
    return text + " +500";
}

struct Scene {
    const char* name;
    std::vector<Args> backup; // set commands from a fresh URC
    std::vector<Args> change; // then, from a fresh URC again
};

const Scene kScenes[] = {
    {"raw codes swap blocks",
     {{"05", "--raw", raw(24, 3)},
      {"06", "--raw", raw(40, 5)},
      {"07", "--protocol", "nec", "1", "2"}},
     {{"06", "--raw", raw(36, 4)},
      {"11", "--raw", raw(20, 6)},
      {"05", "--protocol", "rc5", "3", "4"}}},
    {"backup empty, URC full of raw codes",
     {},
     {{"05", "--raw", raw(24, 3)}, {"06", "--raw", raw(40, 5)}, {"10", "--raw", raw(16, 2)}}},
    {"same code kept, others change",
     {{"05", "--raw", raw(24, 3)}, {"06", "--raw", raw(30, 5)}},
     {{"05", "--raw", raw(24, 3)},
      {"06", "--protocol", "sirc12", "1", "9"},
      {"07", "--raw", raw(30, 5)}}},
};

void PrintTo(const Scene& scene, std::ostream* out) {
    *out << scene.name;
}

class RestoreScenes : public UrcToolTest, public ::testing::WithParamInterface<Scene> {};

TEST_P(RestoreScenes, EveryPrefixOfThePlanIsConsistentAndReplanningCompletesIt) {
    const urcmem::Memory fresh = memory();
    for (const auto& args : GetParam().backup)
        run(args);
    const urcmem::Memory backup = memory();
    load(fresh);
    for (const auto& args : GetParam().change)
        run(args);
    const urcmem::Memory changed = memory();
    const auto header = urcmem::readHeader(changed);
    ASSERT_TRUE(header);

    const auto plan = urctool::planRestore(changed, backup, *header);
    ASSERT_TRUE(plan.problem.empty()) << plan.problem;
    urcmem::Memory work = changed;
    for (std::size_t k = 0; k <= plan.writes.size(); ++k) {
        ASSERT_EQ(urcmem::checkImage(work), std::nullopt) << "after write " << k;
        // Every key sends its old code, its backed-up code, or nothing.
        for (int i = 0; i < header->keyCount; ++i) {
            const std::string now = sends(work, *header, i);
            EXPECT_TRUE(now.empty() || now == sends(changed, *header, i) ||
                        now == sends(backup, *header, i))
                << "key " << i << " after write " << k << ": " << now;
        }
        const auto rest = urctool::planRestore(work, backup, *header);
        urcmem::Memory done = work;
        for (const auto& w : rest.writes)
            done.write(w.address, w.bytes);
        EXPECT_EQ(done, backup) << "replanned after write " << k;
        if (k < plan.writes.size())
            work.write(plan.writes[k].address, plan.writes[k].bytes);
    }
    EXPECT_EQ(work, backup);
    EXPECT_TRUE(urctool::planRestore(backup, backup, *header).writes.empty());
}

INSTANTIATE_TEST_SUITE_P(Restore, RestoreScenes, ::testing::ValuesIn(kScenes),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST_F(UrcToolTest, RestoreThroughTheLibraryWritesAndVerifies) {
    const std::string file = folder_ + "/backup.img";
    ASSERT_EQ(urctool::backupCommand(urc_, {file, "--quiet"}), urctool::kExitOk);
    const urcmem::Memory backup = memory();
    run({"05", "--raw", raw(24, 3)});
    EXPECT_EQ(urctool::verifyCommand(urc_, {file, "--quiet"}), urctool::kExitFailed);
    EXPECT_EQ(urctool::restoreCommand(urc_, {file, "--quiet"}), urctool::kExitOk);
    EXPECT_EQ(memory(), backup);
    EXPECT_EQ(urctool::verifyCommand(urc_, {file, "--quiet"}), urctool::kExitOk);
}

TEST_F(UrcToolTest, AFailedWriteStopsTheRestoreAndRunningItAgainCompletesIt) {
    const std::string file = folder_ + "/backup.img";
    run({"05", "--raw", raw(24, 3)});
    ASSERT_EQ(urctool::backupCommand(urc_, {file, "--quiet"}), urctool::kExitOk);
    const urcmem::Memory backup = memory();
    run({"05", "--raw", raw(30, 4)});
    run({"06", "--raw", raw(20, 2)});
    const urcmem::Memory changed = memory();
    const auto plan = urctool::planRestore(changed, backup, *urcmem::readHeader(changed));
    ASSERT_GE(plan.writes.size(), 3u);
    for (const auto& failing : plan.writes) {
        testsupport::ScriptedUrc urc;
        urc.setBytes(0, changed.read(0, urcmem::kMemorySize));
        urc.failWritesAt(failing.address);
        EXPECT_THROW(urctool::restoreCommand(urc, {file, "--quiet"}), urctool::ToolError);
        urcmem::Memory after;
        after.write(0, urc.bytes(0, urcmem::kMemorySize));
        EXPECT_EQ(urcmem::checkImage(after), std::nullopt) << std::hex << failing.address;
        load(after);
        EXPECT_EQ(urctool::restoreCommand(urc_, {file, "--quiet"}), urctool::kExitOk);
        EXPECT_EQ(memory(), backup);
    }
}

TEST_F(UrcToolTest, ABackupOfAnotherUrcOrLayoutIsRefusedUnlessForced) {
    const std::string file = folder_ + "/backup.img";
    run({"05", "--protocol", "nec", "1", "2"});
    ASSERT_EQ(urctool::backupCommand(urc_, {file, "--quiet"}), urctool::kExitOk);
    const urcmem::Memory backup = memory();
    struct Change {
        int address;
        uint8_t value;
    };
    const auto header = *urcmem::readHeader(backup);
    for (const Change change : {Change{urcmem::kIdentityAddress + 3, 0x5A},
                                Change{urcmem::kIdentityAddress + urcmem::kTypeCodeOffset, 0x11},
                                Change{header.headerAddress + 7, 63}}) {
        load(backup);
        urc_.setBytes(change.address, {change.value});
        urc_.setBytes(header.keyTableAddress, {0x00}); // key 00 emptied
        const urcmem::Memory before = memory();
        EXPECT_THROW(urctool::restoreCommand(urc_, {file, "--quiet"}), urctool::ToolError)
            << std::hex << change.address;
        EXPECT_EQ(memory(), before) << "a refused restore wrote";
    }
    // Another URC of the same layout: forced, the key comes back.
    load(backup);
    urc_.setBytes(urcmem::kIdentityAddress + 3, {0x5A});
    urc_.setBytes(header.keyTableAddress + 22 * 5, {0x00});
    EXPECT_EQ(urctool::restoreCommand(urc_, {file, "--quiet", "--force"}), urctool::kExitOk);
    EXPECT_EQ(memory().read(header.keyTableAddress, 22 * 70),
              backup.read(header.keyTableAddress, 22 * 70));
}

TEST_F(UrcToolTest, ABackupWithBrokenTablesIsRefusedBeforeAnyWrite) {
    run({"05", "--raw", raw(24, 3)});
    urcmem::Memory broken = memory();
    const auto header = *urcmem::readHeader(broken);
    // Its allocation area forgets the raw code that key 05 refers to.
    for (int i = 0; i < header.allocRecordCount * 6 + header.blockMapSize(); ++i)
        broken.setByte(header.allocAreaAddress + i, 0);
    const auto plan = urctool::planRestore(memory(), broken, header);
    EXPECT_NE(plan.problem.find("not consistent"), std::string::npos) << plan.problem;
    EXPECT_TRUE(plan.writes.empty());
}

} // namespace
