// Restoring against an in-process URC: the planned writes keep the URC
// consistent after every one of them, planning again from any point completes
// the restore, and backups of another URC or with broken tables are refused.
#include "irform/code_form.h"
#include "tests/support/scripted_urc.h"
#include "urcmem/image_check.h"
#include "urcmem/memory_map.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/held_code.h"
#include "urctool/restore_plan.h"
#include "urctool/urc_access.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

// The message of the ToolError a command throws; "" when it throws none.
std::string refusalOf(const std::function<int()>& command) {
    try {
        command();
    } catch (const urctool::ToolError& e) {
        return e.what();
    }
    return {};
}

std::string rawOf(const std::vector<uint32_t>& durations) {
    std::string text = "raw 38000";
    for (std::size_t i = 0; i < durations.size(); ++i)
        text += (i % 2 == 0 ? " +" : " -") + std::to_string(durations[i]);
    return text;
}

// `count` durations of a pulse-distance code (a few lengths), or of 40 lengths.
std::vector<uint32_t> durations(std::size_t count, bool varied) {
    std::vector<uint32_t> d;
    for (std::size_t i = 0; i < count; ++i)
        d.push_back(varied ? 200 + 150 * static_cast<uint32_t>(i % 40)
                           : (i % 2 == 0 ? 560 : (i % 3 == 0 ? 1690 : 560)));
    return d;
}

// A long signal whose capture holds an even number of words: one space of a
// filler and a rest among short durations.
std::vector<uint32_t> evenCapture() {
    auto d = durations(800, false);
    d[101] = 15000;
    return d;
}

// LIRC's parser reads lines of up to 4096 characters, and raw codes that end
// with a pulse (an odd count).
std::string lircdRaw(const std::vector<uint32_t>& d) {
    std::string conf = "begin remote\n  name R\n  flags RAW_CODES\n  begin raw_codes\n    name K\n";
    for (std::size_t i = 0; i < d.size(); ++i)
        conf += (i % 16 == 0 ? "\n " : " ") + std::to_string(d[i]);
    return conf + "\n  end raw_codes\nend remote\n";
}

struct LimitRow {
    const char* name;
    const char* option; // --raw, --pronto or --lircd (the text a file's content)
    std::string text;
    std::size_t stored; // durations the key then holds; 0 when refused
    const char* refusal;
};

// Signals at each limit of the URC through set: just inside, the key holds
// them whole; just outside, the refusal names limit and value, nothing written.
TEST_F(UrcToolTest, SetStoresSignalsAtEachLimitWholeAndRefusesThosePastIt) {
    const LimitRow rows[] = {
        {"longest mark", "--raw", rawOf({327670, 4500, 560, 560}), 4, ""},
        {"mark too long", "--raw", rawOf({327671, 4500, 560, 560}), 0,
         "mark 327671 us: the URC stores marks up to 327670 us"},
        {"mark of a second", "--raw", rawOf({1000000, 4500, 560, 560}), 0,
         "mark 1000000 us: the URC stores marks up to 327670 us"},
        {"Pronto's longest burst", "--pronto", "0000 006D 0002 0000 FFFF FFFF 0015 0F00", 0,
         "us: the URC stores marks up to 327670 us"},
        {"longest inner space", "--raw", rawOf({500, 218504, 500, 1000}), 4, ""},
        {"inner space ending the capture", "--raw", rawOf({500, 218505, 500, 1000}), 0,
         "space 218505 us (duration 2 of 4): the URC ends its capture"},
        {"full capture", "--raw", rawOf(durations(2538, false)), 2538, ""},
        {"capture overflows", "--raw", rawOf(durations(2540, false)), 0,
         "2540 durations need 10244 characters of capture text: the URC captures at most 10240"},
        {"20000 durations", "--raw", rawOf(durations(20000, false)), 0, "20000 durations need"},
        {"150001 durations of a lircd.conf", "--lircd", lircdRaw(durations(150001, false)), 0,
         "the lircd.conf's key K: 150002 durations need"},
        {"most varied durations", "--raw", rawOf(durations(1020, true)), 1020, ""},
        {"too many varied durations", "--raw", rawOf(durations(1022, true)), 0,
         "1022 durations of more than 16 different lengths: the URC stores at most 1020 varied "
         "durations"},
        {"capture losing its last word", "--raw", rawOf(evenCapture()), 0,
         "would lose its last word"},
    };
    const urcmem::Memory fresh = memory();
    for (const LimitRow& row : rows) {
        SCOPED_TRACE(row.name);
        load(fresh);
        Args args{"05", row.option, row.text};
        if (std::string(row.option) == "--lircd") {
            std::ofstream(folder_ + "/remote.conf") << row.text;
            args = {"05", "--lircd", folder_ + "/remote.conf", "K"};
        }
        const std::string refusal = refusalOf([&] { return urctool::setCommand(urc_, args); });
        if (row.stored == 0) {
            EXPECT_NE(refusal.find(row.refusal), std::string::npos) << refusal;
            EXPECT_EQ(memory(), fresh) << "a refused set wrote";
            continue;
        }
        ASSERT_EQ(refusal, "");
        const urctool::Snapshot s = urctool::readSnapshot(urc_);
        const auto held = urctool::heldCode(s, urctool::findKey(s.tables, "05"));
        ASSERT_TRUE(held.readable);
        EXPECT_EQ(held.signal.durations.size(), row.stored);
        EXPECT_EQ(held.signal.durations.front(), std::stoul(row.text.substr(10)));
    }
}

// A URC whose memory fails the image check (as restore refuses to write into
// it) gets no set and no clear either.
TEST_F(UrcToolTest, SetAndClearRefuseAUrcWhoseMemoryFailsItsCheck) {
    run({"05", "--protocol", "nec", "1", "2"});
    run({"06", "--raw", raw(24, 3)});
    const urcmem::Memory good = memory();
    const auto header = *urcmem::readHeader(good);
    const struct {
        const char* name;
        int address;
        std::vector<uint8_t> bytes;
        const char* problem;
    } breaks[] = {
        {"storage larger than memory",
         header.headerAddress + 8,
         {0x00, 0x1C},
         "the code storage at 0x3000"},
        {"a stored code's blocks unmarked",
         header.allocAreaAddress,
         {0x00},
         "is not marked in the block map"},
    };
    for (const auto& b : breaks) {
        SCOPED_TRACE(b.name);
        load(good);
        urc_.setBytes(b.address, b.bytes);
        const urcmem::Memory broken = memory();
        const std::string set = refusalOf([&] {
            return urctool::setCommand(urc_, {"07", "--raw", raw(20, 2)});
        });
        EXPECT_NE(set.find("fails its check: "), std::string::npos) << set;
        EXPECT_NE(set.find(b.problem), std::string::npos) << set;
        EXPECT_NE(refusalOf([&] { return urctool::clearCommand(urc_, {"05"}); }), "");
        EXPECT_EQ(memory(), broken) << "written into a URC that fails its check";
    }
}

// The storage's size: a code that finds no free run of blocks is refused with
// the blocks it needs and those free, and nothing is written.
TEST_F(UrcToolTest, ACodeLargerThanTheFreeStorageIsRefusedWithTheNumbers) {
    const auto header = *urcmem::readHeader(memory());
    // All but the last block marked as used (marks without records are free
    // blocks lost, not a broken table).
    std::vector<uint8_t> map(static_cast<std::size_t>(header.blockMapSize()), 0xFF);
    map.back() = 0xFE;
    urc_.setBytes(header.allocAreaAddress, map);
    const urcmem::Memory full = memory();
    const std::string refusal = refusalOf([&] {
        return urctool::setCommand(urc_, {"05", "--raw", raw(24, 3)});
    });
    EXPECT_NE(refusal.find("storage blocks in one run; the URC's code storage has 1 free of 512"),
              std::string::npos)
        << refusal;
    EXPECT_EQ(memory(), full);
}

// CBL/BACK (key 34) and CBL/back (key 50) are two keys, each reached by its
// own label; a key named twice is exported once.
TEST_F(UrcToolTest, LabelsDifferingInCaseOnlyReachTheirOwnKeys) {
    run({"CBL/BACK", "--protocol", "nec", "1", "2"});
    run({"CBL/back", "--protocol", "nec", "1", "3"});
    const std::string file = folder_ + "/keys.txt";
    ASSERT_EQ(urctool::exportCommand(
                  urc_, {"--format", "pronto", "--keys", "CBL/BACK,CBL/back,34", "-o", file}),
              urctool::kExitOk);
    std::ifstream in(file);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);)
        names.push_back(line.substr(0, line.find(' ')));
    EXPECT_EQ(names, (std::vector<std::string>{"CBL_BACK", "CBL_BACK_50"}));
    const urctool::Snapshot s = urctool::readSnapshot(urc_);
    EXPECT_EQ(urctool::heldCode(s, urctool::findKey(s.tables, "34")).description, "nec 0x01 0x02");
    EXPECT_EQ(urctool::heldCode(s, urctool::findKey(s.tables, "50")).description, "nec 0x01 0x03");
    EXPECT_THROW(urctool::setCommand(urc_, {"cbl/Back", "--protocol", "nec", "1", "4"}),
                 urctool::UsageError);
}

} // namespace
