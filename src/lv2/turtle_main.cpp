// Writes the LV2 bundle's Turtle files from the effect the program is linked with.
// Usage: <program> BUNDLE_DIR PLUGIN_URI BINARY_NAME
#include "lv2/plug_lv2.h"
#include "lv2/turtle.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {
// Unchanged files keep their time stamps, so nothing downstream rebuilds for nothing.
bool WriteIfChanged(const std::string& path, const std::string& text) {
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream current;
        current << in.rdbuf();
        if (in && current.str() == text) return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s BUNDLE_DIR PLUGIN_URI BINARY_NAME\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Lv2Plug plug = CreateLv2Plug(nullptr);
    if (!plug) {
        std::fprintf(stderr, "the effect could not be created\n");
        return 1;
    }
    plug->OpenForHost();
    const TurtleFiles files = DescribeBundle(*plug, {argv[2], argv[3]});
    const bool written = WriteIfChanged(dir + "/manifest.ttl", files.manifest) &&
                         WriteIfChanged(dir + "/" + files.pluginFileName, files.plugin) &&
                         WriteIfChanged(dir + "/presets.ttl", files.presets);
    if (!written) {
        std::fprintf(stderr, "cannot write the Turtle files in %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
