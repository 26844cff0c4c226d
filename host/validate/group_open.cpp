// Opening: from a library not yet loaded (cold) and again with it loaded (warm), the
// descriptor's plausibility, and an instance closed without ever being opened.
#include "groups.h"
#include "session.h"

#include <chrono>
#include <iomanip>
#include <sstream>

namespace vhost::validate {
namespace {

std::string Millis(std::chrono::steady_clock::duration d) {
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << std::chrono::duration<double, std::milli>(d).count()
      << " ms";
    return s.str();
}

std::string DescribeDescriptor(PluginInstance& p) {
    std::ostringstream s;
    s << p.NumInputs() << " in, " << p.NumOutputs() << " out, " << p.NumParams() << " parameters, "
      << p.NumPrograms() << " programs" << (p.HasFlag(effFlagsHasEditor) ? ", editor" : "")
      << (p.HasFlag(effFlagsProgramChunks) ? ", chunks" : "")
      << (p.Supports(ProcessMode::Replacing) ? ", replacing" : "")
      << (p.Supports(ProcessMode::DoubleReplacing) ? ", double" : "");
    return s.str();
}

} // namespace

const char* const kColdOpenTest = "open: cold (load, create, open, close)";
const char* const kWarmOpenTest = "open: warm (create, open, close)";

void OpenGroup(const Settings& settings, Probe& probe) {
    using Clock = std::chrono::steady_clock;
    std::shared_ptr<DynamicLibrary> library;
    probe.Test(kColdOpenTest, [&] {
        auto start = Clock::now();
        library = std::make_shared<DynamicLibrary>(settings.plugin);
        { Session session(library); }
        return Millis(Clock::now() - start);
    });
    probe.Test(kWarmOpenTest, [&] {
        Require(library != nullptr, "the library did not load");
        auto start = Clock::now();
        { Session session(library); }
        return Millis(Clock::now() - start);
    });
    probe.Test("open: descriptor", [&] {
        Require(library != nullptr, "the library did not load");
        Session session(library);
        PluginInstance& p = session.Plugin();
        const AEffect& e = p.Effect();
        Require(e.dispatcher != nullptr, "no dispatcher");
        Require(e.setParameter != nullptr && e.getParameter != nullptr, "no parameter callbacks");
        Require(e.process || e.processReplacing || e.processDoubleReplacing, "no audio callback");
        Require(!p.HasFlag(effFlagsCanReplacing) || e.processReplacing,
                "announces processReplacing without the callback");
        Require(!p.HasFlag(effFlagsCanDoubleReplacing) || e.processDoubleReplacing,
                "announces processDoubleReplacing without the callback");
        Require(p.NumOutputs() > 0, "no outputs");
        Require(e.initialDelay >= 0, "negative latency " + std::to_string(e.initialDelay));
        return DescribeDescriptor(p);
    });
    probe.Test("open: created and closed without opening", [&] {
        Require(library != nullptr, "the library did not load");
        Session session(library, Startup::CreateOnly);
        return std::string();
    });
}

} // namespace vhost::validate
