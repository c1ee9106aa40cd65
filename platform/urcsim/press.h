#pragma once
// What a key pressed in front of the URC looks like to it: the capture text
// (hexadecimal words, as the URC records them) that `press` hands over.
#include "irform/capture_render.h"

#include <string>

namespace urcsim {

struct CaptureText {
    std::string hex;   // set on success
    std::string error; // a sentence for a person otherwise
};

// A capture file is a regular file of at most 1 MiB (a FIFO, folder or device
// is refused at once) and holds either the hex text of a capture (blanks and line
// breaks are ignored, anything else but hexadecimal digits is refused, as is
// more than 10240 digits) or a signal written as "raw 38000 +9000 -4500 ...",
// which is rendered as the URC would capture it.
// A signal description is seen through `receiver` (a capture's hex text is
// taken as it is).
CaptureText rawCaptureFromFile(const std::string& path,
                               const irform::ReceiverModel& receiver = irform::kExactReceiver);
CaptureText rawCaptureFromText(const std::string& text,
                               const irform::ReceiverModel& receiver = irform::kExactReceiver);

// The capture of a signal description ("raw CARRIER +MARK -SPACE ..."); any
// run of blanks and line breaks counts as one blank.
CaptureText
captureFromRawDescription(const std::string& text,
                          const irform::ReceiverModel& receiver = irform::kExactReceiver);

// One key press of an original remote of a known protocol (see
// protocolNames()); device and command in decimal or with "0x" in
// hexadecimal, checked against what the protocol can carry.
CaptureText protocolCapture(const std::string& protocol, const std::string& deviceText,
                            const std::string& commandText,
                            const irform::ReceiverModel& receiver = irform::kExactReceiver);

// "nec, necx, rc5, ...": every protocol `press` knows.
std::string protocolNames();

} // namespace urcsim
