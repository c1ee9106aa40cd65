#pragma once
// What a remote's key name means on the URC: the key of a device group (TV,
// CBL, DVD, AMP, and that device's key of the POWER group) that does what a
// code named so does. Names are LIRC's namespace (KEY_POWER, KEY_VOLUMEUP,
// KEY_0, ...; its list is the one lircd reads, lirc/input_map.inc) and the
// common spellings without the prefix (POWER, VOL+, VOLUME_UP, CH+, 0, OK,
// SELECT, ...), compared without regard to case, "_", "-" or spaces.
#include "urctool/key_names.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

// TV, CBL, DVD and AMP: the groups import --device takes.
const std::vector<std::string>& deviceGroups();
// The device group a --device text names (any case); nullopt for none.
std::optional<std::string> deviceGroup(std::string_view text);

// Whether the key belongs to the device: its label starts with "TV/", or it
// is the device's power key ("POWER/TV").
bool inDevice(const KeyInfo& key, std::string_view device);

// A name compared as the table compares it: upper case, without a "KEY_"
// prefix, a "+" or "-" at its end as PLUS or MINUS, letters and digits only
// ("KEY_VOLUMEUP" -> "VOLUMEUP", "vol+" -> "VOLPLUS", "Vol_Up" -> "VOLUP").
std::string comparedName(std::string_view name);

// Whether `name` is exactly a name of LIRC's namespace ("KEY_MUTE").
bool isLircName(std::string_view name);

// The device's key a code called `name` means; nullopt when the table knows
// no meaning for the name or the device has no key for it. A name with
// several keys that could serve (KEY_OK: OK, else ENTER) gets the first the
// device has.
std::optional<KeyInfo> keyMeant(const std::vector<KeyInfo>& keys, std::string_view device,
                                std::string_view name);
// Whether the table knows a meaning for the name on any device.
bool hasMeaning(std::string_view name);

} // namespace urctool
