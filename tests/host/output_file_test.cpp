// The host's one writer, in the process: nothing appears under the name before commit(),
// a staging file that is not committed is removed, "-" is the stream it is given, and what
// cannot be a file is refused before anything is made.
#include "host/command_errors.h"
#include "host/output_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace vhost {
namespace {

namespace fs = std::filesystem;
using test::Slurp;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(OutputFile, NothingAppearsUnderTheNameBeforeCommit) {
    test::TempDir dir;
    std::ostringstream unused;
    {
        OutputFile file("OUTPUT", (dir / "out.wav").string(), false);
        EXPECT_EQ(file.Kind(), OutputKind::Replace);
        WriteWholeFile(file.Staging(), Bytes("new"), "OUTPUT");
        const auto files = dir.Files();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(files[0].rfind(".out.wav.tmp", 0), 0u); // hidden, beside the target
        file.Commit(unused);
    }
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.wav"});
    EXPECT_EQ(Slurp(dir / "out.wav"), "new");
    {
        OutputFile file("OUTPUT", (dir / "out.wav").string(), false);
        WriteWholeFile(file.Staging(), Bytes("lost"), "OUTPUT");
    } // never committed: a failed run
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.wav"});
    EXPECT_EQ(Slurp(dir / "out.wav"), "new");
}

TEST(OutputFile, DashIsTheStandardOutputItIsGiven) {
    std::ostringstream out;
    OutputFile file("--save", "-", false);
    EXPECT_EQ(file.Kind(), OutputKind::StandardOutput);
    EXPECT_EQ(file.ShownName(), "standard output");
    WriteWholeFile(file.Staging(), Bytes("state"), "--save");
    file.Commit(out);
    EXPECT_EQ(out.str(), "state");
    // A stream that fails is a failure.
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    OutputFile again("--save", "-", false);
    WriteWholeFile(again.Staging(), Bytes("state"), "--save");
    EXPECT_THROW(again.Commit(broken), HostError);
}

TEST(OutputFile, WhatCannotBeAFileIsRefusedBeforeAnythingIsMade) {
    test::TempDir dir;
    fs::create_directory(dir / "sub");
    for (const fs::path& name : {dir / "sub", dir / "missing" / "out.wav", fs::path()}) {
        EXPECT_THROW(OutputFile("OUTPUT", name.string(), false), HostError) << name;
        EXPECT_EQ(dir.Files(), std::vector<std::string>{"sub"}) << name;
    }
    EXPECT_THROW(WriteWholeFile(dir / "missing" / "x", Bytes("x"), "x"), HostError);
}

} // namespace
} // namespace vhost
