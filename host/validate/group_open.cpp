// Opening: from a library not yet loaded (cold) and again with it loaded (warm), the
// descriptor's plausibility, and an instance closed without ever being opened.
#include "groups.h"
#include "session.h"

#include <chrono>
#include <iomanip>
#include <sstream>

namespace vhost::validate {
namespace {

std::string millis(std::chrono::steady_clock::duration d) {
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << std::chrono::duration<double, std::milli>(d).count()
      << " ms";
    return s.str();
}

std::string describeDescriptor(PluginInstance& p) {
    std::ostringstream s;
    s << p.numInputs() << " in, " << p.numOutputs() << " out, " << p.numParams() << " parameters, "
      << p.numPrograms() << " programs" << (p.hasFlag(effFlagsHasEditor) ? ", editor" : "")
      << (p.hasFlag(effFlagsProgramChunks) ? ", chunks" : "")
      << (p.supports(ProcessMode::Replacing) ? ", replacing" : "")
      << (p.supports(ProcessMode::DoubleReplacing) ? ", double" : "");
    return s.str();
}

} // namespace

const char* const kColdOpenTest = "open: cold (load, create, open, close)";
const char* const kWarmOpenTest = "open: warm (create, open, close)";

void openGroup(const Settings& settings, Probe& probe) {
    using Clock = std::chrono::steady_clock;
    std::shared_ptr<DynamicLibrary> library;
    probe.test(kColdOpenTest, [&] {
        auto start = Clock::now();
        library = std::make_shared<DynamicLibrary>(settings.plugin);
        { Session session(library); }
        return millis(Clock::now() - start);
    });
    probe.test(kWarmOpenTest, [&] {
        require(library != nullptr, "the library did not load");
        auto start = Clock::now();
        { Session session(library); }
        return millis(Clock::now() - start);
    });
    probe.test("open: descriptor", [&] {
        require(library != nullptr, "the library did not load");
        Session session(library);
        PluginInstance& p = session.plugin();
        const AEffect& e = p.effect();
        require(e.dispatcher != nullptr, "no dispatcher");
        require(e.setParameter != nullptr && e.getParameter != nullptr, "no parameter callbacks");
        require(e.process || e.processReplacing || e.processDoubleReplacing, "no audio callback");
        require(!p.hasFlag(effFlagsCanReplacing) || e.processReplacing,
                "announces processReplacing without the callback");
        require(!p.hasFlag(effFlagsCanDoubleReplacing) || e.processDoubleReplacing,
                "announces processDoubleReplacing without the callback");
        require(p.numOutputs() > 0, "no outputs");
        require(e.initialDelay >= 0, "negative latency " + std::to_string(e.initialDelay));
        return describeDescriptor(p);
    });
    probe.test("open: created and closed without opening", [&] {
        require(library != nullptr, "the library did not load");
        Session session(library, Startup::CreateOnly);
        return std::string();
    });
}

} // namespace vhost::validate
