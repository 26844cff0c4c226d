#include "lv2/time_position.h"

#include <lv2/atom/util.h>
#include <lv2/time/time.h>

#include <optional>

namespace {
std::optional<double> Number(const TimeUrids& u, const LV2_Atom* atom) {
    return atom ? AtomNumber(u, atom->type, atom->size, atom + 1) : std::nullopt;
}
} // namespace

TimeUrids::TimeUrids(const LV2_URID_Map* map)
    : NumberUrids(map), object(MapUri(map, LV2_ATOM__Object)), blank(MapUri(map, LV2_ATOM__Blank)),
      frameTime(MapUri(map, LV2_ATOM__frameTime)), position(MapUri(map, LV2_TIME__Position)),
      bpm(MapUri(map, LV2_TIME__beatsPerMinute)), speed(MapUri(map, LV2_TIME__speed)),
      frame(MapUri(map, LV2_TIME__frame)), beatsPerBar(MapUri(map, LV2_TIME__beatsPerBar)),
      beatUnit(MapUri(map, LV2_TIME__beatUnit)) {}

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
