#include "settings.h"

#include "host/command_errors.h"
#include "host/text_match.h"

#include <charconv>

namespace vhost::validate {

const char* const kValidateUsage =
    "usage: velmorande-host validate PLUGIN [--level 1..10] [--json] [--group NAME]...\n"
    "                                [--seconds S] [--timeout S] [--seed N]\n"
    "  --level    how thorough: 1 is quick, 10 runs every case at full length (default 5)\n"
    "  --json     one JSON document instead of a line per test\n"
    "  --group    run only this group (repeatable): open, queries, programs, state,\n"
    "             processing, automation, editor, threads, calls, lifecycle, allocations\n"
    "  --seconds  how long the threads group runs\n"
    "  --timeout  seconds a group may take before it counts as hung (default 300)\n"
    "  --seed     seed of the random cases\n";

namespace {

double number(const std::string& option, const std::string& text, double low, double high) {
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !(value >= low) ||
        !(value <= high))
        throw UsageError(option + " wants a number from " + shortNumber(low) + " to " +
                         shortNumber(high) + ", not '" + text + "'");
    return value;
}

} // namespace

Settings parseSettings(const std::vector<std::string>& args) {
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
            double level = number(a, value(), 1, 10);
            if (level != static_cast<int>(level)) throw UsageError("--level wants a whole number");
            s.level = static_cast<int>(level);
        } else if (a == "--group") {
            s.groups.push_back(value());
        } else if (a == "--seconds") {
            s.threadSeconds = number(a, value(), 0.1, 86400);
        } else if (a == "--timeout") {
            s.timeoutSeconds = number(a, value(), 1, 86400);
        } else if (a == "--seed") {
            s.seed = static_cast<std::uint32_t>(number(a, value(), 0, 4294967295.0));
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
