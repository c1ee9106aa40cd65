#include "key_table.h"

namespace keypanel {

// clang-format off
const std::array<KeyDefinition, kKeyCount> kKeyTable = {{
    {"00", "IBtn1", "POWER/TV", 23, 48, 27, 33},
    {"01", "IBtn2", "POWER/CBL", 64, 48, 32, 26},
    {"02", "IBtn3", "POWER/DVD", 103, 48, 29, 26},
    {"03", "IBtn4", "POWER/AMP", 145, 48, 27, 26},
    {"04", "IBtn5", "TV/ AV/TV", 23, 87, 31, 17},
    {"05", "IBtn6", "TV/MUTE", 62, 86, 30, 17},
    {"06", "IBtn7", "TV/VOL+", 103, 85, 31, 17},
    {"07", "IBtn8", "TV/P+", 145, 84, 31, 19},
    {"10", "IBtn9", "TV/F1", 22, 112, 32, 17},
    {"11", "IBtn10", "TV/F2", 63, 112, 31, 16},
    {"12", "IBtn11", "TV/VOL-", 103, 113, 33, 17},
    {"13", "IBtn12", "TV/P-", 145, 112, 32, 19},
    {"14", "IBtn13", "CBL/1", 23, 139, 31, 18},
    {"15", "IBtn14", "CBL/2", 63, 139, 30, 17},
    {"16", "IBtn15", "CBL/3", 103, 139, 30, 17},
    {"17", "IBtn16", "CBL/GUIDE", 145, 138, 30, 19},
    {"20", "IBtn17", "CBL/4", 23, 166, 30, 18},
    {"21", "IBtn18", "CBL/5", 63, 166, 31, 18},
    {"22", "IBtn19", "CBL/6", 103, 166, 31, 17},
    {"23", "IBtn20", "CBL/ACTIVE", 146, 166, 31, 19},
    {"24", "IBtn25", "CBL/7", 22, 192, 33, 17},
    {"25", "IBtn21", "CBL/8", 63, 192, 29, 20},
    {"26", "IBtn22", "CBL/9", 103, 192, 34, 21},
    {"27", "IBtn24", "CBL/LIST", 146, 192, 31, 19},
    {"30", "IBtn33", "CBL/DASH", 22, 218, 31, 17},
    {"31", "IBtn29", "CBL/0", 64, 216, 31, 21},
    {"32", "IBtn28", "CBL/ENTER", 104, 216, 29, 18},
    {"33", "IBtn23", "CBL/EXIT", 146, 216, 36, 18},
    {"34", "IBtn34", "CBL/BACK", 23, 245, 37, 24},
    {"35", "IBtn26", "CBL/MENU", 64, 245, 34, 18},
    {"36", "IBtn27", "CBL/INFO", 105, 245, 37, 24},
    {"37", "IBtn43", "CBL/PREV", 147, 244, 37, 24},
    {"40", "IBtn30", "CBL/VOL+", 17, 273, 55, 34},
    {"41", "IBtn35", "CBL/UP", 81, 268, 43, 35},
    {"42", "IBtn57", "CBL/forward", 126, 272, 51, 31},
    {"43", "IBtn49", "CBL/LEFT", 54, 299, 30, 35},
    {"44", "IBtn31", "CBL/OK", 84, 301, 29, 37},
    {"45", "IBtn53", "CBL/RIGHT", 115, 298, 30, 35},
    {"46", "IBtn37", "CBL/VOL-", 17, 333, 49, 31},
    {"47", "IBtn38", "CBL/DOWN", 82, 337, 36, 30},
    {"50", "IBtn32", "CBL/back", 128, 331, 49, 31},
    {"51", "IBtn48", "CBL/RED", 23, 377, 30, 19},
    {"52", "IBtn41", "CBL/BLUE", 63, 376, 32, 18},
    {"53", "IBtn39", "DVD/YELLO", 104, 376, 30, 18},
    {"54", "IBtn36", "DVD/GREEN", 146, 376, 32, 20},
    {"55", "IBtn47", "DVD/REWIND", 23, 403, 34, 19},
    {"56", "IBtn46", "DVD/STOP", 63, 402, 32, 19},
    {"57", "IBtn42", "DVD/PAUSE", 104, 402, 40, 20},
    {"60", "IBtn40", "DVD/PLAY", 146, 404, 33, 17},
    {"61", "IBtn63", "DVD/STEPBACK", 24, 431, 29, 21},
    {"62", "IBtn52", "DVD/StepBackward", 64, 430, 38, 24},
    {"63", "IBtn44", "DVD/STEPFORWARD", 105, 430, 39, 21},
    {"64", "IBtn67", "DVD/FORWARD", 146, 431, 37, 24},
    {"65", "IBtn54", "DVD/TOP MENU", 22, 455, 27, 25},
    {"66", "IBtn56", "DVD/UP", 78, 462, 49, 24},
    {"67", "IBtn50", "DVD/MENU", 148, 455, 25, 21},
    {"70", "IBtn51", "DVD/LEFT", 51, 464, 30, 57},
    {"71", "IBtn55", "DVD/OK", 78, 482, 46, 23},
    {"72", "IBtn45", "DVD/RIGHT", 122, 464, 27, 57},
    {"73", "IBtn61", "DVD/BACK", 23, 513, 31, 20},
    {"74", "IBtn64", "DVD/DOWN", 78, 510, 48, 19},
    {"75", "IBtn60", "DVD/EXIT", 148, 512, 25, 22},
    {"76", "IBtn66", "AMP/input1", 25, 544, 30, 18},
    {"77", "IBtn65", "AMP/input2", 63, 544, 31, 19},
    {"80", "IBtn68", "AMP/input3", 102, 543, 35, 19},
    {"81", "IBtn62", "AMP/VOL+", 143, 543, 42, 20},
    {"82", "IBtn73", "AMP/F1", 25, 570, 30, 23},
    {"83", "IBtn69", "AMP/F2", 63, 570, 32, 31},
    {"84", "IBtn71", "AMP/MUTE", 102, 570, 32, 23},
    {"85", "IBtn72", "AMP/VOL-", 143, 570, 42, 23},
}};
// clang-format on

int keyCodeValue(std::string_view code) {
    if (code.size() != 2)
        return -1;
    int value = 0;
    for (char c : code) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        if (d < 0)
            return -1;
        value = value * 16 + d;
    }
    return value;
}

} // namespace keypanel
