// A plug-in that crashes, aborts, ends the process or hangs never makes velmorande-host lie
// or leave debris: the failure is reported with what the plug-in was doing, every file is
// left as it was, no temporary file stays behind, and the first interrupt ends a hung run.
#include "test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace vhost {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::RunHostExecutable;
using test::Slurp;

// Whether a process is left whose command line names `part` (the plug-in's process).
bool ProcessNaming(const std::string& part) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string line = Slurp(entry.path() / "cmdline");
        if (std::to_string(getpid()) != name && Contains(line, part)) return true;
    }
    return false;
}

class CliPluginFaults : public ::testing::Test {
protected:
    void SetUp() override {
        input = dir / "in.wav";
        // Two seconds: the fixture misbehaves after the first.
        test::WriteAudio(input,
                         test::Sine(2, 44100, 88200, 330.0, 0.5, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
        fs::create_directory(dir / "tmp");
        std::ofstream(output) << "old output";
        std::ofstream(state) << "old state";
    }
    // The files there are, beside the staging directory (which must be empty).
    void ExpectEverythingAsItWas(const std::string& what) {
        EXPECT_EQ(Slurp(output), "old output") << what;
        EXPECT_EQ(Slurp(state), "old state") << what;
        EXPECT_EQ(dir.Files(), (std::vector<std::string>{"in.wav", "out.wav", "state.fxp", "tmp"}))
            << what;
        EXPECT_TRUE(test::TempDir::Listed(dir / "tmp").empty()) << what;
        EXPECT_FALSE(ProcessNaming(dir.Path().string())) << what;
    }
    test::TempDir dir;
    fs::path input, output = dir / "out.wav", state = dir / "state.fxp";
};

TEST_F(CliPluginFaults, ACrashAnAbortOrAnExitIsReportedAndLeavesEveryFileAsItWas) {
    struct Case {
        const char* fault;
        std::vector<std::string> args;
        const char* message;
    };
    const std::vector<std::string> render = {FIXTURE_FAULTY, "--save", state.string(),
                                             input.string(), output.string()};
    for (const Case& c : std::vector<Case>{
             {"crash", render,
              "the plug-in crashed (signal 11: Segmentation fault) while rendering; OUTPUT and "
              "--save left as they were"},
             {"abort", render, "the plug-in crashed (signal 6: Aborted) while rendering"},
             {"exit", render,
              "the plug-in ended the process (exit status 0) while rendering; OUTPUT and --save "
              "left as they were"},
             {"crash-open",
              {"--info", FIXTURE_FAULTY},
              "the plug-in crashed (signal 11: Segmentation fault) while loading; nothing was "
              "written"},
             {"crash-open",
              {FIXTURE_FAULTY, "--save", state.string()},
              "while loading; --save left as it was"},
         }) {
        // A sanitizer build would report the crash itself and exit: the signal is the point.
        const char* sanitizer = std::getenv("ASAN_OPTIONS");
        auto r = RunHostExecutable(
            c.args,
            {"env", "FIXTURE_FAULT=" + std::string(c.fault), "TMPDIR=" + (dir / "tmp").string(),
             "ASAN_OPTIONS=" + std::string(sanitizer ? sanitizer : "") + ":handle_segv=0"});
        EXPECT_EQ(r.exitCode, 1) << c.fault << ": " << r.err;
        EXPECT_TRUE(Contains(r.err, c.message)) << c.fault << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.fault;
        ExpectEverythingAsItWas(c.fault);
    }
}

TEST_F(CliPluginFaults, TheFirstInterruptEndsAHungRenderAtOnce) {
    for (int sig : {SIGINT, SIGTERM}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            const int err = open((dir / "tmp" / "err").c_str(), O_WRONLY | O_CREAT, 0644);
            dup2(err, STDERR_FILENO);
            setenv("FIXTURE_FAULT", "hang", 1);
            setenv("TMPDIR", (dir / "tmp").c_str(), 1);
            execl(HOST_EXECUTABLE, HOST_EXECUTABLE, FIXTURE_FAULTY, "-q", "--save", state.c_str(),
                  input.c_str(), output.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // The fixture hangs once a second of audio has gone through: far sooner than this.
        usleep(700000);
        kill(pid, sig);
        // The promise is two seconds; the host reacts within a tenth of one.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        int status = 0;
        bool ended = false;
        while (!(ended = waitpid(pid, &status, WNOHANG) == pid) &&
               std::chrono::steady_clock::now() < deadline)
            usleep(10000);
        if (!ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        EXPECT_TRUE(ended) << strsignal(sig) << " did not end the run within two seconds";
        ASSERT_TRUE(WIFEXITED(status)) << strsignal(sig);
        EXPECT_EQ(WEXITSTATUS(status), 130) << strsignal(sig);
        EXPECT_TRUE(Contains(Slurp(dir / "tmp" / "err"), "interrupted; nothing was written"))
            << Slurp(dir / "tmp" / "err");
        fs::remove(dir / "tmp" / "err");
        ExpectEverythingAsItWas(strsignal(sig));
    }
}

} // namespace
} // namespace vhost
