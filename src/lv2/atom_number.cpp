#include "lv2/atom_number.h"

#include <lv2/atom/atom.h>

#include <cmath>
#include <cstring>

LV2_URID MapUri(const LV2_URID_Map* map, const char* uri) {
    return map ? map->map(map->handle, uri) : 0;
}

NumberUrids::NumberUrids(const LV2_URID_Map* map)
    : atomFloat(MapUri(map, LV2_ATOM__Float)), atomDouble(MapUri(map, LV2_ATOM__Double)),
      atomInt(MapUri(map, LV2_ATOM__Int)), atomLong(MapUri(map, LV2_ATOM__Long)) {}

namespace {
template <typename T> std::optional<double> Read(std::uint32_t size, const void* body) {
    if (size < sizeof(T)) return std::nullopt;
    T v;
    std::memcpy(&v, body, sizeof v);
    return static_cast<double>(v);
}
} // namespace

std::optional<double> AtomNumber(const NumberUrids& u, LV2_URID type, std::uint32_t size,
                                 const void* body) {
    if (!body || type == 0) return std::nullopt;
    std::optional<double> v;
    if (type == u.atomFloat)
        v = Read<float>(size, body);
    else if (type == u.atomDouble)
        v = Read<double>(size, body);
    else if (type == u.atomInt)
        v = Read<std::int32_t>(size, body);
    else if (type == u.atomLong)
        v = Read<std::int64_t>(size, body);
    if (v && !std::isfinite(*v)) return std::nullopt;
    return v;
}
