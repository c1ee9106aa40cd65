#pragma once
// Builds capture texts for the tests from lists of four-digit words.
#include <initializer_list>
#include <string>
#include <string_view>

namespace ircode_test {

inline std::string words(std::initializer_list<std::string_view> list) {
    std::string text;
    for (std::string_view w : list)
        text += w;
    return text;
}

inline std::string repeated(std::string_view word, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += word;
    return text;
}

inline std::string endMarker() {
    return repeated("7FFF", 20);
}

// As the device delivers it: zero characters up to its 10240-byte buffer.
inline std::string asDelivered(std::string data) {
    if (data.size() < 10240)
        data.resize(10240, '\0');
    return data;
}

} // namespace ircode_test
