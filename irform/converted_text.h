#pragma once
// The converted text: what the conversion library gives back and what
// learning writes into the URC. Its fields in this order: I (the code
// identifier), kIdEnd, P, kPartEnd, Q, kDataStart, D. Joining and splitting
// both live here, so writer and reader agree on the separators and the order.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace irform::convertedtext {

inline constexpr std::string_view kIdEnd = "::";
inline constexpr std::string_view kPartEnd = ":";
inline constexpr std::string_view kDataStart = ":::";
// I: three bytes, the identifier of key records and allocation records.
inline constexpr std::size_t kIdDigits = 6;

// The fields of a converted text, as views into it.
struct Fields {
    std::string_view id; // I
    std::string_view p;
    std::string_view q;
    std::string_view data; // D
};

// I is what precedes the first kIdEnd; of the rest, P what precedes the first
// kPartEnd; of the rest after that, Q what precedes the first kDataStart; D
// all that follows it. nullopt when a separator is missing. The fields are
// not checked: what they may hold is the reader's business.
constexpr std::optional<Fields> split(std::string_view text) {
    const std::size_t idEnd = text.find(kIdEnd);
    if (idEnd == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = text.substr(idEnd + kIdEnd.size());
    const std::size_t pEnd = rest.find(kPartEnd);
    if (pEnd == std::string_view::npos)
        return std::nullopt;
    const std::string_view p = rest.substr(0, pEnd);
    rest = rest.substr(pEnd + kPartEnd.size());
    const std::size_t qEnd = rest.find(kDataStart);
    if (qEnd == std::string_view::npos)
        return std::nullopt;
    return Fields{text.substr(0, idEnd), p, rest.substr(0, qEnd),
                  rest.substr(qEnd + kDataStart.size())};
}

inline std::string join(std::string_view id, std::string_view p, std::string_view q,
                        std::string_view data) {
    std::string text;
    text.reserve(id.size() + p.size() + q.size() + data.size() + kIdEnd.size() + kPartEnd.size() +
                 kDataStart.size());
    text.append(id).append(kIdEnd).append(p).append(kPartEnd).append(q).append(kDataStart);
    return text.append(data);
}

static_assert(split("010000::P:Q:::D")->id == "010000" && split("010000::P:Q:::D")->p == "P");
static_assert(split("010000::P:Q:::D")->q == "Q" && split("010000::P:Q:::D")->data == "D");
static_assert(!split("010000::P:Q::D") && !split("010000:P:Q:::D"));

} // namespace irform::convertedtext
