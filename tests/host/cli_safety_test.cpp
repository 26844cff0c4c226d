// What velmorande-host does to the files it is given: never replace a node that is not a
// regular file, never overwrite INPUT under another name, standard output for "-", bare
// plug-in names and output extensions.
#include "host/audio_diff.h"
#include "test_support.h"

#include <sndfile.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

namespace vhost {
namespace {

namespace fs = std::filesystem;
using test::contains;
using test::runHostExecutable;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int shell(const std::string& command) {
    return WEXITSTATUS(std::system(command.c_str()));
}

// The same audio (the bytes differ: a float WAV's PEAK chunk holds the time of writing).
bool sameAudio(const fs::path& a, const fs::path& b) {
    return diffAudioFiles(a, b, 0.0).within(0.0);
}

// Quoted for the shell (the test paths hold no quotes).
std::string q(const fs::path& path) {
    std::string quoted(1, '\'');
    quoted += path.string();
    quoted += '\'';
    return quoted;
}

class CliSafety : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        test::writeAudio(input,
                         test::sine(2, 44100, 4410, 330.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
        original = slurp(input);
        // What a render into a plain file gives, to compare the other targets with.
        auto r =
            runHostExecutable({FIXTURE_GAIN, "-q", input.string(), (dir / "ref.wav").string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    test::TempDir dir;
    fs::path input;
    std::string original;
};

TEST_F(CliSafety, NodesThatAreNotRegularFilesAreWrittenIntoNotReplaced) {
    struct Case {
        const char* name;
        fs::file_type type;
        fs::path written; // where the audio must end up
    };
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    std::ofstream(dir / "target.txt") << "old";
    fs::create_symlink("target.txt", dir / "link.wav");
    fs::create_symlink("sub/new.wav", dir / "dangling.wav");
    fs::create_directory(dir / "sub");
    std::vector<Case> cases = {
        {"fifo", fs::file_type::fifo, dir / "from-fifo.wav"},
        {"link.wav", fs::file_type::symlink, dir / "target.txt"},
        {"dangling.wav", fs::file_type::symlink, dir / "sub" / "new.wav"},
    };
    // A device node is what was destroyed as root (/dev/null); making one needs root.
    if (geteuid() == 0) {
        ASSERT_EQ(mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
        cases.push_back({"null", fs::file_type::character, {}});
    }
    // Something has to read the FIFO for the host to write into it.
    // A time limit, so that a host that replaced the FIFO does not leave it waiting forever.
    shell("timeout 20 cat " + q(dir / "fifo") + " > " + q(dir / "from-fifo.wav") +
          " 2>/dev/null </dev/null &");
    for (const Case& c : cases) {
        auto r = runHostExecutable({FIXTURE_GAIN, "-q", input.string(), (dir / c.name).string()});
        EXPECT_EQ(r.exitCode, 0) << c.name << ": " << r.err;
        EXPECT_EQ(fs::symlink_status(dir / c.name).type(), c.type) << c.name;
        if (!c.written.empty()) {
            for (int i = 0; i < 100 && slurp(c.written).size() < slurp(dir / "ref.wav").size(); ++i)
                usleep(20000);
            EXPECT_TRUE(sameAudio(c.written, dir / "ref.wav")) << c.name;
        }
    }
    // Nothing was left beside the targets.
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_FALSE(contains(entry.path().filename().string(), ".tmp")) << entry.path();
}

TEST_F(CliSafety, InputUnderAnotherNameIsNeverOverwritten) {
    fs::create_hard_link(input, dir / "hard.wav");
    fs::create_symlink("in.wav", dir / "soft.wav");
    const std::string out = (dir / "out.wav").string();
    const std::vector<std::vector<std::string>> cases = {
        {input.string(), (dir / "." / "in.wav").string()},
        {input.string(), fs::relative(input).string()},
        {input.string(), (dir / "hard.wav").string()},
        {input.string(), (dir / "soft.wav").string()},
        {(dir / "hard.wav").string(), input.string()},
        {input.string(), out, "--save", (dir / "hard.wav").string()},
        {input.string(), out, "--save", (dir / "." / "out.wav").string()},
    };
    for (const auto& args : cases) {
        std::vector<std::string> all = {FIXTURE_GAIN, "-P", "Gain=50"};
        all.insert(all.end(), args.begin(), args.end());
        auto r = runHostExecutable(all);
        EXPECT_EQ(r.exitCode, 2) << args[1];
        EXPECT_TRUE(contains(r.err, "is INPUT") || contains(r.err, "same file") ||
                    contains(r.err, "is OUTPUT"))
            << r.err;
        EXPECT_EQ(slurp(input), original) << args[1];
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST_F(CliSafety, DashIsStandardInputAndOutput) {
    const fs::path captured = dir / "stdout.wav";
    const std::string command = q(HOST_EXECUTABLE) + " " + q(FIXTURE_GAIN) + " - - < " + q(input) +
                                " > " + q(captured) + " 2> " + q(dir / "err.txt");
    ASSERT_EQ(shell(command), 0) << slurp(dir / "err.txt");
    EXPECT_TRUE(sameAudio(captured, dir / "ref.wav"));
    // The summary went to standard error, out of the audio's way.
    EXPECT_TRUE(contains(slurp(dir / "err.txt"), "wrote standard output"));
    EXPECT_FALSE(fs::exists(dir / "-"));
    // Through a pipe, which cannot seek back to finish a header.
    ASSERT_EQ(shell(q(HOST_EXECUTABLE) + " -q " + q(FIXTURE_GAIN) + " " + q(input) + " - | cat > " +
                    q(dir / "piped.wav")),
              0);
    EXPECT_TRUE(sameAudio(dir / "piped.wav", dir / "ref.wav"));
}

TEST_F(CliSafety, ABareFileNameIsAPlugInInTheCurrentDirectory) {
    fs::copy_file(FIXTURE_GAIN, dir / "gain.so");
    ASSERT_EQ(
        shell("cd " + q(dir.path()) + " && " + q(HOST_EXECUTABLE) + " -q gain.so in.wav bare.wav"),
        0);
    EXPECT_TRUE(sameAudio(dir / "bare.wav", dir / "ref.wav"));
}

TEST_F(CliSafety, TheExtensionNamesTheFormatOrIsRefused) {
    struct Case {
        std::vector<std::string> extra;
        const char* name;
        int exitCode;
        int format; // 0: no file
    };
    for (const Case& c : std::vector<Case>{
             {{}, "o.ogg", 0, SF_FORMAT_OGG | SF_FORMAT_VORBIS},
             {{}, "o.mp3", 0, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
             {{}, "o.au", 0, SF_FORMAT_AU | SF_FORMAT_FLOAT},
             {{}, "o.rf64", 0, SF_FORMAT_RF64 | SF_FORMAT_FLOAT},
             {{}, "o.xyz", 2, 0},
             {{}, "o.m4a", 2, 0},
             {{"--format", "wav"}, "o.xyz", 0, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
         }) {
        std::vector<std::string> args = {FIXTURE_GAIN, "-q"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back(input.string());
        args.push_back((dir / c.name).string());
        auto r = runHostExecutable(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << r.err;
        if (c.format == 0) {
            EXPECT_TRUE(contains(r.err, "ogg, opus, mp3")) << r.err;
            EXPECT_FALSE(fs::exists(dir / c.name));
        } else {
            EXPECT_EQ(test::readAudio(dir / c.name).format, c.format) << c.name;
        }
        fs::remove(dir / c.name);
    }
}

} // namespace
} // namespace vhost
