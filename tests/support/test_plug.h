#pragma once

#include "support/in_process_plug.h"
#include "vst/plug_vst.h"

// A plug-in with no effect of its own, for control and editor tests: "Level" 0..100 %
// (default 50 unless given) and the three-way choice "Mode".
class TwoParamPlug : public IPlugVST {
public:
    explicit TwoParamPlug(audioMasterCallback host, int levelDefault = 50)
        : IPlugVST(host, 2, "2-2", 1, "Test", "", "Maker", 0x10000, 1, 2, 0, 0, false, false) {
        GetParam(0)->DefineInteger("Level", levelDefault, 0, 100, "%");
        GetParam(1)->DefineChoice("Mode", 0, 3, "");
    }
};
using InProcessTwoParamPlug = InProcessPlug<TwoParamPlug>;
