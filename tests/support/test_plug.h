#pragma once

#include "core/plug_base.h"
#include "support/recording_host.h"

// A plug-in with no effect of its own, for control and editor tests: "Level" 0..100 %
// (default 50) and the three-way choice "Mode".
class TwoParamPlug : public IPlugBase {
public:
    TwoParamPlug()
        : IPlugBase(2, "2-2", 1, "Test", "", "Maker", 0x10000, 1, 2, 0, 0, false, false) {
        GetParam(0)->DefineInteger("Level", 50, 0, 100, "%");
        GetParam(1)->DefineChoice("Mode", 0, 3, "");
    }
};
using RecordingPlug = RecordingHost<TwoParamPlug>;
