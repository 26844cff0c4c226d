#include "settings.h"

#include "host/command_errors.h"
#include "host/text_match.h"

#include <charconv>

namespace vhost::validate {

const char* const kValidateUsage =
    "usage: velmorande-host validate PLUGIN [--level 1..10] [--json] [--group NAME]...\n"
    "                                [--seconds S] [--timeout S] [--seed N]\n"
    "  --level    how thorough: 1 is quick, 10 runs every case at full length (default 5);\n"
    "             from 5 on, texts longer than the interface's own sizes are warnings\n"
    "  --json     one JSON document instead of a line per test\n"
    "  --group    run only this group (repeatable): open, queries, programs, state,\n"
    "             processing, automation, editor, threads, calls, lifecycle, allocations\n"
    "  --seconds  how long the threads group runs\n"
    "  --timeout  seconds a group may run (default 60; the threads group has its running\n"
    "             time on top). A group still running then counts as hung: its process is\n"
    "             ended, the test it was in fails with \"timeout\" and the last call it\n"
    "             announced, the rest of the group does not run. Loops sized by the level\n"
    "             stop at half the timeout with a warning, so a slow plug-in is not taken\n"
    "             for a hung one. When the open group cannot open the plug-in (it hangs,\n"
    "             crashes or fails), the other groups are reported as not run.\n"
    "  --seed     seed of the random cases\n"
    "Each test passes, warns, fails or is skipped; warnings (texts past the interface's\n"
    "sizes, output the plug-in prints) do not change the exit code: 0 when nothing failed,\n"
    "1 when something did, 2 on a usage error.\n";

namespace {

double Number(const std::string& option, const std::string& text, double low, double high) {
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !(value >= low) ||
        !(value <= high))
        throw UsageError(option + " wants a number from " + ShortNumber(low) + " to " +
                         ShortNumber(high) + ", not '" + text + "'");
    return value;
}

} // namespace

double ThreadsSeconds(const Settings& settings) {
    return settings.threadSeconds.value_or(settings.level >= 8   ? 10.0
                                           : settings.level >= 4 ? 4.0
                                                                 : 1.5);
}

double GroupTimeout(const Settings& settings, const std::string& group) {
    return settings.timeoutSeconds + (group == "threads" ? ThreadsSeconds(settings) : 0.0);
}

Settings ParseSettings(const std::vector<std::string>& args) {
    Settings s;
    bool havePlugin = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            return args[++i];
        };
        if (a == "--json") {
            s.json = true;
        } else if (a == "--level") {
            double level = Number(a, value(), 1, 10);
            if (level != static_cast<int>(level)) throw UsageError("--level wants a whole number");
            s.level = static_cast<int>(level);
        } else if (a == "--group") {
            s.groups.push_back(value());
        } else if (a == "--seconds") {
            s.threadSeconds = Number(a, value(), 0.1, 86400);
        } else if (a == "--timeout") {
            s.timeoutSeconds = Number(a, value(), 1, 86400);
        } else if (a == "--seed") {
            s.seed = static_cast<std::uint32_t>(Number(a, value(), 0, 4294967295.0));
        } else if (!a.empty() && a[0] == '-') {
            throw UsageError("validate: unknown option " + a);
        } else if (!havePlugin) {
            s.plugin = a;
            havePlugin = true;
        } else {
            throw UsageError("validate takes one plug-in, not also '" + a + "'");
        }
    }
    if (!havePlugin) throw UsageError("validate needs a plug-in");
    return s;
}

} // namespace vhost::validate
