// A real Linux host's plug-in scan: Ardour's VST2 scanner loads the library in its own
// process, instantiates it and records what it finds. Skipped where Ardour is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

TEST(HostScan, ArdourScannerFindsTheEffect) {
    const char* scanner = "/usr/lib/ardour7/ardour-vst-scanner";
    if (!std::filesystem::exists(scanner)) GTEST_SKIP() << "Ardour is not installed";
#ifdef VELMORANDE_SANITIZED
    GTEST_SKIP() << "a sanitizer build of the library cannot load into another program";
#endif
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "velmorande-ardour-scan";
    std::filesystem::create_directories(dir);
    const std::filesystem::path plugin = dir / "velmorande.so";
    std::filesystem::copy_file(VELMORANDE_PLUGIN_PATH, plugin,
                               std::filesystem::copy_options::overwrite_existing);
    const std::filesystem::path log = dir / "scan.log";
    const std::string command = "HOME=" + dir.string() + " LD_LIBRARY_PATH=/usr/lib/ardour7 " +
                                scanner + " -v -f " + plugin.string() + " > " + log.string() +
                                " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    const std::string out = text.str();
    EXPECT_NE(out.find("Found Plugin"), std::string::npos) << out;
    EXPECT_NE(out.find("name=\"Velmorande\""), std::string::npos) << out;
    EXPECT_NE(out.find("creator=\"Talvo\""), std::string::npos) << out;
    EXPECT_NE(out.find("n_inputs=\"2\" n_outputs=\"2\""), std::string::npos) << out;
    EXPECT_NE(out.find("can_process_replace=\"1\""), std::string::npos) << out;
    std::filesystem::remove_all(dir);
}
