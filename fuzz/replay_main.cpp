// Replays inputs through a fuzz entry point without libFuzzer, so that seeds
// and every kept crash input stay regression tests in the normal build.
// Arguments are files or folders (every regular file in a folder, sorted,
// except hidden ones such as .gitkeep). A missing argument is an error, so a
// mistyped path cannot make the test pass by replaying nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

bool collect(const fs::path& path, std::vector<fs::path>& files) {
    std::error_code error;
    if (fs::is_regular_file(path, error)) {
        files.push_back(path);
        return true;
    }
    if (!fs::is_directory(path, error)) {
        std::fprintf(stderr, "replay: no such file or folder: %s\n", path.c_str());
        return false;
    }
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(path, error))
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
            found.push_back(entry.path());
    if (error) {
        std::fprintf(stderr, "replay: cannot list %s: %s\n", path.c_str(), error.message().c_str());
        return false;
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return true;
}

bool readFile(const fs::path& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE-OR-FOLDER...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> files;
    bool allFound = true;
    for (int i = 1; i < argc; ++i)
        allFound = collect(argv[i], files) && allFound;
    if (!allFound)
        return 2;

    std::vector<uint8_t> bytes;
    for (const auto& file : files) {
        if (!readFile(file, bytes)) {
            std::fprintf(stderr, "replay: cannot read %s\n", file.c_str());
            return 2;
        }
        // Printed first, so that a crash report names the input that caused it.
        std::fprintf(stderr, "replay: %s (%zu bytes)\n", file.c_str(), bytes.size());
        // An empty vector's data() may be null; the entry gets a valid pointer.
        const uint8_t empty = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &empty : bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
