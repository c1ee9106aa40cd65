// capture-decode: reads one capture text (hex, as COLLECT hands it over) on
// standard input and prints what the program's own learning path makes of it:
// "nec 0x04 0x08" for a recognised protocol, else "raw" and the timings. For
// the virtual machine's test of the URC's real infrared.
#include "irform/code_form.h"
#include "irform/protocols.h"
#include "irform/timing_body.h"
#include "learning/core/capture_text.h"

#include <iostream>
#include <string>

int main() {
    std::string capture;
    std::getline(std::cin, capture);
    if (capture.size() < 10240)
        capture.resize(10240, '\0');
    const auto encoded = learning::EncodeTimings(learning::CutAtEndMarker(capture));
    if (encoded.failed) {
        std::cerr << "capture-decode: the capture does not encode\n";
        return 1;
    }
    const auto signal = irform::parseTimingBody(learning::converterInput(encoded));
    if (!signal) {
        std::cerr << "capture-decode: the timing text holds no signal\n";
        return 1;
    }
    std::optional<int> carrier;
    if (encoded.carrierKhz > 0)
        carrier = encoded.carrierKhz * 1000;
    if (const auto press = irform::decodePress(signal->durations, carrier)) {
        std::cout << irform::describeDecoded(press->code) << "\n";
        return 0;
    }
    irform::Signal raw = *signal;
    raw.carrierHz = carrier.value_or(raw.carrierHz);
    std::cout << irform::describeSignal(raw) << "\n";
    return 0;
}
