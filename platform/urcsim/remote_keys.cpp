#include "platform/urcsim/remote_keys.h"

#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/raw_example.h"

#include <array>

namespace urcsim {

namespace {

// clang-format off
constexpr std::array<RemoteKey, 62> kRemoteKeys = {{
    {"Power", "power", "nec",    0x04,   0x08},
    {"Vol +", "volup", "nec",    0x04,   0x02},
    {"Vol -", "voldown", "nec",  0x04,   0x03},
    {"Mute",  "mute",  "nec",    0x04,   0x09},
    {"Ch +",  "chup",  "rc5",    0x00,   0x20},
    {"Ch -",  "chdown", "rc5",   0x00,   0x21},
    {"1",     "digit1", "sirc12", 0x01,  0x00},
    {"2",     "digit2", "sirc12", 0x01,  0x01},
    {"3",     "digit3", "sirc12", 0x01,  0x02},
    {"OK",    "ok",    "necx",   0x7F01, 0x15},
    {"Guide", "guide", "sirc15", 0x97,   0x25},
    {"Input", "input", "raw",    617,    0},
    // One key of each other form the URC recognises.
    {"RC6 Menu",   "rc6_menu",   "rc6",       0x00,   0x54},
    {"JVC Play",   "jvc_play",   "jvc",       0x03,   0x0C},
    {"Pana Power", "pana_power", "panasonic", 0x0080, 0x3D},
    {"Sam Power",  "sam_power",  "samsung32", 0x0707, 0x02},
    {"Sam36 Vol",  "sam36_vol",  "samsung36", 0x0400, 0x0E1},
    {"Denon Vol",  "denon_vol",  "denon",     0x02,   0xF1},
    {"Sharp Ch",   "sharp_ch",   "sharp",     0x01,   0x11},
    {"RC5x Menu",  "rc5x_menu",  "rc5x",      0x0A5,  0x12},
    {"MCE Home",   "mce_home",   "rc6a32",    0x800F, 0x040D},
    {"Aiwa Play",  "aiwa_play",  "aiwa",      0x006E, 0x15},
    {"Pio Input",  "pio_input",  "pioneer",   0xA5,   0x55},
    {"Mitsu Ch",   "mitsu_ch",   "mitsubishi", 0x47,  0x1A},
    {"Nokia OK",   "nokia_ok",   "nokia32",   0x1A01, 0x0021},
    {"NRC17 TV",   "nrc17_tv",   "nrc17",     0x01,   0x0C},
    {"Thomson Ch", "thomson_ch", "thomson",   0x3,    0x20},
    {"Dish Guide", "dish_guide", "dish",      0x001,  0x1B},
    {"DTV Menu",   "dtv_menu",   "directv",   0xC,    0x24},
    {"Bose Mute",  "bose_mute",  "bose",      0x00,   0x01},
    {"Apple Play", "apple_play", "apple",     0x4D,   0x5E},
    {"RCA Power",  "rca_power",  "rca",       0xF,    0x54},
    {"Pana Old",   "pana_old",   "panasonic-old", 0x05, 0x3A},
    {"NEC2 Vol",   "nec2_vol",   "nec2",      0x20,   0x12},
    {"NEC32 Up",   "nec32_up",   "nec32",     0x7F80, 0x1E61},
    {"JVC48 Stop", "jvc48_stop", "jvc48",     0x0230, 0x07},
    {"LG Vol +",   "lg_volup",   "lg",        0x88,   0x0834},
    {"LG2 Power",  "lg2_power",  "lg2",       0x88,   0xC005},
    {"Sam48 Mute", "sam48_mute", "samsung48", 0x0707, 0x2C01},
    {"GI Guide",   "gi_guide",   "gicable",   0x1,    0x30},
    {"DenonK Vol", "denonk_vol", "denonk",    0x21,   0x0F4},
    {"Pana56 Rec", "pana56_rec", "panasonic56", 0x0B80, 0x0130},
    {"SDVD Play",  "sdvd_play",  "sharpdvd",  0x1AA,  0x116},
    {"MitK Power", "mitk_power", "mitsubishik", 0x0247, 0x3A},
    {"Fuji Mode",  "fuji_mode",  "fujitsu",   0x1010, 0x012},
    {"Konka Menu", "konka_menu", "konka",     0x02,   0x4C},
    {"Fan Speed",  "fan_speed",  "symphony",  0x00,   0x582},
    {"Proton Ch",  "proton_ch",  "proton",    0x15,   0x33},
    {"Teac Play",  "teac_play",  "teack",     0x1020, 0x45},
    {"JVC56 Ejct", "jvc56_ejct", "jvc56",     0x00F1, 0x0205},
    {"Fuji56 Tmr", "fuji56_tmr", "fujitsu56", 0x2020, 0x0033},
    {"Metz Vol",   "metz_vol",   "metz19",    0x2,    0x15},
    {"Screen Up",  "screen_up",  "elitescreens", 0x0FDA, 0x2256},
    {"Vell On",    "vell_on",    "velleman",  0x3,    0x2A},
    {"XMP Guide",  "xmp_guide",  "xmp",       0x2B1C, 0x4A00},
    {"Nokia12 Ch", "nokia12_ch", "nokia12",   0x6,    0x31},
    {"Nokia24 OK", "nokia24_ok", "nokia24",   0x1A40, 0x5C},
    {"RECS80 Vol", "recs80_vol", "recs80",    0x2,    0x15},
    {"Grundig Ch", "grundig_ch", "grundig16", 0x61,   0x2C},
    {"Sony8 Play", "sony8_play", "sony8",     0x00,   0x1A},
    {"Sam20 Src",  "sam20_src",  "samsung20", 0x7C5,  0x3B},
    {"RCA38 Mute", "rca38_mute", "rca38",     0x9,    0xC6},
}};
// clang-format on

bool isRaw(const RemoteKey& key) {
    return key.protocol == "raw";
}

} // namespace

std::span<const RemoteKey> remoteKeys() {
    return kRemoteKeys;
}

CaptureText remoteKeyCapture(const RemoteKey& key) {
    if (isRaw(key))
        return {irform::renderCapture(irform::rawExampleSignal(key.device)), ""};
    // Seen through a typical receiver, as `urc-sim press` does.
    auto capture =
        irform::pressCapture(key.protocol, key.device, key.command, irform::kTypicalReceiver);
    if (!capture)
        return {"", "the key " + std::string(key.label) + " has no code this URC understands"};
    return {*capture, ""};
}

std::string remoteKeySignal(const RemoteKey& key) {
    if (isRaw(key))
        return irform::describeSignal(irform::rawExampleSignal(key.device));
    const auto protocol = irform::protocolFromName(key.protocol);
    if (!protocol)
        return std::string(key.protocol);
    return irform::describeDecoded({*protocol, key.device, key.command});
}

} // namespace urcsim
