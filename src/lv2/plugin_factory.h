#pragma once

#include "lv2/plug_lv2.h"

// Makes one instance of the effect for an LV2 host's side, or null. The LV2 layer declares
// it; the effect that the bundle is built around defines it.
IPlugLV2* CreatePlugin(IPlugLV2::Host host);
