// Lifecycle: many create, open and close cycles, with the heap in use checked for growth.
#include "groups.h"
#include "memory_usage.h"
#include "session.h"

namespace vhost::validate {

void lifecycleGroup(const Settings& settings, Probe& probe) {
    const int cycles = 100 * settings.level;
    probe.test("lifecycle: " + std::to_string(cycles) + " create, open and close cycles", [&] {
        auto library = std::make_shared<DynamicLibrary>(settings.plugin);
        // Process-wide caches fill during the first cycles.
        const int warmUp = std::min(20, cycles / 10);
        for (int i = 0; i < warmUp; ++i)
            Session session(library);
        const std::optional<std::size_t> before = heapBytesInUse();
        for (int i = warmUp; i < cycles; ++i) {
            Session session(library);
            if (i % 2) session.start(44100, 512);
        }
        const std::optional<std::size_t> after = heapBytesInUse();
        if (!before || !after) return std::string("heap use not measurable in this build");
        const long long growth = static_cast<long long>(*after) - static_cast<long long>(*before);
        const long long perCycle = growth / std::max(1, cycles - warmUp);
        // A few bytes per cycle are the allocator's own bookkeeping.
        require(perCycle < 64, "the heap grew by " + std::to_string(growth) + " bytes (" +
                                   std::to_string(perCycle) + " per cycle)");
        return "heap grew by " + std::to_string(growth) + " bytes";
    });
}

} // namespace vhost::validate
