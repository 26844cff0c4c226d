#include "validate.h"

#include "groups.h"
#include "host/command_errors.h"
#include "isolated_group.h"
#include "report.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace vhost::validate {
namespace {

bool Selected(const Settings& settings, const Group& group) {
    return settings.groups.empty() || std::find(settings.groups.begin(), settings.groups.end(),
                                                group.name) != settings.groups.end();
}

// Why the groups that need an opened plug-in cannot run, when the open group showed it: its
// opening tests did not both pass (a plug-in that only crashes when closed unopened, say,
// still gets every other group).
std::optional<std::string> CannotOpen(const std::optional<std::string>& abnormalEnd,
                                      const std::vector<TestRecord>& openRecords) {
    int opened = 0;
    for (const TestRecord& r : openRecords) {
        if (r.name != kColdOpenTest && r.name != kWarmOpenTest) continue;
        if (r.outcome != Outcome::Pass)
            return abnormalEnd
                       ? "the open group ended with " + *abnormalEnd + " in '" + r.name + "'"
                       : "the plug-in could not be opened: " + r.note;
        ++opened;
    }
    if (opened == 2) return std::nullopt;
    return "the open group ended " + abnormalEnd.value_or("early") + " before opening twice";
}

TestRecord NotRun(const Group& group, const std::string& reason) {
    TestRecord r;
    r.group = group.name;
    r.name = std::string(group.name) + ": group";
    r.outcome = Outcome::NotRun;
    r.note = reason;
    return r;
}

} // namespace

int RunValidate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Settings settings;
    try {
        if (std::find(args.begin(), args.end(), "--help") != args.end()) {
            out << kValidateUsage;
            return 0;
        }
        settings = ParseSettings(args);
        for (const std::string& name : settings.groups)
            if (std::none_of(AllGroups().begin(), AllGroups().end(),
                             [&](const Group& g) { return name == g.name; }))
                throw UsageError("validate: no group called '" + name + "'");
    } catch (const UsageError& e) {
        err << "velmorande-host: " << e.what() << '\n' << kValidateUsage;
        return 2;
    }
    const std::string shownName = settings.plugin.string();
    std::error_code ec;
    if (!std::filesystem::exists(settings.plugin, ec)) {
        err << "velmorande-host: no such plug-in: " << shownName << '\n';
        return 1;
    }
    if (std::filesystem::is_directory(settings.plugin, ec)) {
        err << "velmorande-host: " << shownName << " is a directory, not a plug-in library\n";
        return 1;
    }
    // Every group loads the library by this path in a process of its own; the loader
    // would look for a bare name on its search path, not here.
    if (auto absolute = std::filesystem::absolute(settings.plugin, ec); !ec)
        settings.plugin = absolute;

    const auto start = std::chrono::steady_clock::now();
    std::vector<TestRecord> records;
    auto keep = [&](const TestRecord& record) {
        records.push_back(record);
        if (!settings.json) PrintRecord(record, out);
    };
    if (!settings.json) out << "validating " << shownName << " at level " << settings.level << "\n";
    std::optional<std::string> unopenable;
    for (const Group& group : AllGroups()) {
        if (!Selected(settings, group)) continue;
        if (group.needsOpenedPlugin && unopenable) {
            keep(NotRun(group, *unopenable));
            continue;
        }
        const std::size_t first = records.size();
        settings.groupStarted = std::chrono::steady_clock::now();
        std::optional<std::string> abnormal = RunIsolated(
            group.name, [&](Probe& probe) { group.run(settings, probe); },
            GroupTimeout(settings, group.name), keep);
        if (!group.needsOpenedPlugin)
            unopenable =
                CannotOpen(abnormal, {records.begin() + static_cast<long>(first), records.end()});
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (settings.json)
        PrintJson(shownName, settings.level, records, took.count(), out);
    else
        PrintSummary(records, took.count(), out);
    return AllPassed(records) ? 0 : 1;
}

} // namespace vhost::validate
