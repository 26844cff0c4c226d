#pragma once

#include "lv2/atom_number.h"
#include "lv2/host_time.h"

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

// The parts of an LV2 host's time:Position the effect can use: tempo, time signature,
// transport state and position.
struct TimeUrids : NumberUrids {
    LV2_URID object = 0, blank = 0, frameTime = 0;
    LV2_URID position = 0, bpm = 0, speed = 0, frame = 0, beatsPerBar = 0, beatUnit = 0;

    explicit TimeUrids(const LV2_URID_Map* map = nullptr);
    bool Mapped() const { return position != 0; }
};

// Applies one event to the time info when it is a time:Position; a field missing from it,
// or one of a type or value that makes no sense, leaves what was there.
bool ApplyTimePosition(const TimeUrids& urids, const LV2_Atom* atom, Lv2Time& time);
