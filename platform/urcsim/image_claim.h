#pragma once
// A served image belongs to one server: two servers writing one image would
// each keep their own memory and the last write would win. The claim is an
// advisory lock on "<image>.lock" (beside the image, named after its real
// path), held for the server's life; the file itself cannot carry the lock,
// since every save renames a new file over it.
#include <string>

namespace urcsim {

class ImageClaim {
public:
    ImageClaim() = default;
    ~ImageClaim();
    ImageClaim(const ImageClaim&) = delete;
    ImageClaim& operator=(const ImageClaim&) = delete;

    // Takes the image; false with a sentence for a person when another server
    // holds it or the lock cannot be made. Once held, the temporary files a
    // killed server left beside the image are removed.
    bool claim(const std::string& imagePath, std::string& error);

private:
    int fd_ = -1;
};

} // namespace urcsim
