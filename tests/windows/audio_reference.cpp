// Renders the audio scenario through the Linux plug-in library and writes what came out:
// the reference the Windows suite compares the DLL's output with.
#include "audio_scenario.h"
#include "vsthost/dynamic_library.h"
#include "vsthost/plugin_instance.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    std::vector<AudioStream> streams;
    try {
        vhost::DynamicLibrary library(VELMORANDE_PLUGIN_PATH);
        streams = RenderAudioScenario(vhost::PluginInstance::EntryOf(library));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    if (streams.size() != 6 || !WriteStreams(argv[1], streams)) {
        std::fprintf(stderr, "could not render or write %s\n", argv[1]);
        return 1;
    }
    std::printf("wrote %zu streams to %s\n", streams.size(), argv[1]);
    return 0;
}
