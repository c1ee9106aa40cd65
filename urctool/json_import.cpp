#include "urctool/json_import.h"

#include "common/hex_text.h"
#include "irform/capture_render.h"
#include "urctool/errors.h"
#include "urctool/export_json.h"
#include "urctool/signal_input.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <limits>

namespace urctool {
namespace {

using Json = nlohmann::json;

// Every duration takes at least one four-digit word of the URC's capture.
constexpr std::size_t kMaxDurations = irform::kCaptureCapacity / 4;

// Refuses nesting past kMaxJsonDepth before the parser sees it, naming the
// byte where it goes too deep.
void requireShallow(std::string_view text) {
    int depth = 0;
    bool inString = false, escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"')
            inString = true;
        else if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth)
                throw UsageError("the JSON nests deeper than " + std::to_string(kMaxJsonDepth) +
                                 " levels at byte " + std::to_string(i + 1));
        } else if (c == ']' || c == '}')
            --depth;
    }
}

// The library's message without its "[json.exception...] " prefix.
std::string parserText(const Json::exception& e) {
    std::string text = e.what();
    if (const auto end = text.find("] "); text.starts_with("[json.") && end != std::string::npos)
        text.erase(0, end + 2);
    return text;
}

Json parsed(std::string_view text) {
    requireShallow(text);
    try {
        return Json::parse(text);
    } catch (const Json::exception& e) {
        throw UsageError("the file is not JSON: " + parserText(e));
    }
}

std::string shown(const Json& value) {
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    return text.size() > 40 ? text.substr(0, 40) + "..." : text;
}

// A whole number from `low` to `high`, else a refusal naming `where`. The
// library reads every whole number from 0 to 2^64 - 1 as unsigned; a
// negative, fractional or larger one is not.
uint32_t wholeNumber(const Json& value, const std::string& where, uint64_t low, uint64_t high,
                     const char* unit) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<uint64_t>();
        if (number >= low && number <= high)
            return static_cast<uint32_t>(number);
    }
    throw UsageError(where + ": " + shown(value) + " is not a whole number from " +
                     std::to_string(low) + " to " + std::to_string(high) + unit);
}

const Json* member(const Json& object, const char* name, const std::string& where, bool required) {
    const auto found = object.find(name);
    if (found == object.end()) {
        if (required)
            throw UsageError(where + " lacks \"" + name + "\"");
        return nullptr;
    }
    return &*found;
}

std::string stringField(const Json* value, const std::string& where, const char* name) {
    if (!value)
        return {};
    if (!value->is_string())
        throw UsageError(where + ": \"" + name + "\" is " + shown(*value) + ", not a string");
    const auto& s = value->get_ref<const std::string&>();
    if (s.size() > kMaxJsonNameLength)
        throw UsageError(where + ": \"" + name + "\" is longer than " +
                         std::to_string(kMaxJsonNameLength) + " characters");
    return s;
}

std::string keyCode(const Json& key, const std::string& where) {
    std::string code = stringField(member(key, "code", where, true), where, "code");
    if (code.size() != 2 || !hextext::isHexDigits(code))
        throw UsageError(where + ": \"code\" is \"" + code + "\", not two hex digits");
    for (char& c : code)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return code;
}

irform::Signal signalOf(const Json& key, const std::string& where) {
    irform::Signal signal;
    signal.carrierHz =
        static_cast<int>(wholeNumber(*member(key, "carrier", where, true), where + " carrier",
                                     kMinCarrierHz, kMaxCarrierHz, " Hz"));
    const Json& durations = *member(key, "durations", where, true);
    if (!durations.is_array())
        throw UsageError(where + ": \"durations\" is " + shown(durations) + ", not a list");
    if (durations.size() > kMaxDurations)
        throw UsageError(where + ": " + std::to_string(durations.size()) +
                         " durations; a capture of the URC holds at most " +
                         std::to_string(kMaxDurations));
    for (std::size_t i = 0; i < durations.size(); ++i)
        signal.durations.push_back(wholeNumber(durations[i],
                                               where + " durations[" + std::to_string(i) + "]", 1,
                                               kMaxDurationUs, " us"));
    return finishedSignal(std::move(signal), where);
}

JsonKey keyOf(const Json& key, const std::string& place) {
    if (!key.is_object())
        throw UsageError(place + " is " + shown(key) + ", not an object");
    if (key.contains("holds"))
        throw UsageError(place + " is a key of urc-tool list --json, which says what a key "
                                 "holds but not its durations: import reads urc-tool export "
                                 "--format json");
    JsonKey out;
    out.code = keyCode(key, place);
    const std::string where = place + " (code " + out.code + ")";
    out.label = stringField(member(key, "label", where, false), where, "label");
    out.name = stringField(member(key, "name", where, false), where, "name");
    if (out.name.empty())
        out.name = out.label.empty() ? out.code : out.label;
    out.signal = signalOf(key, where);
    return out;
}

void requireKnownFormat(const Json& document) {
    // Exports made before the field existed have format 1's fields.
    const auto format = document.find("format");
    if (format == document.end())
        return;
    const uint32_t version =
        wholeNumber(*format, "\"format\"", 1, std::numeric_limits<uint32_t>::max(), "");
    if (version > kJsonFormat)
        throw UsageError("the JSON is of format " + std::to_string(version) +
                         "; this urc-tool reads format " + std::to_string(kJsonFormat) +
                         " (a newer urc-tool wrote it)");
}

} // namespace

std::vector<JsonKey> keysFromJson(std::string_view text) {
    const Json document = parsed(text);
    if (!document.is_object())
        throw UsageError("the JSON is " + shown(document) +
                         ", not an object with \"keys\" (urc-tool export --format json)");
    requireKnownFormat(document);
    const Json& keys = *member(document, "keys", "the JSON", true);
    if (!keys.is_array())
        throw UsageError("the JSON's \"keys\" is " + shown(keys) + ", not a list");
    if (keys.size() > kMaxJsonKeys)
        throw UsageError("the JSON holds " + std::to_string(keys.size()) +
                         " keys; a URC has at most " + std::to_string(kMaxJsonKeys));
    std::vector<JsonKey> out;
    for (std::size_t i = 0; i < keys.size(); ++i)
        out.push_back(keyOf(keys[i], "keys[" + std::to_string(i) + "]"));
    return out;
}

} // namespace urctool
