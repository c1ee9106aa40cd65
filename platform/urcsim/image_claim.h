#pragma once
// A served image belongs to one server: two servers writing one image would
// each keep their own memory and the last write would win. The claim is an
// advisory lock on "<image>.lock" (beside the image, named after its real
// path), held for the server's life; the file itself cannot carry the lock,
// since every save renames a new file over it. The server then loads and
// saves the image by that real path too: a save through a link at the given
// name would replace the link by a file, and the next server given that name
// would find a lock of its own.
#include <string>

namespace urcsim {

class ImageClaim {
public:
    ImageClaim() = default;
    ~ImageClaim();
    ImageClaim(const ImageClaim&) = delete;
    ImageClaim& operator=(const ImageClaim&) = delete;

    // Takes the image; false with a sentence for a person when another server
    // holds it, the lock cannot be made, or the name is a link to nothing (a
    // new image there would replace the link). Once held, the temporary files
    // a killed server left beside the image are removed.
    bool claim(const std::string& imagePath, std::string& error);

    // The image's real path (no links, absolute), once claimed.
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace urcsim
