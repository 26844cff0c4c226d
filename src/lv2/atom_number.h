#pragma once

#include <lv2/urid/urid.h>

#include <cstdint>
#include <optional>

// The types hosts send a number as, which differ from host to host for the same property.
struct NumberUrids {
    LV2_URID atomFloat = 0, atomDouble = 0, atomInt = 0, atomLong = 0;

    explicit NumberUrids(const LV2_URID_Map* map = nullptr);
};

// A URI's URID, or 0 without a map.
LV2_URID MapUri(const LV2_URID_Map* map, const char* uri);

// The number in a value of one of those types, when the size holds one and it is finite.
std::optional<double> AtomNumber(const NumberUrids& u, LV2_URID type, std::uint32_t size,
                                 const void* body);
