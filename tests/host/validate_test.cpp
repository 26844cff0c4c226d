// The validator's own parts: its command line, the line protocol between a group's process
// and the report, sample checks, and groups that crash, hang or exit early.
#include "audio_check.h"
#include "host/command_errors.h"
#include "isolated_group.h"
#include "settings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <limits>
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
        Settings s = parseSettings(row.args);
        EXPECT_EQ(s.plugin, "p.so");
        EXPECT_EQ(s.level, row.level);
        EXPECT_EQ(s.json, row.json);
        EXPECT_EQ(s.groups.size(), row.groups);
        EXPECT_EQ(s.threadSeconds.value_or(0), row.seconds);
    }
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
        EXPECT_THROW(parseSettings(args), vhost::UsageError) << ::testing::PrintToString(args);
}

TEST(ValidateReport, LinesBecomeRecords) {
    GroupLog log("g");
    EXPECT_FALSE(log.feed(beginLine("g: first")));
    EXPECT_TRUE(log.testOpen());
    auto record = log.feed(endLine(Outcome::Fail, 1.5, "g: first", "NaN\tat\nframe 3"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->name, "g: first");
    EXPECT_EQ(record->outcome, Outcome::Fail);
    EXPECT_EQ(record->seconds, 1.5);
    EXPECT_EQ(record->note, "NaN at frame 3");
    EXPECT_FALSE(log.testOpen());
    record = log.feed(endLine(Outcome::Skip, 0, "g: second", ""));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->outcome, Outcome::Skip);
    EXPECT_EQ(record->note, "");
    EXPECT_FALSE(log.feed("noise from a plug-in"));

    EXPECT_EQ(log.abandon("signal 11", 0).name, "g: group");
    log.feed(beginLine("g: third"));
    TestRecord died = log.abandon("signal 11", 2.0);
    EXPECT_EQ(died.name, "g: third");
    EXPECT_EQ(died.outcome, Outcome::Fail);
    EXPECT_EQ(died.note, "signal 11");
}

TEST(ValidateReport, OnlyFailuresFailARun) {
    TestRecord pass{"g", "a", Outcome::Pass, 0, ""}, skip{"g", "b", Outcome::Skip, 0, ""},
        fail{"g", "c", Outcome::Fail, 0, ""};
    EXPECT_TRUE(allPassed({pass, skip}));
    EXPECT_FALSE(allPassed({pass, fail, skip}));
    EXPECT_FALSE(allPassed({})); // nothing ran
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
        {1000.5, true, "absurd"},  {-1e6, false, "absurd"},
        {nan, true, "NaN"},        {nan, false, "NaN"},
        {inf, true, "infinity"},   {-inf, false, "infinity"},
        {1e-40, true, "denormal"}, {-1e-42, true, "denormal"},
        {1e-40, false, ""},        {1e-310, false, "denormal"},
        {1.2e-38, true, ""},
    };
    for (const Row& row : rows) {
        auto fault = sampleFault(row.value, row.single);
        if (!*row.fault)
            EXPECT_FALSE(fault) << row.value;
        else
            EXPECT_TRUE(fault && fault->rfind(row.fault, 0) == 0) << row.value;
    }
}

namespace {
std::vector<TestRecord> runGroup(const GroupBody& body, double timeout = 30.0) {
    std::vector<TestRecord> records;
    runIsolated("g", body, timeout, [&](const TestRecord& r) { records.push_back(r); });
    return records;
}
} // namespace

TEST(ValidateIsolation, OutcomesOfTestsThatReturn) {
    auto records = runGroup([](Probe& probe) {
        probe.test("g: passes", [] { return std::string("note"); });
        probe.test("g: fails", []() -> std::string { throw TestFailure("because"); });
        probe.test("g: skips", []() -> std::string { skipTest("nothing to do"); });
        probe.test("g: throws", []() -> std::string { throw std::runtime_error("odd"); });
    });
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].outcome, Outcome::Pass);
    EXPECT_EQ(records[0].note, "note");
    EXPECT_EQ(records[1].outcome, Outcome::Fail);
    EXPECT_EQ(records[1].note, "because");
    EXPECT_EQ(records[2].outcome, Outcome::Skip);
    EXPECT_EQ(records[3].outcome, Outcome::Fail);
    EXPECT_EQ(records[3].note, "odd");
}

TEST(ValidateIsolation, ACrashFailsTheTestItHappenedIn) {
    auto records = runGroup([](Probe& probe) {
        probe.test("g: before", [] { return std::string(); });
        probe.test("g: dies", []() -> std::string {
            std::raise(SIGTERM);
            return {};
        });
        probe.test("g: never runs", [] { return std::string(); });
    });
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].outcome, Outcome::Pass);
    EXPECT_EQ(records[1].name, "g: dies");
    EXPECT_EQ(records[1].outcome, Outcome::Fail);
    EXPECT_EQ(records[1].note.rfind("signal 15", 0), 0u) << records[1].note;
}

TEST(ValidateIsolation, AHangIsATimeout) {
    auto records = runGroup(
        [](Probe& probe) {
            probe.test("g: hangs", []() -> std::string {
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
    auto records = runGroup([](Probe&) { ::_exit(3); });
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "g: group");
    EXPECT_EQ(records[0].note, "the process exited with code 3");
}
