#include "platform/urcsim/press.h"

#include "platform/urcmem/wire_protocol.h"

#include <fstream>
#include <sstream>

namespace urcsim {

namespace {
constexpr std::size_t kCaptureDigits = 10240;
// A capture file larger than this is surely not a capture.
constexpr std::streamoff kMaxFileSize = 1 << 20;
} // namespace

CaptureText rawCaptureFromText(const std::string& text) {
    CaptureText result;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (c == '\0')
            break; // the zero padding that follows a capture
        if (!urcwire::isHexDigits(std::string_view(&c, 1))) {
            return {"", "the capture holds a character that is not a hexadecimal digit"};
        }
        result.hex.push_back(c);
    }
    if (result.hex.empty())
        result.error = "the capture is empty";
    else if (result.hex.size() > kCaptureDigits)
        result.error = "the capture holds " + std::to_string(result.hex.size()) +
                       " digits; the URC captures at most 10240";
    if (!result.error.empty())
        result.hex.clear();
    return result;
}

CaptureText rawCaptureFromFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {"", "cannot open the capture file " + path};
    file.seekg(0, std::ios::end);
    if (file.tellg() > kMaxFileSize)
        return {"", "the capture file " + path + " is far too large for a capture"};
    file.seekg(0);
    std::ostringstream content;
    content << file.rdbuf();
    CaptureText result = rawCaptureFromText(content.str());
    if (!result.error.empty())
        result.error = path + ": " + result.error;
    return result;
}

} // namespace urcsim
