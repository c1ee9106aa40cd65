// import against an in-process URC: the plan keeps the URC consistent after
// every write with each key holding its old code, its new one or none, and
// planning again from any point completes it; a remote that does not fit the
// storage is refused whole before any write, with the numbers; a JSON export
// imported onto an empty URC gives back the same keys.
#include "irform/code_form.h"
#include "tests/support/scripted_urc.h"
#include "urcmem/image_check.h"
#include "urcmem/memory_map.h"
#include "urctool/commands.h"
#include "urctool/errors.h"
#include "urctool/import_plan.h"
#include "urctool/key_names.h"
#include "urctool/signal_conversion.h"
#include "urctool/signal_input.h"
#include "urctool/urc_access.h"
#include "urctool/urc_hold.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using urctool::Args;
using urctool::kExitOk;

std::string raw(int bits, int spread) {
    std::string text = "raw 38000 +3500 -1750";
    for (int i = 0; i < bits; ++i)
        text += " +500 -" + std::to_string(400 + 90 * (i % spread));
    return text + " +500";
}

// A lircd.conf remote of raw codes, one per (name, bits, spread).
struct RawCode {
    const char* name;
    int bits;
    int spread;
};
std::string rawRemote(const std::vector<RawCode>& codes) {
    std::string conf = "begin remote\n  name TEST\n  flags RAW_CODES\n  frequency 38000\n"
                       "  begin raw_codes\n";
    for (const auto& c : codes) {
        conf += "    name " + std::string(c.name) + "\n     ";
        const auto signal = urctool::signalFromRaw(raw(c.bits, c.spread));
        for (std::size_t i = 0; i + 1 < signal.durations.size(); ++i)
            conf += " " + std::to_string(signal.durations[i]);
        conf += "\n";
    }
    return conf + "  end raw_codes\nend remote\n";
}

class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/urctool-import.XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        folder_ = folder;
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        layout_ = testsupport::buildTestImage(urc_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string file(const std::string& name, const std::string& text) {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    void set(const Args& args) {
        testing::internal::CaptureStdout();
        ASSERT_EQ(urctool::setCommand(urc_, args), kExitOk);
        testing::internal::GetCapturedStdout();
    }
    std::string import(const Args& args) {
        testing::internal::CaptureStdout();
        try {
            EXPECT_EQ(urctool::importCommand(urc_, args), kExitOk);
        } catch (...) {
            testing::internal::GetCapturedStdout();
            throw;
        }
        return testing::internal::GetCapturedStdout();
    }
    std::string exported() {
        const std::string path = folder_ + "/export.json";
        EXPECT_EQ(urctool::exportCommand(urc_, {"--format", "json", "-o", path}), kExitOk);
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    urcmem::Memory memory() const {
        urcmem::Memory m;
        m.write(0, urc_.bytes(0, static_cast<int>(urcmem::kMemorySize)));
        return m;
    }
    // The URC with fewer storage blocks and allocation records.
    void shrinkStorage(int blocks, int records) {
        urc_.setBytes(layout_.header + 7, {static_cast<uint8_t>(records)});
        urc_.setBytes(layout_.header + 8,
                      {static_cast<uint8_t>(blocks & 0xFF), static_cast<uint8_t>(blocks >> 8)});
    }

    std::string folder_;
    testsupport::ScriptedUrc urc_;
    testsupport::TestImageLayout layout_;
};

// What key i sends in an image: its code's description, "" without one.
std::string sends(const urcmem::Memory& m, const urcmem::Header& h, int i) {
    const urctool::Snapshot s{{}, h, m};
    const auto record = urcmem::keyRecord(m, h, i);
    if (!record || !record->holdsCode())
        return {};
    const std::string text =
        irform::describeStoredCode(urctool::recordDigits(s, i), urctool::storageDigits(s, i));
    return text.empty() ? "(unreadable)" : text;
}

urctool::KeyCode keyCode(const urctool::Snapshot& s, const char* key, const std::string& raw) {
    return {urctool::findKey(s.tables, key), key,
            urctool::convertLikeLearning(urctool::signalFromRaw(raw))};
}

TEST_F(ImportTest, EveryPrefixOfThePlanIsConsistentAndReplanningCompletesIt) {
    set({"05", "--raw", raw(24, 3)});
    set({"06", "--raw", raw(40, 5)});
    set({"07", "--protocol", "nec", "1", "2"});
    set({"12", "--raw", raw(30, 4)});
    const urctool::Snapshot s = urctool::readSnapshot(urc_);
    // 05 and 06 change, 07 turns raw, 13 is new; 12 keeps its code.
    const urctool::ImportPlan plan =
        urctool::planImport(s, {keyCode(s, "05", raw(36, 4)), keyCode(s, "06", raw(20, 6)),
                                keyCode(s, "07", raw(28, 2)), keyCode(s, "13", raw(24, 3))});
    ASSERT_GE(plan.writes.size(), 4u);
    const auto& h = s.header;
    urcmem::Memory work = s.memory;
    for (std::size_t k = 0; k <= plan.writes.size(); ++k) {
        ASSERT_EQ(urcmem::checkImage(work), std::nullopt) << "after write " << k;
        for (int i = 0; i < h.keyCount; ++i) {
            const std::string now = sends(work, h, i);
            EXPECT_TRUE(now.empty() || now == sends(s.memory, h, i) ||
                        now == sends(plan.target, h, i))
                << "key " << i << " after write " << k << ": " << now;
        }
        urcmem::Memory done = work;
        for (const auto& w : urctool::planRestore(work, plan.target, h).writes)
            done.write(w.address, w.bytes);
        EXPECT_EQ(done, plan.target) << "replanned after write " << k;
        if (k < plan.writes.size())
            work.write(plan.writes[k].address, plan.writes[k].bytes);
    }
    const auto key12 = urctool::findKey(s.tables, "12").index;
    EXPECT_EQ(sends(plan.target, h, static_cast<int>(key12)),
              sends(s.memory, h, static_cast<int>(key12)));
    // The replaced raw codes' storage was freed: what is in use is exactly
    // what the four raw codes of the result take.
    const auto after = urctool::tablesOf(plan.target, s.tables);
    EXPECT_EQ(after.AllocRecords.size() / 12, 5u);
}

struct StorageCase {
    const char* name;
    int blocks;
    int records;
    std::vector<RawCode> codes;
    const char* message;
};

const StorageCase kTooBig[] = {
    {"blocks",
     19,
     64,
     {{"KEY_MUTE", 24, 3}, {"KEY_VOLUMEUP", 40, 5}, {"KEY_VOLUMEDOWN", 36, 4}},
     "the 3 codes need 20 storage blocks and 3 allocation records; the URC has 19 blocks "
     "free of 19 and 64 records free of 64"},
    {"records",
     512,
     2,
     {{"KEY_MUTE", 24, 3}, {"KEY_VOLUMEUP", 40, 5}, {"KEY_VOLUMEDOWN", 36, 4}},
     "the 3 codes need 20 storage blocks and 3 allocation records; the URC has 512 blocks "
     "free of 512 and 2 records free of 2"},
};

class ImportStorage : public ImportTest, public ::testing::WithParamInterface<StorageCase> {};

TEST_P(ImportStorage, ARemoteThatDoesNotFitIsRefusedWholeBeforeAnyWrite) {
    shrinkStorage(GetParam().blocks, GetParam().records);
    const std::string conf = file("remote.conf", rawRemote(GetParam().codes));
    const urcmem::Memory before = memory();
    urc_.clearCalls();
    try {
        import({conf, "--device", "TV"});
        ADD_FAILURE() << "imported";
    } catch (const urctool::ToolError& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("nothing was written"), std::string::npos);
    }
    EXPECT_TRUE(urc_.callsOf("writedatav20").empty());
    EXPECT_EQ(memory(), before);
}

INSTANTIATE_TEST_SUITE_P(Import, ImportStorage, ::testing::ValuesIn(kTooBig),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportTest, ImportingAgainReusesTheStorageOfTheCodesItReplaces) {
    // Each import takes 20 of the 21 blocks: the second fits only because the
    // first one's codes are freed.
    shrinkStorage(21, 4);
    const std::vector<RawCode> codes = {
        {"KEY_MUTE", 24, 3}, {"KEY_VOLUMEUP", 40, 5}, {"KEY_VOLUMEDOWN", 36, 4}};
    const std::string conf = file("remote.conf", rawRemote(codes));
    import({conf, "--device", "TV"});
    const std::string once = exported();
    const std::string again = import({conf, "--device", "TV"});
    EXPECT_NE(again.find("20 storage blocks needed, 21 free"), std::string::npos) << again;
    EXPECT_EQ(exported(), once);
    EXPECT_EQ(urcmem::checkImage(memory()), std::nullopt);
}

TEST_F(ImportTest, ADryRunPrintsTheTableAndWritesNothing) {
    const std::string conf =
        file("remote.conf", rawRemote({{"KEY_MUTE", 24, 3}, {"CH+", 20, 2}, {"SLEEP", 16, 2}}));
    urc_.clearCalls();
    const std::string out = import({conf, "--device", "tv", "--dry-run"});
    for (const char* line : {"KEY_MUTE 05 (TV/MUTE)", "CH+      07 (TV/P+)", "SLEEP    -",
                             "2 of 3 codes go to a key", "dry run:", "nothing was written"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    EXPECT_TRUE(urc_.callsOf("writedatav20").empty());
}

TEST_F(ImportTest, AJsonExportImportedOntoAnEmptyUrcGivesBackTheSameKeys) {
    set({"05", "--raw", raw(24, 3)});
    set({"06", "--protocol", "nec", "4", "8"});
    set({"CBL/OK", "--protocol", "rc5", "0", "16"});
    set({"82", "--raw", raw(40, 5)});
    set({"POWER/DVD", "--protocol", "sirc12", "1", "21"});
    const std::string before = exported();
    const std::string json = file("keys.json", before);

    testsupport::buildTestImage(urc_);
    ASSERT_EQ(exported().find("\"code\""), std::string::npos) << "the URC is not empty";
    const std::string out = import({json});
    EXPECT_NE(out.find("5 of 5 codes go to a key"), std::string::npos) << out;
    EXPECT_EQ(exported(), before);
    EXPECT_EQ(urcmem::checkImage(memory()), std::nullopt);
}

TEST_F(ImportTest, UsageMistakesAreRefusedBeforeTheUrcIsRead) {
    const std::string conf = file("remote.conf", rawRemote({{"KEY_MUTE", 24, 3}}));
    const std::string json = file("keys.json", R"({"format":1,"keys":[]})");
    const std::pair<Args, const char*> rows[] = {
        {{conf}, "needs --device TV|CBL|DVD|AMP"},
        {{conf, "--device", "VCR"}, "--device takes TV, CBL, DVD or AMP, not \"VCR\""},
        {{json, "--remote", "X"}, "--remote names a remote of a lircd.conf"},
        {{}, "import FILE"},
    };
    urc_.clearCalls();
    for (const auto& [args, message] : rows) {
        try {
            import(args);
            ADD_FAILURE() << message;
        } catch (const urctool::UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
    EXPECT_TRUE(urc_.calls().empty());
}

TEST_F(ImportTest, AnImportOwnsTheUrcAndItsDryRunOnlyReadsBesideTheWindow) {
    ::unsetenv("QZT617_URC_SOCKET");
    const auto window =
        urcclaim::take(urcclaim::keyForLinkedUrc(), urcclaim::Hold::Own,
                       urcclaim::thisProcess("qzt617", ""), std::chrono::milliseconds(0));
    ASSERT_TRUE(window.held()) << window.refusal();
    try {
        urctool::holdUrcFor("import", {"remote.conf", "--device", "TV"});
        ADD_FAILURE() << "an import was let write beside the window";
    } catch (const urctool::ToolError& e) {
        EXPECT_NE(std::string(e.what()).find("is owned by qzt617"), std::string::npos) << e.what();
    }
    const auto held = urctool::holdUrcFor("import", {"remote.conf", "--device", "TV", "--dry-run"});
    ASSERT_EQ(held.locks.size(), 1u);
    EXPECT_TRUE(held.locks.front().held());
}

} // namespace
