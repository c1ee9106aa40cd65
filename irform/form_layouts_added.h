#pragma once
// The bit layouts of the later forms (LG, Samsung 48, GI Cable, the Kaseikyo
// makers' variants and a few smaller makers' forms; see
// form_layouts_added.cpp). The rows of form_rows_added.h point at them.
#include "irform/form_definition.h"

#include <cstdint>
#include <optional>

namespace irform::detail {

uint64_t packLg(Fields f);
std::optional<Fields> unpackLg(uint64_t v);
uint64_t packSamsung48(Fields f);
std::optional<Fields> unpackSamsung48(uint64_t v);
uint64_t packGiCable(Fields f);
std::optional<Fields> unpackGiCable(uint64_t v);
uint64_t packKonka(Fields f);
std::optional<Fields> unpackKonka(uint64_t v);
uint64_t packSymphony(Fields f);
std::optional<Fields> unpackSymphony(uint64_t v);
uint64_t packMetz19(Fields f);
std::optional<Fields> unpackMetz19(uint64_t v);
uint64_t packVelleman(Fields f);
std::optional<Fields> unpackVelleman(uint64_t v);
// Kaseikyo makers' variants.
uint64_t packDenonK(Fields f);
std::optional<Fields> unpackDenonK(uint64_t v);
// 56 bits: maker, D, S, X, F, D^S^X^F (Panasonic's and JVC's).
template <uint32_t Maker> uint64_t packKaseikyo56(Fields f);
template <uint32_t Maker> std::optional<Fields> unpackKaseikyo56(uint64_t v);
uint64_t packSharpDvd(Fields f);
std::optional<Fields> unpackSharpDvd(uint64_t v);
uint64_t packMitsubishiK(Fields f);
std::optional<Fields> unpackMitsubishiK(uint64_t v);
uint64_t packFujitsu(Fields f);
std::optional<Fields> unpackFujitsu(uint64_t v);
uint64_t packFujitsu56(Fields f);
std::optional<Fields> unpackFujitsu56(uint64_t v);
uint64_t packTeacK(Fields f);
std::optional<Fields> unpackTeacK(uint64_t v);

} // namespace irform::detail
