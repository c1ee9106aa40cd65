#pragma once
// What a key pressed in front of the URC looks like to it: the capture text
// (hexadecimal words, as the URC records them) that `press` hands over.
#include <string>

namespace urcsim {

struct CaptureText {
    std::string hex;   // set on success
    std::string error; // a sentence for a person otherwise
};

// The hex text of a capture file; blanks and line breaks are ignored, anything
// else but hexadecimal digits is refused, as is more than 10240 digits.
CaptureText rawCaptureFromFile(const std::string& path);
CaptureText rawCaptureFromText(const std::string& text);

} // namespace urcsim
