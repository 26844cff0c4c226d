// Threads: on several instances at once, a user-interface thread (parameters, texts,
// programs, chunks), the audio thread and a thread restoring state, for a set time.
#include "audio_check.h"
#include "groups.h"
#include "guarded_buffer.h"
#include "plugin_state.h"
#include "session.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>

namespace vhost::validate {
namespace {

struct Shared {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::string fault;
    std::atomic<std::uint64_t> blocks{0}, uiCalls{0}, restores{0};

    void fail(const std::string& why) {
        std::lock_guard lock(mutex);
        if (fault.empty()) fault = why;
        stop = true;
    }
};

// Runs a loop body until told to stop; anything thrown ends the test with its reason.
template <typename Body> std::thread worker(Shared& shared, Body body) {
    return std::thread([&shared, body]() mutable {
        try {
            while (!shared.stop)
                body();
        } catch (const std::exception& e) {
            shared.fail(e.what());
        } catch (...) {
            shared.fail("unknown exception");
        }
    });
}

} // namespace

void threadsGroup(const Settings& settings, Probe& probe) {
    const double seconds = threadsSeconds(settings);
    const int instances = settings.level >= 5 ? 3 : 2;

    probe.test("threads: user interface, audio and state restore on " + std::to_string(instances) +
                   " instances",
               [&] {
                   std::vector<std::unique_ptr<Session>> sessions;
                   std::vector<std::vector<std::uint8_t>> banks;
                   for (int i = 0; i < instances; ++i) {
                       sessions.push_back(std::make_unique<Session>(settings.plugin));
                       sessions.back()->start(48000, 256);
                       banks.push_back(encodeBank(captureBank(sessions.back()->plugin())));
                   }
                   Shared shared;
                   std::vector<std::thread> threads;
                   for (int i = 0; i < instances; ++i) {
                       Session& s = *sessions[i];
                       PluginInstance& p = s.plugin();
                       const std::vector<std::uint8_t>& bank = banks[i];
                       const std::uint32_t seed = settings.seed + static_cast<std::uint32_t>(i);
                       threads.push_back(
                           worker(shared, [&s, &p, &shared, seed, rng = std::mt19937(seed),
                                           at = std::int64_t{0}]() mutable {
                               const ProcessMode mode = p.supports(ProcessMode::Replacing)
                                                            ? ProcessMode::Replacing
                                                            : ProcessMode::Accumulating;
                               AudioRun job{mode, false, Signal::Noise, 256, 256};
                               job.startFrame = at;
                               at += 256;
                               if (auto fault = runSignal(s, job, rng)) shared.fail(*fault);
                               ++shared.blocks;
                           }));
                       threads.push_back(
                           worker(shared, [&p, &shared, rng = std::mt19937(seed * 7)]() mutable {
                               std::uniform_real_distribution<float> value(0.0f, 1.0f);
                               for (VstInt32 k = 0; k < p.numParams(); ++k) {
                                   p.setParameter(k, value(rng));
                                   guardedText(p, effGetParamDisplay, k);
                                   guardedText(p, effGetParamName, k);
                               }
                               if (p.numPrograms() > 0) {
                                   p.setProgram(static_cast<VstInt32>(rng() % p.numPrograms()));
                                   guardedText(p, effGetProgramName);
                               }
                               if (p.hasFlag(effFlagsProgramChunks)) p.getChunk(rng() % 2 == 0);
                               ++shared.uiCalls;
                           }));
                       threads.push_back(worker(shared, [&p, &shared, &bank] {
                           std::vector<std::string> warnings;
                           restoreBank(p, decodeBank(bank), warnings);
                           ++shared.restores;
                           std::this_thread::sleep_for(std::chrono::milliseconds(2));
                       }));
                   }
                   const auto end =
                       std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
                   while (!shared.stop && std::chrono::steady_clock::now() < end)
                       std::this_thread::sleep_for(std::chrono::milliseconds(20));
                   shared.stop = true;
                   for (std::thread& t : threads)
                       t.join();
                   require(shared.fault.empty(), shared.fault);
                   return std::to_string(shared.blocks.load()) + " blocks, " +
                          std::to_string(shared.uiCalls.load()) + " interface rounds, " +
                          std::to_string(shared.restores.load()) + " restores in " +
                          std::to_string(static_cast<int>(seconds)) + " s";
               });
}

} // namespace vhost::validate
