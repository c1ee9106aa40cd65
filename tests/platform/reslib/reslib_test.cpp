#include "platform/reslib/resource_library.h"

#include <QFile>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

QByteArray fileBytes(const char* path) {
    QFile file(QString::fromUtf8(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    return file.readAll();
}

TEST(ResourceLibrary, ProgramFolderHoldsTheTestProgram) {
    const std::string folder = reslib::programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::exists(folder + "/reslib_test"));
}

struct Expected {
    const char* name;
    const char* file;
};

TEST(ResourceLibrary, ResourcesEqualTheirFilesByteForByte) {
    const reslib::ResourceLibrary library("qzt_test_res.so");
    ASSERT_TRUE(library.isLoaded()) << library.errorText();
    const Expected expected[] = {
        {"alpha", QZT_TEST_DATA "/alpha.txt"},         {"beta", QZT_TEST_DATA "/beta.txt"},
        {"empty", QZT_TEST_DATA "/empty.txt"},         {"gif5", QZT_ART_DIR "/one1004/gif5.gif"},
        {"flash1", QZT_ART_DIR "/bne1004/flash1.gif"},
    };
    for (const Expected& e : expected) {
        const auto bytes = library.read(e.name);
        ASSERT_TRUE(bytes.has_value()) << e.name << ": " << library.errorText();
        EXPECT_EQ(*bytes, fileBytes(e.file)) << e.name;
    }
}

TEST(ResourceLibrary, NamesIgnoreCaseButNotTypeOrSpelling) {
    const reslib::ResourceLibrary library("qzt_test_res.so");
    ASSERT_TRUE(library.isLoaded());
    EXPECT_TRUE(library.find(reslib::kRawData, "ALPHA").has_value());
    EXPECT_FALSE(library.find(reslib::kRawData + 1, "alpha").has_value());
    for (const char* missing : {"alph", "alphax", "", "gif100", "alpha "}) {
        EXPECT_FALSE(library.find(reslib::kRawData, missing).has_value()) << missing;
        EXPECT_NE(library.errorText().find("not found"), std::string::npos);
    }
}

TEST(ResourceLibrary, MissingLibraryIsReported) {
    const reslib::ResourceLibrary library("qzt_no_such_library.so");
    EXPECT_FALSE(library.isLoaded());
    EXPECT_NE(library.errorText().find("qzt_no_such_library.so"), std::string::npos);
    EXPECT_FALSE(library.read("alpha").has_value());
}

TEST(ResourceLibrary, SharedObjectWithoutTableIsRefused) {
    const reslib::ResourceLibrary library("qzt_test_notres.so");
    EXPECT_FALSE(library.isLoaded());
    EXPECT_NE(library.errorText().find("not a resource library"), std::string::npos);
}

TEST(ResourceLibrary, FirstFolderWinsOverTheProgramFolder) {
    const std::string broken = reslib::programFolder() + "/broken-gif100";
    const reslib::ResourceLibrary fromBroken("fne1004.so", broken);
    const reslib::ResourceLibrary fromProgram("fne1004.so");
    ASSERT_TRUE(fromBroken.isLoaded()) << fromBroken.errorText();
    ASSERT_TRUE(fromProgram.isLoaded()) << fromProgram.errorText();
    EXPECT_FALSE(fromBroken.read("gif100").has_value());
    EXPECT_TRUE(fromBroken.read("gif99").has_value());
    EXPECT_TRUE(fromBroken.read("gif101").has_value());
    EXPECT_TRUE(fromProgram.read("gif100").has_value());
}

TEST(ResourceLibrary, CopiesOutliveTheLibrary) {
    std::optional<QByteArray> copy;
    {
        const reslib::ResourceLibrary library("qzt_test_res.so");
        copy = library.read("alpha");
    }
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(*copy, fileBytes(QZT_TEST_DATA "/alpha.txt"));
}

TEST(ResourceLibrary, MovedLibraryStaysUsable) {
    reslib::ResourceLibrary first("qzt_test_res.so");
    reslib::ResourceLibrary second(std::move(first));
    EXPECT_TRUE(second.isLoaded());
    EXPECT_TRUE(second.read("beta").has_value());
    second.unload();
    EXPECT_FALSE(second.isLoaded());
    EXPECT_FALSE(second.read("beta").has_value());
}

} // namespace
