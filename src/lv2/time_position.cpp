#include "lv2/time_position.h"

#include <lv2/atom/util.h>
#include <lv2/time/time.h>

#include <cmath>
#include <cstdint>
#include <optional>

namespace {
LV2_URID Map(const LV2_URID_Map* map, const char* uri) {
    return map ? map->map(map->handle, uri) : 0;
}

std::optional<double> Number(const TimeUrids& u, const LV2_Atom* atom) {
    if (!atom) return std::nullopt;
    double v = 0.0;
    if (atom->type == u.atomFloat && atom->size >= sizeof(float))
        v = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
    else if (atom->type == u.atomDouble && atom->size >= sizeof(double))
        v = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
    else if (atom->type == u.atomInt && atom->size >= sizeof(std::int32_t))
        v = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
    else if (atom->type == u.atomLong && atom->size >= sizeof(std::int64_t))
        v = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
    else
        return std::nullopt;
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}
} // namespace

TimeUrids::TimeUrids(const LV2_URID_Map* map)
    : object(Map(map, LV2_ATOM__Object)), blank(Map(map, LV2_ATOM__Blank)),
      frameTime(Map(map, LV2_ATOM__frameTime)), position(Map(map, LV2_TIME__Position)),
      bpm(Map(map, LV2_TIME__beatsPerMinute)), speed(Map(map, LV2_TIME__speed)),
      frame(Map(map, LV2_TIME__frame)), beatsPerBar(Map(map, LV2_TIME__beatsPerBar)),
      beatUnit(Map(map, LV2_TIME__beatUnit)), atomFloat(Map(map, LV2_ATOM__Float)),
      atomDouble(Map(map, LV2_ATOM__Double)), atomInt(Map(map, LV2_ATOM__Int)),
      atomLong(Map(map, LV2_ATOM__Long)) {}

bool ApplyTimePosition(const TimeUrids& u, const LV2_Atom* atom, Lv2Time& time) {
    if (!u.Mapped() || !atom || (atom->type != u.object && atom->type != u.blank) ||
        atom->size < sizeof(LV2_Atom_Object_Body))
        return false;
    const auto* object = reinterpret_cast<const LV2_Atom_Object*>(atom);
    if (object->body.otype != u.position) return false;

    const LV2_Atom *bpm = nullptr, *speed = nullptr, *frame = nullptr;
    const LV2_Atom *beatsPerBar = nullptr, *beatUnit = nullptr;
    lv2_atom_object_get(object, u.bpm, &bpm, u.speed, &speed, u.frame, &frame, u.beatsPerBar,
                        &beatsPerBar, u.beatUnit, &beatUnit, 0);

    // A tempo of zero or less would leave the effect without a delay line: keep the last.
    if (auto v = Number(u, bpm); v && *v > 0.0) time.tempo = *v;
    if (auto v = Number(u, speed)) time.playing = *v != 0.0;
    if (auto v = Number(u, frame); v && *v >= 0.0) time.frame = *v;
    const auto numerator = Number(u, beatsPerBar);
    const auto denominator = Number(u, beatUnit);
    if (numerator && denominator && *numerator >= 1.0 && *denominator >= 1.0 &&
        *numerator <= 1024.0 && *denominator <= 1024.0) {
        time.beatsPerBar = static_cast<int>(*numerator);
        time.beatUnit = static_cast<int>(*denominator);
    }
    return true;
}
