// Renders the audio scenario through the Linux plug-in library and writes what came out:
// the reference the Windows suite compares the DLL's output with.
#include "audio_scenario.h"

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    void* library = dlopen(VELMORANDE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto entry = reinterpret_cast<VstPluginEntryProc>(dlsym(library, "VSTPluginMain"));
    const std::vector<AudioStream> streams = RenderAudioScenario(entry);
    const bool written = streams.size() == 6 && WriteStreams(argv[1], streams);
    dlclose(library);
    if (!written) {
        std::fprintf(stderr, "could not render or write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %zu streams to %s\n", streams.size(), argv[1]);
    return 0;
}
