#pragma once

// The effect is built once for each plug-in format, on that format's side of the plug-in
// base: IPlugVST for the VST 2.x library, IPlugLV2 for the LV2 bundle (whose build defines
// VELMORANDE_FORMAT_LV2). Each format's factory, CreatePlugin, makes it for that format's
// host.
#if defined(VELMORANDE_FORMAT_LV2)
#include "lv2/plug_lv2.h"
#include "lv2/plugin_factory.h"
using IPlugFormat = IPlugLV2;
#else
#include "vst/plug_vst.h"
#include "vst/plugin_factory.h"
using IPlugFormat = IPlugVST;
#endif
