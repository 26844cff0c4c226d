// Lifecycle: many create, open and close cycles, with the heap in use checked for growth.
#include "alloc_counter.h"
#include "groups.h"
#include "session.h"
#include "time_budget.h"

#include <algorithm>

namespace vhost::validate {
namespace {

// The smallest block the C library hands out: one leaked per cycle is a leak.
constexpr std::int64_t kLeakBytesPerCycle = 24;

} // namespace

void LifecycleGroup(const Settings& settings, Probe& probe) {
    const int cycles = 100 * settings.level;
    probe.Test("lifecycle: " + std::to_string(cycles) + " create, open and close cycles", [&] {
        const TimeBudget budget(settings);
        auto library = std::make_shared<DynamicLibrary>(settings.plugin);
        // Process-wide caches fill during the first cycles.
        const int warmUp = std::min(20, cycles / 10);
        for (int i = 0; i < warmUp; ++i)
            Session session(library);
        // The heap is read after each half of the cycles: a leak grows it in both, a cache
        // filling up or a one-time allocation does not.
        const std::int64_t start = LiveHeapBytes();
        std::int64_t half = start;
        const int middle = warmUp + (cycles - warmUp) / 2;
        int done = warmUp;
        for (; done < cycles && !budget.Spent(); ++done) {
            if (done == middle) half = LiveHeapBytes();
            Session session(library);
            if (done % 2) session.Start(44100, 512);
        }
        const std::int64_t end = LiveHeapBytes();
        if (done < cycles) probe.Warn(budget.Stopped(done, cycles, "cycles"));
        if (!AllocationCounting()) return std::string("heap use not counted in this build");
        if (done < cycles) return "heap grew by " + std::to_string(end - start) + " bytes";
        const std::int64_t first = (half - start) / (middle - warmUp);
        const std::int64_t second = (end - half) / (cycles - middle);
        Require(std::min(first, second) < kLeakBytesPerCycle,
                "the heap grew by " + std::to_string(end - start) + " bytes, " +
                    std::to_string(first) + " and " + std::to_string(second) +
                    " per cycle in the two halves");
        return "heap grew by " + std::to_string(end - start) + " bytes";
    });
}

} // namespace vhost::validate
