// The validator's own parts: its command line, the line protocol between a group's process
// and the report, guarded buffers, sample and level checks, and groups that crash, hang,
// exit early or print.
#include "audio_check.h"
#include "chatter.h"
#include "guarded_buffer.h"
#include "host/command_errors.h"
#include "isolated_group.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace vhost::validate;

TEST(ValidateSettings, ParsesOptions) {
    struct Row {
        std::vector<std::string> args;
        int level;
        bool json;
        std::size_t groups;
        double seconds; // 0: not given
    };
    const Row rows[] = {
        {{"p.so"}, 5, false, 0, 0},
        {{"p.so", "--level", "10"}, 10, false, 0, 0},
        {{"--level", "1", "p.so", "--json"}, 1, true, 0, 0},
        {{"p.so", "--group", "threads", "--seconds", "60"}, 5, false, 1, 60},
        {{"p.so", "--group", "open", "--group", "calls"}, 5, false, 2, 0},
    };
    for (const Row& row : rows) {
        Settings s = ParseSettings(row.args);
        EXPECT_EQ(s.plugin, "p.so");
        EXPECT_EQ(s.level, row.level);
        EXPECT_EQ(s.json, row.json);
        EXPECT_EQ(s.groups.size(), row.groups);
        EXPECT_EQ(s.threadSeconds.value_or(0), row.seconds);
    }
}

TEST(ValidateSettings, TimeoutsPerGroup) {
    Settings s = ParseSettings({"p.so", "--level", "10"});
    EXPECT_EQ(GroupTimeout(s, "processing"), 60.0);
    EXPECT_EQ(GroupTimeout(s, "threads"), 70.0); // its 10 s of running on top
    s = ParseSettings({"p.so", "--timeout", "5", "--seconds", "30"});
    EXPECT_EQ(GroupTimeout(s, "open"), 5.0);
    EXPECT_EQ(GroupTimeout(s, "threads"), 35.0);
}

TEST(ValidateSettings, RejectsMalformedCommandLines) {
    const std::vector<std::vector<std::string>> rows = {
        {},
        {"--level", "5"},
        {"p.so", "--level"},
        {"p.so", "--level", "0"},
        {"p.so", "--level", "11"},
        {"p.so", "--level", "2.5"},
        {"p.so", "--level", "five"},
        {"p.so", "--seconds", "-1"},
        {"p.so", "q.so"},
        {"p.so", "--frobnicate"},
    };
    for (const auto& args : rows)
        EXPECT_THROW(ParseSettings(args), vhost::UsageError) << ::testing::PrintToString(args);
}

TEST(ValidateReport, LinesBecomeRecords) {
    GroupLog log("g");
    EXPECT_FALSE(log.Feed(BeginLine("g: first")));
    EXPECT_TRUE(log.TestOpen());
    auto record = log.Feed(EndLine(Outcome::Fail, 1.5, "g: first", "NaN\tat\nframe 3"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->name, "g: first");
    EXPECT_EQ(record->outcome, Outcome::Fail);
    EXPECT_EQ(record->seconds, 1.5);
    EXPECT_EQ(record->note, "NaN at frame 3");
    EXPECT_FALSE(log.TestOpen());
    record = log.Feed(EndLine(Outcome::Skip, 0, "g: second", ""));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->outcome, Outcome::Skip);
    EXPECT_EQ(record->note, "");
    EXPECT_FALSE(log.Feed("noise from a plug-in"));

    EXPECT_EQ(log.Abandon("signal 11", 0).name, "g: group");
    log.Feed(BeginLine("g: third"));
    TestRecord died = log.Abandon("signal 11", 2.0);
    EXPECT_EQ(died.name, "g: third");
    EXPECT_EQ(died.outcome, Outcome::Fail);
    EXPECT_EQ(died.note, "signal 11");
    // The last step a test announced is where it died; a new test starts with none.
    log.Feed(StepLine("call 1: effIdle"));
    log.Feed(StepLine("call 2: effSetSampleRate 22050,\teffSetBlockSize 1"));
    EXPECT_EQ(log.Abandon("signal 8", 0).note,
              "signal 8, in call 2: effSetSampleRate 22050, effSetBlockSize 1");
    log.Feed(BeginLine("g: fourth"));
    EXPECT_EQ(log.Abandon("timeout", 0).note, "timeout");
}

TEST(ValidateReport, EveryOutcomeCrossesTheLineProtocol) {
    for (Outcome o :
         {Outcome::Pass, Outcome::Warn, Outcome::Fail, Outcome::Skip, Outcome::NotRun}) {
        GroupLog log("g");
        auto record = log.Feed(EndLine(o, 0, "g: t", "n"));
        ASSERT_TRUE(record);
        EXPECT_EQ(record->outcome, o) << OutcomeWord(o);
    }
}

TEST(ValidateReport, OnlyFailuresFailARun) {
    TestRecord pass{"g", "a", Outcome::Pass, 0, ""}, skip{"g", "b", Outcome::Skip, 0, ""},
        fail{"g", "c", Outcome::Fail, 0, ""}, warn{"g", "d", Outcome::Warn, 0, "long"},
        notRun{"h", "h: group", Outcome::NotRun, 0, "not run: no"};
    EXPECT_TRUE(AllPassed({pass, skip}));
    EXPECT_TRUE(AllPassed({pass, warn}));
    EXPECT_FALSE(AllPassed({pass, fail, skip}));
    EXPECT_FALSE(AllPassed({})); // nothing ran
    const std::vector<TestRecord> all{pass, warn, fail, skip, notRun};
    std::ostringstream text;
    PrintSummary(all, 1.0, text);
    EXPECT_EQ(text.str(),
              "1 passed, 1 with warnings, 1 failed, 1 skipped, 1 groups not run in 1.0 s\n");
    std::ostringstream json;
    PrintJson("p.so", 5, all, 1.0, json);
    for (const char* word : {"\"pass\"", "\"warn\"", "\"fail\"", "\"skip\"", "\"not run\""})
        EXPECT_NE(json.str().find(std::string("\"result\": ") + word), std::string::npos) << word;
    std::ostringstream line;
    PrintRecord(notRun, line);
    EXPECT_EQ(line.str().rfind("NOT RUN h: group", 0), 0u) << line.str();
}

TEST(ValidateGuardedBuffer, EveryWriteOutsideIsCaughtAndMeasured) {
    constexpr std::size_t kSize = 24;
    for (std::size_t over = 1; over <= GuardedBuffer::kGuardBytes; ++over) {
        GuardedBuffer past(kSize);
        static_cast<char*>(past.data())[kSize + over - 1] = 'x';
        EXPECT_EQ(past.Damage(), "wrote " + std::to_string(over) + " bytes past the end of a " +
                                     std::to_string(kSize) + "-byte buffer");
        GuardedBuffer before(kSize);
        static_cast<char*>(before.data())[-static_cast<std::ptrdiff_t>(over)] = 'x';
        EXPECT_EQ(before.Damage(), "wrote " + std::to_string(over) + " bytes before the buffer");
    }
    GuardedBuffer inside(kSize);
    EXPECT_EQ(inside.WrittenBytes(), 0u);
    for (std::size_t at = 0; at < kSize; ++at) {
        static_cast<char*>(inside.data())[at] = 'x';
        EXPECT_EQ(inside.Damage(), "");
        EXPECT_EQ(inside.WrittenBytes(), at + 1);
    }
    EXPECT_THROW(inside.Text(), TestFailure); // no terminator anywhere
}

TEST(ValidateGuardedBuffer, TheInterfaceOwnTextSizes) {
    const std::pair<VstInt32, std::size_t> rows[] = {
        {effGetParamName, 8},     {effGetParamLabel, 8},          {effGetParamDisplay, 8},
        {effGetProgramName, 24},  {effGetProgramNameIndexed, 24}, {effGetEffectName, 32},
        {effGetVendorString, 64}, {effGetProductString, 64},
    };
    for (auto [opcode, bytes] : rows)
        EXPECT_EQ(NominalTextBytes(opcode), bytes) << opcode;
    EXPECT_LE(kHostTextBytes, kTextBufferBytes - 64); // room to measure an overrun
}

TEST(ValidateProbe, WarningsMakeAPassAWarnAndNothingElse) {
    std::vector<std::string> lines;
    Probe probe("g", [&](const std::string& line) { lines.push_back(line); });
    probe.Test("g: warns", [&] {
        for (int i = 0; i < 5; ++i)
            probe.Warn("w" + std::to_string(i));
        return std::string("note");
    });
    probe.Test("g: fails anyway", [&]() -> std::string {
        probe.Warn("w");
        throw TestFailure("broken");
    });
    probe.Test("g: clean", [&] { return std::string(); });
    GroupLog log("g");
    std::vector<TestRecord> records;
    for (const std::string& line : lines)
        if (auto r = log.Feed(line)) records.push_back(*r);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].outcome, Outcome::Warn);
    EXPECT_EQ(records[0].note, "w0; w1; w2; and 2 more (note)");
    EXPECT_EQ(records[1].outcome, Outcome::Fail);
    EXPECT_EQ(records[1].note, "broken");
    EXPECT_EQ(records[2].outcome, Outcome::Pass);
}

TEST(ValidateAudio, SampleFaults) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        double value;
        bool single;
        const char* fault; // start of the message, "" for none
    };
    const Row rows[] = {
        {0.0, true, ""},           {-0.0, true, ""},
        {0.5, true, ""},           {-1000.0, true, ""},
        {1000.5, true, ""},        {-1e30, false, ""}, // loud is judged over time, not here
        {nan, true, "NaN"},        {nan, false, "NaN"},
        {inf, true, "infinity"},   {-inf, false, "infinity"},
        {1e-40, true, "denormal"}, {-1e-42, true, "denormal"},
        {1e-40, false, ""},        {1e-310, false, "denormal"},
        {1.2e-38, true, ""},
    };
    for (const Row& row : rows) {
        auto fault = SampleFault(row.value, row.single);
        if (!*row.fault)
            EXPECT_FALSE(fault) << row.value;
        else
            EXPECT_TRUE(fault && fault->rfind(row.fault, 0) == 0) << row.value;
    }
}

// Window peaks of a run on held input: growth that keeps on is a fault, a level that holds
// or settles is not.
TEST(ValidateAudio, LevelsThatKeepGrowing) {
    struct Row {
        const char* what;
        double (*level)(int window);
        bool grows;
    };
    const Row rows[] = {
        {"exponential", [](int w) { return 1000.0 * std::pow(3.0, w); }, true},
        {"linear, as an integrator of DC", [](int w) { return 1000.0 + 6000.0 * w; }, true},
        {"slow exponential", [](int w) { return 1000.0 * std::pow(1.15, w); }, true},
        {"steady loud", [](int w) { return 10323.0 * (w % 2 ? 0.97 : 1.0); }, false},
        {"a long reverb building up",
         [](int w) { return 2000.0 * std::sqrt(1.0 - std::exp(-0.465 * 0.25 * (w + 1))); }, false},
        {"a gain ramp that ends", [](int w) { return 1000.0 * std::pow(2.0, std::min(w, 3)); },
         false},
        {"a burst, then silence", [](int) { return 0.0; }, false},
        {"growing, then falling back", [](int w) { return w == 6 ? 900.0 : 1000.0 * (w + 1); },
         false},
    };
    for (const Row& row : rows) {
        std::vector<double> peaks;
        for (int w = 0; w < kJudgeWindows; ++w)
            peaks.push_back(row.level(w));
        EXPECT_EQ(KeepsGrowing(peaks), row.grows) << row.what;
    }
}

namespace {
std::vector<TestRecord> RunGroup(const GroupBody& body, double timeout = 30.0,
                                 std::optional<std::string>* abnormal = nullptr) {
    std::vector<TestRecord> records;
    auto end = RunIsolated("g", body, timeout, [&](const TestRecord& r) { records.push_back(r); });
    if (abnormal) *abnormal = end;
    return records;
}
} // namespace

TEST(ValidateIsolation, OutcomesOfTestsThatReturn) {
    auto records = RunGroup([](Probe& probe) {
        probe.Test("g: passes", [] { return std::string("note"); });
        probe.Test("g: fails", []() -> std::string { throw TestFailure("because"); });
        probe.Test("g: skips", []() -> std::string { SkipTest("nothing to do"); });
        probe.Test("g: throws", []() -> std::string { throw std::runtime_error("odd"); });
    });
    ASSERT_EQ(records.size(), 4u); // nothing printed: no warning about output
    EXPECT_EQ(records[0].outcome, Outcome::Pass);
    EXPECT_EQ(records[0].note, "note");
    EXPECT_EQ(records[1].outcome, Outcome::Fail);
    EXPECT_EQ(records[1].note, "because");
    EXPECT_EQ(records[2].outcome, Outcome::Skip);
    EXPECT_EQ(records[3].outcome, Outcome::Fail);
    EXPECT_EQ(records[3].note, "odd");
}

TEST(ValidateIsolation, ACrashFailsTheTestItHappenedIn) {
    std::optional<std::string> abnormal;
    auto records = RunGroup(
        [](Probe& probe) {
            probe.Test("g: before", [] { return std::string(); });
            probe.Test("g: dies", []() -> std::string {
                std::raise(SIGTERM);
                return {};
            });
            probe.Test("g: never runs", [] { return std::string(); });
        },
        30.0, &abnormal);
    ASSERT_EQ(records.size(), 2u);
    ASSERT_TRUE(abnormal);
    EXPECT_EQ(abnormal->rfind("signal 15", 0), 0u) << *abnormal;
    EXPECT_EQ(records[0].outcome, Outcome::Pass);
    EXPECT_EQ(records[1].name, "g: dies");
    EXPECT_EQ(records[1].outcome, Outcome::Fail);
    EXPECT_EQ(records[1].note.rfind("signal 15", 0), 0u) << records[1].note;
}

TEST(ValidateIsolation, AHangIsATimeout) {
    auto records = RunGroup(
        [](Probe& probe) {
            probe.Test("g: hangs", []() -> std::string {
                for (;;)
                    std::this_thread::sleep_for(std::chrono::seconds(1));
            });
        },
        1.0);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "g: hangs");
    EXPECT_EQ(records[0].note.rfind("timeout", 0), 0u) << records[0].note;
}

TEST(ValidateIsolation, AnEarlyExitFailsTheGroup) {
    auto records = RunGroup([](Probe&) { ::_exit(3); });
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "g: group");
    EXPECT_EQ(records[0].note, "the process exited with code 3");
}

TEST(ValidateIsolation, WhatThePluginPrintsIsCountedPerStream) {
    std::optional<std::string> abnormal{"unset"};
    auto records = RunGroup(
        [](Probe& probe) {
            probe.Test("g: prints", [] {
                std::printf("\n  \nfirst words\nmore\n");  // 21 bytes, buffered until the end
                std::fputs("to standard error\n", stderr); // 18 bytes
                return std::string();
            });
        },
        30.0, &abnormal);
    EXPECT_FALSE(abnormal);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].outcome, Outcome::Pass);
    EXPECT_EQ(records[1].name, "g: the plug-in's own output");
    EXPECT_EQ(records[1].outcome, Outcome::Warn);
    EXPECT_NE(records[1].note.find("wrote 21 bytes to standard output and 18 to standard error"),
              std::string::npos)
        << records[1].note;
}

TEST(ValidateChatter, FirstLineIsTheFirstWithWordsWithoutTerminalCodes) {
    Chatter chatter;
    EXPECT_FALSE(chatter.Record("g"));
    const std::string err = " \t\r\n\x1b[31mbuffer", out = "Size >= 2\x1b[0m\r\nnext\n";
    chatter.Add(true, err.data(), err.size());
    chatter.Add(false, out.data(), out.size());
    auto record = chatter.Record("g");
    ASSERT_TRUE(record);
    EXPECT_EQ(chatter.ErrBytes(), err.size());
    EXPECT_EQ(chatter.OutBytes(), out.size());
    EXPECT_NE(record->note.find("first: 'bufferSize >= 2'"), std::string::npos) << record->note;
}
