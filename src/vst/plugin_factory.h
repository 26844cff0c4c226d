#pragma once

#include "vst/aeffect.h"

class IPlugVST;

// Makes one instance of the effect for a host, or null. The VST layer declares it; the
// effect that the library is built around defines it.
IPlugVST* CreatePlugin(audioMasterCallback host);
