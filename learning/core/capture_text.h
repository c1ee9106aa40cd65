#pragma once
// Reading the URC's capture text: words of four hex digits (a word of 0x8000
// or more is a mark of its low 15 bits, a smaller one a space, in units of 1/3
// microsecond; "7FFF" is the filler), the end marker of 20 fillers, two
// carrier words, then characters of code 0 up to the buffer's 10240.
#include <string>
#include <string_view>

namespace learning {

// The capture cut down to its data before the end marker, the marker and the
// two carrier words. "0000" when the capture holds no end marker. The marker
// is looked for in the whole capture, zero characters or not; the zero fill
// after the carrier words is dropped. Captures longer than 3000 characters
// before the marker keep an odd number of words; a head ending in a space word
// keeps only that word's first digit (the encoder then reads across the join).
std::string CutAtEndMarker(std::string_view capture);

struct EncodeResult {
    // Count of gap groups, carrier, tag and body; empty when failed.
    std::string text;
    bool failed = true;
    // Characters of `text` before the body: the count, the carrier and the tag.
    std::size_t headerLength = 0;
    // The carrier the URC measured, in kHz (the header's carrier digits); 0
    // when its measurement is missing ("00").
    int carrierKhz = 0;
};

// The timing text of a cut capture: durations in microseconds (a mark less the
// receiver's 58 us stretch, a space plus it), long marks joined, long silences
// as gap groups "FEFE" + milliseconds + "EDED", the end as "EDED" (with
// "FEFE0014" before it when no gap came earlier). Fails on text that ends
// before the end marker's carrier words, or on a word that is not hex where
// its value is needed. The caller keeps the failed capture.
EncodeResult EncodeTimings(std::string_view cut);

// What the conversion library is handed of an encoded capture: the text from
// its sixth character on. The library skips the one to three characters that a
// longer count or carrier leaves before the body (the body is whole four-digit
// words); four or more would pass for a duration, so whole words of them are
// left out here. Empty for a failed encoding.
std::string converterInput(const EncodeResult& encoded);

} // namespace learning
