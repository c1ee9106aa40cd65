#include "keypanel/core/shell_target.h"

#include <gtest/gtest.h>

namespace {

struct TargetCase {
    const char* target;
    const char* extension;
    const char* directory;
    bool program;
};

void PrintTo(const TargetCase& c, std::ostream* os) {
    *os << '"' << c.target << '"';
}

const TargetCase kCases[] = {
    {"", "", "", false},
    {"POWER/TV", "", "", false},
    {"TV/ AV/TV", "", "", false},
    {"C:\\tools\\a.exe", ".exe", "C:\\tools\\", true},
    {"C:\\TOOLS\\A.EXE", ".EXE", "C:\\TOOLS\\", false},
    {"C:a.exe", ".exe", "C:", true},
    {"a.exe", ".exe", "", true},
    // A forward slash is no separator: neither for the directory part nor
    // for ending the extension.
    {"bin/run.exe", ".exe", "", true},
    {"x.exe/y", ".exe/y", "", false},
    // A backslash or colon after the last dot means there is no extension.
    {"dir.d\\file", "", "dir.d\\", false},
    {"host.x:port", "", "host.x:", false},
    {"a.tar.gz", ".gz", "", false},
    {"trailing.", ".", "", false},
    {"c:\\a\\b.exe.txt", ".txt", "c:\\a\\", false},
    {"c:\\a.b\\c.exe", ".exe", "c:\\a.b\\", true},
};

class TargetTest : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetTest, SplitsExtensionAndDirectory) {
    const TargetCase& c = GetParam();
    EXPECT_EQ(keypanel::targetExtension(c.target), c.extension);
    EXPECT_EQ(keypanel::targetDirectory(c.target), c.directory);
    EXPECT_EQ(keypanel::targetIsProgram(c.target), c.program);
}

INSTANTIATE_TEST_SUITE_P(Targets, TargetTest, ::testing::ValuesIn(kCases));

} // namespace
