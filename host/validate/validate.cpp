#include "validate.h"

#include "groups.h"
#include "host/command_errors.h"
#include "isolated_group.h"
#include "report.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace vhost::validate {

int runValidate(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Settings settings;
    try {
        if (std::find(args.begin(), args.end(), "--help") != args.end()) {
            out << kValidateUsage;
            return 0;
        }
        settings = parseSettings(args);
        for (const std::string& name : settings.groups)
            if (std::none_of(allGroups().begin(), allGroups().end(),
                             [&](const Group& g) { return name == g.name; }))
                throw UsageError("validate: no group called '" + name + "'");
    } catch (const UsageError& e) {
        err << "velmorande-host: " << e.what() << '\n' << kValidateUsage;
        return 2;
    }
    if (!std::filesystem::exists(settings.plugin)) {
        err << "velmorande-host: no such plug-in: " << settings.plugin.string() << '\n';
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    std::vector<TestRecord> records;
    if (!settings.json)
        out << "validating " << settings.plugin.string() << " at level " << settings.level << "\n";
    for (const Group& group : allGroups()) {
        if (!settings.groups.empty() && std::find(settings.groups.begin(), settings.groups.end(),
                                                  group.name) == settings.groups.end())
            continue;
        double timeout = settings.timeoutSeconds;
        if (std::string(group.name) == "threads" && settings.threadSeconds)
            timeout = std::max(timeout, *settings.threadSeconds + 120.0);
        runIsolated(
            group.name, [&](Probe& probe) { group.run(settings, probe); }, timeout,
            [&](const TestRecord& record) {
                records.push_back(record);
                if (!settings.json) printRecord(record, out);
            });
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (settings.json)
        printJson(settings.plugin.string(), settings.level, records, took.count(), out);
    else
        printSummary(records, took.count(), out);
    return allPassed(records) ? 0 : 1;
}

} // namespace vhost::validate
