// The show handling's picture loading as the benchmarks do it, against the
// resource libraries built beside the tests and against incomplete folders.
#include "bench/core/child.h"
#include "bench/pictures/picture_loading.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

const char* const kLibraries[] = {"one1004.so", "sne1004.so", "fne1004.so", "bne1004.so",
                                  "dne1004.so"};

// A fresh folder holding copies of the built libraries, all but `missing`.
std::string folderWithout(const std::string& missing) {
    const fs::path folder = fs::path(testing::TempDir()) / ("bench_pictures_" + missing);
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const char* name : kLibraries)
        if (missing != name)
            fs::copy_file(fs::path(bench::ownFolder()) / name, folder / name);
    return folder.string();
}

TEST(PictureLoading, AllPicturesOfTheShowHandling) {
    const bench::LoadedPictures loaded = bench::loadShowPictures(bench::ownFolder());
    EXPECT_TRUE(loaded.complete()) << loaded.error;
    EXPECT_EQ(loaded.bankPictures, 672);
    EXPECT_EQ(loaded.skins, 10);
    EXPECT_GT(loaded.movieBytes, 0);
}

class MissingLibraryTest : public testing::TestWithParam<const char*> {};

TEST_P(MissingLibraryTest, NamesTheMissingLibrary) {
    const bench::LoadedPictures loaded = bench::loadShowPictures(folderWithout(GetParam()));
    EXPECT_FALSE(loaded.complete());
    EXPECT_EQ(loaded.bankPictures, 0);
    EXPECT_NE(loaded.error.find(GetParam()), std::string::npos) << loaded.error;
    EXPECT_FALSE(bench::readShowPictures(folderWithout(GetParam())).error.empty());
}

INSTANTIATE_TEST_SUITE_P(Libraries, MissingLibraryTest, testing::ValuesIn(kLibraries));

TEST(PictureLoading, DecodeAllCountsUnreadablePictures) {
    bench::RawPictures raw = bench::readShowPictures(bench::ownFolder());
    ASSERT_TRUE(raw.error.empty()) << raw.error;
    ASSERT_EQ(raw.gifs.size(), 672u);
    ASSERT_EQ(raw.jpegs.size(), 10u);
    EXPECT_EQ(bench::decodeAll(raw), 0);
    raw.gifs[5].truncate(10); // damaged pictures decode to nothing, without a crash
    raw.jpegs[2] = QByteArray("\xFF\xD8 not a picture");
    EXPECT_EQ(bench::decodeAll(raw), 2);
}

} // namespace
