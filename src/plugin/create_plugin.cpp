// The effect this library is built around, for the VST layer's entry point.
#include "plugin/velmorande.h"
#include "vst/plugin_factory.h"

#include <new>

IPlugVST* CreatePlugin(audioMasterCallback host) {
    return new (std::nothrow) VSTCLASS(host);
}
