// What velmorande-host does to the files it writes, on every path that writes one (OUTPUT,
// --save, --editor-png, the --demo files): nodes that are not regular files are written into
// and never replaced, links have their targets written, no file is named twice when one name
// writes it, and a replaced file keeps its mode, owner, group and links. Also bare plug-in
// names and output extensions.
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
using test::Contains;
using test::RunHostExecutable;
using test::SameAudio;
using test::Shell;
using test::ShellQuoted;
using test::Slurp;

constexpr unsigned kNobody = 65534;

// The same content: the same audio for audio files (a float WAV's PEAK chunk holds the time
// of writing), else the same bytes.
bool SameContent(const fs::path& a, const fs::path& b) {
    if (Slurp(a) == Slurp(b)) return true;
    try {
        return SameAudio(a, b);
    } catch (const std::exception&) {
        return false;
    }
}

struct stat StatOf(const fs::path& path) {
    struct stat s {};
    ::lstat(path.c_str(), &s);
    return s;
}

// Runs the host as the user nobody, for what only another user can see.
std::vector<std::string> AsNobody() {
    return {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
}

class CliSafety : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        test::WriteAudio(input,
                         test::Sine(2, 44100, 4410, 330.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
        original = Slurp(input);
    }
    // A path that writes one file, with the arguments that make it write `target`.
    struct WritePath {
        const char* name;
        std::vector<std::string> (*args)(const fs::path& input, const fs::path& target);
    };
    static std::vector<WritePath> WritePaths() {
        std::vector<WritePath> paths = {
            {"OUTPUT",
             [](const fs::path& in, const fs::path& target) -> std::vector<std::string> {
                 return {FIXTURE_GAIN, "-q", in.string(), target.string()};
             }},
            {"--save",
             [](const fs::path&, const fs::path& target) -> std::vector<std::string> {
                 return {FIXTURE_GAIN, "-q", "--save", target.string()};
             }},
            // The demo's output: the target is named DIR/demo-output.wav.
            {"--demo",
             [](const fs::path&, const fs::path& target) -> std::vector<std::string> {
                 return {FIXTURE_GAIN, "-q", "--demo", target.parent_path().string()};
             }},
        };
#ifdef VELMORANDE_PLUGIN
        paths.push_back({"--editor-png",
                         [](const fs::path&, const fs::path& target) -> std::vector<std::string> {
                             return {VELMORANDE_PLUGIN, "-q", "--editor-png", target.string()};
                         }});
#endif
        return paths;
    }
    test::TempDir dir;
    fs::path input;
    std::string original;
};

TEST_F(CliSafety, EveryWritePathWritesIntoNodesAndThroughLinksWithoutReplacingThem) {
    // A device node is what was destroyed as root (/dev/null); making one needs root.
    const bool root = geteuid() == 0;
    for (const WritePath& path : WritePaths()) {
        const fs::path base = dir / path.name;
        fs::create_directories(base / "ref");
        const fs::path ref = base / "ref" / "demo-output.wav";
        auto r = RunHostExecutable(path.args(input, ref));
        ASSERT_EQ(r.exitCode, 0) << path.name << ": " << r.err;

        struct Node {
            const char* kind;
            fs::file_type type;
            fs::path written; // where the data must end up; empty: nowhere to look
        };
        std::vector<Node> nodes = {{"fifo", fs::file_type::fifo, base / "from-fifo"},
                                   {"link", fs::file_type::symlink, base / "target.txt"},
                                   {"dangling", fs::file_type::symlink, base / "sub" / "new"}};
        if (root) nodes.push_back({"null", fs::file_type::character, {}});
        for (const Node& node : nodes) {
            const fs::path at = base / node.kind / "demo-output.wav";
            fs::create_directories(at.parent_path());
            const std::string kind = node.kind;
            if (kind == "fifo") {
                ASSERT_EQ(mkfifo(at.c_str(), 0644), 0);
                // The reader, with a time limit should the host replace the FIFO instead.
                Shell("timeout 20 cat " + ShellQuoted(at) + " > " + ShellQuoted(node.written) +
                      " 2>" + ShellQuoted(base / "cat.err") + " &");
            } else if (kind == "link") {
                std::ofstream(node.written) << "old";
                fs::create_symlink(node.written, at);
            } else if (kind == "dangling") {
                fs::create_directories(node.written.parent_path());
                fs::create_symlink(node.written, at);
            } else {
                ASSERT_EQ(mknod(at.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
            }
            const struct stat before = StatOf(at);
            r = RunHostExecutable(path.args(input, at));
            EXPECT_EQ(r.exitCode, 0) << path.name << " into " << kind << ": " << r.err;
            const struct stat after = StatOf(at);
            EXPECT_EQ(fs::symlink_status(at).type(), node.type) << path.name << " " << kind;
            EXPECT_EQ(after.st_ino, before.st_ino) << path.name << " " << kind;
            EXPECT_EQ(after.st_rdev, before.st_rdev) << path.name << " " << kind;
            if (node.written.empty()) continue;
            for (int i = 0; i < 100 && Slurp(node.written).size() < Slurp(ref).size(); ++i)
                usleep(20000);
            EXPECT_TRUE(SameContent(node.written, ref)) << path.name << " into " << kind;
        }
    }
    // Nothing was left beside the targets.
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
        EXPECT_FALSE(Contains(entry.path().filename().string(), ".tmp")) << entry.path();
}

TEST_F(CliSafety, NoFileIsNamedTwiceWhenOneOfTheNamesWritesIt) {
    fs::create_hard_link(input, dir / "hard.wav");
    fs::create_symlink("in.wav", dir / "soft.wav");
    fs::copy_file(FIXTURE_GAIN, dir / "plug.so");
    const std::string plug = (dir / "plug.so").string();
    const std::string in = input.string();
    const std::string out = (dir / "out.wav").string();
    std::ofstream(dir / "state.fxp") << "kept";
    std::ofstream(dir / "auto.json") << R"({"Gain": {"points": [[0, 100]]}})";
    const std::string state = (dir / "state.fxp").string();
    const std::string automation = (dir / "auto.json").string();
    const std::vector<std::vector<std::string>> cases = {
        {plug, in, (dir / "." / "in.wav").string()},
        {plug, in, fs::relative(input).string()},
        {plug, in, (dir / "hard.wav").string()},
        {plug, in, (dir / "soft.wav").string()},
        {plug, (dir / "hard.wav").string(), in},
        {plug, in, out, "--save", (dir / "hard.wav").string()},
        {plug, in, out, "--save", (dir / "." / "out.wav").string()},
        {plug, in, out, "--editor-png", in},
        {plug, "--save", (dir / "sub" / ".." / "plug.so").string()},
        {FIXTURE_GAIN, "--then", plug, "--save", plug},
        {plug, "--save", (dir / "x.fxp").string(), "--editor-png", (dir / "x.fxp").string()},
        {plug, "--load", state, "--save", state},
        {plug, "--automate", automation, in, automation},
        {plug, in, "-", "--save", "-"},
        {plug, "--demo", dir.Path().string(), "--save", (dir / "demo-input.wav").string()},
    };
    fs::create_directory(dir / "sub");
    for (const auto& args : cases) {
        auto r = RunHostExecutable(args);
        EXPECT_EQ(r.exitCode, 2) << args[1] << " " << args.back() << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, "are the same file") ||
                    Contains(r.err, "both write standard output"))
            << r.err;
        EXPECT_EQ(Slurp(input), original);
        EXPECT_EQ(Slurp(plug), Slurp(FIXTURE_GAIN));
        EXPECT_EQ(Slurp(state), "kept");
        EXPECT_FALSE(fs::exists(out));
        EXPECT_FALSE(fs::exists(dir / "x.fxp"));
        EXPECT_FALSE(fs::exists(dir / "demo-output.wav"));
    }
    // The plug-in library a bare name stands for is ./name.
    EXPECT_EQ(Shell("cd " + ShellQuoted(dir.Path()) + " && " + ShellQuoted(HOST_EXECUTABLE) +
                    " plug.so --save ./plug.so 2>" + ShellQuoted(dir / "err.txt")),
              2);
    // Reading one file twice harms nothing: one plug-in twice in a chain.
    auto r = RunHostExecutable({plug, "--then", plug, "-q", in, out});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST_F(CliSafety, AReplacedFileKeepsItsModeOwnerAndLinks) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
    struct Rule {
        const char* name;
        void (*prepare)(const fs::path& file);
        std::vector<std::string> extra;
        int exitCode;
        void (*check)(const fs::path& file, const struct stat& before);
    };
    const std::vector<Rule> rules = {
        {"0600 stays 0600",
         [](const fs::path& f) { chmod(f.c_str(), 0600); },
         {},
         0,
         [](const fs::path& f, const struct stat&) {
             EXPECT_EQ(StatOf(f).st_mode & 07777, 0600u) << f;
         }},
        {"owner and group stay",
         [](const fs::path& f) { ASSERT_EQ(chown(f.c_str(), kNobody, kNobody), 0); },
         {},
         0,
         [](const fs::path& f, const struct stat&) {
             EXPECT_EQ(StatOf(f).st_uid, kNobody) << f;
             EXPECT_EQ(StatOf(f).st_gid, kNobody) << f;
         }},
        {"hard links stay one file",
         [](const fs::path& f) { fs::create_hard_link(f, f.string() + ".link"); },
         {},
         0,
         [](const fs::path& f, const struct stat& before) {
             EXPECT_EQ(StatOf(f).st_ino, before.st_ino) << f;
             EXPECT_EQ(StatOf(f).st_nlink, 2u) << f;
             EXPECT_EQ(Slurp(f), Slurp(f.string() + ".link")) << f;
         }},
        {"read-only is refused",
         [](const fs::path& f) { chmod(f.c_str(), 0444); },
         {},
         1,
         [](const fs::path& f, const struct stat&) { EXPECT_EQ(Slurp(f), "old") << f; }},
        {"read-only is replaced with --force",
         [](const fs::path& f) { chmod(f.c_str(), 0444); },
         {"--force"},
         0,
         [](const fs::path& f, const struct stat&) {
             EXPECT_NE(Slurp(f), "old") << f;
             EXPECT_EQ(StatOf(f).st_mode & 07777, 0444u) << f;
         }},
    };
    int n = 0;
    for (const WritePath& path : WritePaths()) {
        if (std::string(path.name) == "--demo") continue; // it writes the same way as OUTPUT
        for (const Rule& rule : rules) {
            const fs::path file = dir / ("file" + std::to_string(n++)) / "demo-output.wav";
            fs::create_directories(file.parent_path());
            std::ofstream(file) << "old";
            rule.prepare(file);
            const struct stat before = StatOf(file);
            std::vector<std::string> args = path.args(input, file);
            args.insert(args.end(), rule.extra.begin(), rule.extra.end());
            auto r = RunHostExecutable(args);
            EXPECT_EQ(r.exitCode, rule.exitCode) << path.name << ", " << rule.name << ": " << r.err;
            rule.check(file, before);
            EXPECT_EQ(test::TempDir::Listed(file.parent_path()).size(),
                      std::string(rule.name).starts_with("hard") ? 2u : 1u)
                << path.name << ", " << rule.name;
        }
    }
}

TEST_F(CliSafety, AnotherUsersFilesAndDirectoriesAreRespected) {
    if (geteuid() != 0) GTEST_SKIP() << "acting as another user needs root";
    if (Shell("setpriv --reuid=65534 --regid=65534 --clear-groups true") != 0)
        GTEST_SKIP() << "setpriv cannot switch to the user nobody here";
    fs::permissions(dir.Path(), fs::perms::all); // the host as nobody makes its own files
    struct Case {
        const char* name;
        unsigned directory, owner, file; // modes and the file's owner
        std::vector<std::string> extra;
        int exitCode;
        bool replaced;  // the data arrived
        bool sameInode; // written in place
        unsigned ownerAfter;
    };
    for (const Case& c : std::vector<Case>{
             // nobody may write the file but not its directory: written in place.
             {"directory not writable", 0755, kNobody, 0644, {}, 0, true, true, kNobody},
             // root's 0644 file: nobody may not write it, refused as cp refuses...
             {"another owner's file", 0777, 0, 0644, {}, 1, false, true, 0},
             // ...unless forced: then it is nobody's new file.
             {"another owner's file, forced", 0777, 0, 0644, {"--force"}, 0, true, false, kNobody},
             // root's 0666 file: nobody may write it but not give it back to root: in place.
             {"another owner's writable file", 0777, 0, 0666, {}, 0, true, true, 0},
         }) {
        const fs::path sub = dir / c.name;
        fs::create_directory(sub);
        const fs::path file = sub / "out.wav";
        std::ofstream(file) << "old";
        ASSERT_EQ(chown(file.c_str(), c.owner, c.owner), 0);
        ASSERT_EQ(chmod(file.c_str(), c.file), 0);
        ASSERT_EQ(chmod(sub.c_str(), c.directory), 0);
        const struct stat before = StatOf(file);
        std::vector<std::string> args = {FIXTURE_GAIN, "-q", input.string(), file.string()};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        auto r = RunHostExecutable(args, AsNobody());
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << ": " << r.err;
        EXPECT_EQ(Slurp(file) != "old", c.replaced) << c.name;
        EXPECT_EQ(StatOf(file).st_ino == before.st_ino, c.sameInode) << c.name;
        EXPECT_EQ(StatOf(file).st_uid, c.ownerAfter) << c.name;
        EXPECT_EQ(test::TempDir::Listed(sub).size(), 1u) << c.name;
        fs::permissions(sub, fs::perms::all);
    }
}

TEST_F(CliSafety, ABareFileNameIsAPlugInInTheCurrentDirectory) {
    fs::copy_file(FIXTURE_GAIN, dir / "gain.so");
    ASSERT_EQ(RunHostExecutable({FIXTURE_GAIN, "-q", input.string(), (dir / "ref.wav").string()})
                  .exitCode,
              0);
    ASSERT_EQ(Shell("cd " + ShellQuoted(dir.Path()) + " && " + ShellQuoted(HOST_EXECUTABLE) +
                    " -q gain.so in.wav bare.wav"),
              0);
    EXPECT_TRUE(SameContent(dir / "bare.wav", dir / "ref.wav"));
}

TEST_F(CliSafety, TheExtensionNamesTheFormatOrIsRefused) {
    struct Case {
        std::vector<std::string> extra;
        const char* name;
        int exitCode;
        int format;          // 0: no file
        const char* warning; // on standard error
    };
    for (const Case& c : std::vector<Case>{
             {{}, "o.ogg", 0, SF_FORMAT_OGG | SF_FORMAT_VORBIS, ""},
             {{}, "o.mp3", 0, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, ""},
             {{}, "o.au", 0, SF_FORMAT_AU | SF_FORMAT_FLOAT, ""},
             {{}, "o.rf64", 0, SF_FORMAT_RF64 | SF_FORMAT_FLOAT, ""},
             {{}, "o.xyz", 2, 0, "ogg, opus, mp3"},
             {{}, "o.m4a", 2, 0, "ogg, opus, mp3"},
             {{"--format", "wav"}, "o.xyz", 0, SF_FORMAT_WAV | SF_FORMAT_FLOAT, ""},
             // --format wins over the name, and the mismatch is said.
             {{"--format", "flac"},
              "o.wav",
              0,
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24,
              "named like a WAV file, but --format flac writes FLAC"},
         }) {
        std::vector<std::string> args = {FIXTURE_GAIN, "-q"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        args.push_back(input.string());
        args.push_back((dir / c.name).string());
        auto r = RunHostExecutable(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.name << r.err;
        EXPECT_TRUE(Contains(r.err, c.warning)) << c.name << r.err;
        if (c.format == 0)
            EXPECT_FALSE(fs::exists(dir / c.name));
        else
            EXPECT_EQ(test::ReadAudio(dir / c.name).format, c.format) << c.name;
        fs::remove(dir / c.name);
    }
}

} // namespace
} // namespace vhost
