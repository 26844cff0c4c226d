#pragma once

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <string>

// The LV2 plug-in and its X11 panel around the effect that the library is built with. The
// descriptors hold `uri`'s text, which must outlive them (a literal in the module).
LV2_Descriptor Lv2EffectDescriptor(const char* uri);
LV2UI_Descriptor Lv2PanelDescriptor(const char* uiUri);

// The key the effect's chunk is saved under in a host's state, and the panel's URI.
std::string Lv2StateKey(const char* pluginUri);
std::string Lv2PanelUri(const char* pluginUri);
