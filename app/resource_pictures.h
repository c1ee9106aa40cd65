#pragma once
// Where the show handling's pictures come from: the five resource-only
// libraries in their load order, the four key-picture banks and the skins.
#include "keypanel/core/key_table.h"
#include "platform/reslib/resource_library.h"

#include <QString>
#include <array>
#include <memory>

namespace resourcepictures {

inline constexpr std::array<const char*, 5> kLibraries = {"one1004.so", "sne1004.so", "fne1004.so",
                                                          "bne1004.so", "dne1004.so"};
enum { kOne, kSne, kFne, kBne, kDne };

// A bank: the library it is read from and its first slot.
struct Bank {
    int library;
    int base;
};
inline constexpr std::array<Bank, 4> kBanks = {{{kOne, keypanel::kPlainBank},
                                                {kSne, keypanel::kLearnedBank},
                                                {kFne, keypanel::kChosenBank},
                                                {kDne, keypanel::kPresetBank}}};

// The skins, all JPEG pictures of the skin library (kBne), in load order.
inline constexpr std::array<const char*, 10> kSkins = {
    "jpgred",     "jpgblue",   "jpggreen", "gifkolvar", "jpgjingtai",
    "stopdelete", "deletehui", "delete",   "clear",     "clearhui"};

// The library `name`: from `folder` alone when one is given (tests give
// theirs), else from the program's folder and then the system's search.
std::unique_ptr<reslib::ResourceLibrary> openLibrary(const QString& folder, const char* name);

} // namespace resourcepictures
