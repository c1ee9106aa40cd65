#include "urctool/key_meanings.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace urctool {
namespace {

struct LircEntry {
    const char* name;
    int code;
};
// LIRC's namespace as lircd itself reads it.
constexpr LircEntry kLircNames[] = {
#include <lirc/input_map.inc>
};

// Names (as comparedName leaves them, space-separated) and the keys they mean
// (the part of the label after the group; "|" between alternatives in order of
// preference). POWER means the device's key of the POWER group.
struct Meaning {
    const char* names;
    const char* keys;
};
constexpr Meaning kMeanings[] = {
    {"POWER POWER2 POWERTOGGLE PWR ONOFF POWERONOFF STANDBY", "POWER"},
    {"MUTE MUTING", "MUTE"},
    {"VOLUMEUP VOLUP VOLPLUS VOLUMEPLUS VUP", "VOL+"},
    {"VOLUMEDOWN VOLDOWN VOLDN VOLMINUS VOLUMEMINUS VDOWN", "VOL-"},
    {"CHANNELUP CHUP CHPLUS CHANNELPLUS PROGUP PROGPLUS PPLUS PRUP", "P+"},
    {"CHANNELDOWN CHDOWN CHDN CHMINUS CHANNELMINUS PROGDOWN PROGMINUS PMINUS PRDOWN", "P-"},
    {"0 NUMERIC0 NUM0 DIGIT0 ZERO", "0"},
    {"1 NUMERIC1 NUM1 DIGIT1 ONE", "1"},
    {"2 NUMERIC2 NUM2 DIGIT2 TWO", "2"},
    {"3 NUMERIC3 NUM3 DIGIT3 THREE", "3"},
    {"4 NUMERIC4 NUM4 DIGIT4 FOUR", "4"},
    {"5 NUMERIC5 NUM5 DIGIT5 FIVE", "5"},
    {"6 NUMERIC6 NUM6 DIGIT6 SIX", "6"},
    {"7 NUMERIC7 NUM7 DIGIT7 SEVEN", "7"},
    {"8 NUMERIC8 NUM8 DIGIT8 EIGHT", "8"},
    {"9 NUMERIC9 NUM9 DIGIT9 NINE", "9"},
    {"OK", "OK|ENTER"},
    {"ENTER KPENTER", "ENTER|OK"},
    {"SELECT", "OK|ENTER"},
    {"UP", "UP"},
    {"DOWN", "DOWN"},
    {"LEFT", "LEFT"},
    {"RIGHT", "RIGHT"},
    {"MENU SETUP", "MENU"},
    {"EXIT", "EXIT"},
    {"BACK RETURN", "BACK"},
    {"INFO DISPLAY OSD", "INFO"},
    {"EPG GUIDE", "GUIDE"},
    {"LIST", "LIST"},
    {"LAST PREV PREVCH RECALL", "PREV"},
    {"PREVIOUS", "PREV|STEPBACK"},
    {"NEXT", "STEPFORWARD"},
    {"FRAMEBACK STEPBACKWARD", "StepBackward"},
    {"FRAMEFORWARD STEPFORWARD", "STEPFORWARD"},
    {"MINUS DASH", "DASH"},
    {"RED", "RED"},
    {"GREEN", "GREEN"},
    {"YELLOW YELLO", "YELLO"},
    {"BLUE", "BLUE"},
    {"PLAY", "PLAY"},
    {"PLAYPAUSE", "PLAY|PAUSE"},
    {"PAUSE", "PAUSE"},
    {"STOP", "STOP"},
    {"REWIND REW RWD FASTREVERSE", "REWIND|back"},
    {"FASTFORWARD FORWARD FF FWD", "FORWARD|forward"},
    {"TITLE ROOTMENU MEDIATOPMENU TOPMENU", "TOP MENU"},
    {"TV VIDEO SWITCHVIDEOMODE AV AVTV TVAV INPUT SOURCE", "AV/TV"},
    {"F1", "F1"},
    {"F2", "F2"},
    {"ACTIVE", "ACTIVE"},
};

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

const Meaning* meaningOf(std::string_view name) {
    const std::string compared = comparedName(name);
    for (const Meaning& meaning : kMeanings) {
        std::istringstream names(meaning.names);
        for (std::string one; names >> one;)
            if (one == compared)
                return &meaning;
    }
    return nullptr;
}

// The part of a label after its group, without the blanks around it
// ("TV/ AV/TV" -> "AV/TV").
std::string_view keyPart(std::string_view label) {
    const auto slash = label.find('/');
    std::string_view rest = slash == std::string_view::npos ? "" : label.substr(slash + 1);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    while (!rest.empty() && rest.back() == ' ')
        rest.remove_suffix(1);
    return rest;
}

std::optional<KeyInfo> deviceKey(const std::vector<KeyInfo>& keys, std::string_view device,
                                 std::string_view part) {
    const std::string label =
        part == "POWER" ? "POWER/" + std::string(device) : std::string(device) + "/";
    for (const auto& key : keys) {
        if (part == "POWER" ? key.label == label
                            : key.label.starts_with(label) && keyPart(key.label) == part)
            return key;
    }
    return std::nullopt;
}

} // namespace

const std::vector<std::string>& deviceGroups() {
    static const std::vector<std::string> groups = {"TV", "CBL", "DVD", "AMP"};
    return groups;
}

std::optional<std::string> deviceGroup(std::string_view text) {
    const std::string wanted = upper(text);
    for (const auto& group : deviceGroups())
        if (group == wanted)
            return group;
    return std::nullopt;
}

bool inDevice(const KeyInfo& key, std::string_view device) {
    return key.label == "POWER/" + std::string(device) ||
           key.label.starts_with(std::string(device) + "/");
}

std::string comparedName(std::string_view name) {
    std::string text = upper(name);
    if (text.starts_with("KEY_"))
        text.erase(0, 4);
    std::string words;
    if (!text.empty() && (text.back() == '+' || text.back() == '-')) {
        words = text.back() == '+' ? "PLUS" : "MINUS";
        text.pop_back();
    }
    std::string out;
    for (char c : text + words)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += c;
    return out;
}

bool isLircName(std::string_view name) {
    return std::any_of(std::begin(kLircNames), std::end(kLircNames),
                       [name](const LircEntry& entry) { return name == entry.name; });
}

std::optional<KeyInfo> keyMeant(const std::vector<KeyInfo>& keys, std::string_view device,
                                std::string_view name) {
    const Meaning* meaning = meaningOf(name);
    if (!meaning)
        return std::nullopt;
    std::string_view alternatives = meaning->keys;
    while (!alternatives.empty()) {
        const auto bar = alternatives.find('|');
        const std::string_view part = alternatives.substr(0, bar);
        if (auto key = deviceKey(keys, device, part))
            return key;
        alternatives = bar == std::string_view::npos ? "" : alternatives.substr(bar + 1);
    }
    return std::nullopt;
}

bool hasMeaning(std::string_view name) {
    return meaningOf(name) != nullptr;
}

} // namespace urctool
