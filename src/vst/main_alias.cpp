// The entry point under the name older hosts look for. Its own object, so that programs
// that link the entry point in-process (tests) keep their own main.
#include "vst/entry_point.h"

// Older hosts look for "main". It cannot be declared as such in C++, so an assembler
// label gives this function that name.
extern "C" VST_EXPORT AEffect* VSTPluginMainAlias(audioMasterCallback host) asm("main");
extern "C" AEffect* VSTPluginMainAlias(audioMasterCallback host) {
    return VSTPluginMain(host);
}
