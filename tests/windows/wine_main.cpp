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

// As hosts that scale their own windows are: the system then gives the editor the screen's
// density instead of enlarging a 96 dpi picture of it.
void BeAwareOfDensities() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    FARPROC proc = GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext");
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void*>(proc));
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    if (!set || !set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) SetProcessDPIAware();
}

// Through void*: FARPROC and the entry point's type are unrelated function types.
VstPluginEntryProc Export(const char* name) {
    return reinterpret_cast<VstPluginEntryProc>(run.dll->Symbol(name));
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
    BeAwareOfDensities();
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
