// The Windows suite: GoogleTest run under Wine by scripts/windows.sh.
//
// Usage: velmorande-wine-tests [GoogleTest options] DLL REFERENCE SCREENSHOT
//   DLL         the plug-in library
//   REFERENCE   the Linux library's output for the audio scenario
//   SCREENSHOT  where to write the picture of the editor as the screen shows it
#include "wine_environment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <exception>

namespace {

WineRun run;

// Through void*: FARPROC and the entry point's type are unrelated function types.
VstPluginEntryProc Export(const char* name) {
    return reinterpret_cast<VstPluginEntryProc>(run.dll->symbol(name));
}

} // namespace

const WineRun& Suite() {
    return run;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 4) {
        std::printf("usage: %s [GoogleTest options] DLL REFERENCE SCREENSHOT\n", argv[0]);
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    run.dllPath = argv[1];
    run.referencePath = argv[2];
    run.screenshotPath = argv[3];
    try {
        run.dll = std::make_shared<vhost::DynamicLibrary>(run.dllPath);
    } catch (const std::exception& e) {
        std::printf("%s\n", e.what());
        return 1;
    }
    run.entry = Export("VSTPluginMain");
    run.mainEntry = Export("main");
    return RUN_ALL_TESTS();
}
