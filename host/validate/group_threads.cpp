// Threads, as a host has them, on several instances at once for a set time: an audio thread
// per instance processing and automating the parameters the plug-in calls automatable, and
// the host's main thread: on each instance a user-interface round (parameters, texts,
// programs, chunks) and state restores, from threads of their own that take turns, as a
// host's single main thread does them one after the other.
#include "audio_check.h"
#include "groups.h"
#include "guarded_buffer.h"
#include "host/plugin_state.h"
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
    std::mutex mainThread; // held for each round of main-thread work
    std::mutex mutex;
    std::string fault;
    std::atomic<std::uint64_t> blocks{0}, uiCalls{0}, restores{0};

    void Fail(const std::string& why) {
        std::lock_guard lock(mutex);
        if (fault.empty()) fault = why;
        stop = true;
    }
};

// Runs a loop body until told to stop; anything thrown ends the test with its reason.
template <typename Body> std::thread Worker(Shared& shared, Body body) {
    return std::thread([&shared, body]() mutable {
        try {
            while (!shared.stop)
                body();
        } catch (const std::exception& e) {
            shared.Fail(e.what());
        } catch (...) {
            shared.Fail("unknown exception");
        }
    });
}

} // namespace

void ThreadsGroup(const Settings& settings, Probe& probe) {
    const double seconds = ThreadsSeconds(settings);
    const int instances = settings.level >= 5 ? 3 : 2;

    probe.Test("threads: audio with automation, user interface and state restores on " +
                   std::to_string(instances) + " instances",
               [&] {
                   std::vector<std::unique_ptr<Session>> sessions;
                   std::vector<std::vector<std::uint8_t>> banks;
                   for (int i = 0; i < instances; ++i) {
                       sessions.push_back(std::make_unique<Session>(settings.plugin));
                       sessions.back()->Start(48000, 256);
                       banks.push_back(EncodeBank(CaptureBank(sessions.back()->Plugin())));
                   }
                   Shared shared;
                   std::vector<std::thread> threads;
                   std::vector<std::vector<VstInt32>> automatable(instances);
                   for (int i = 0; i < instances; ++i)
                       for (VstInt32 k = 0; k < sessions[i]->Plugin().NumParams(); ++k)
                           if (sessions[i]->Plugin().Dispatch(effCanBeAutomated, k))
                               automatable[i].push_back(k);
                   for (int i = 0; i < instances; ++i) {
                       Session& s = *sessions[i];
                       PluginInstance& p = s.Plugin();
                       const std::vector<std::uint8_t>& bank = banks[i];
                       const std::vector<VstInt32>& automated = automatable[i];
                       const std::uint32_t seed = settings.seed + static_cast<std::uint32_t>(i);
                       threads.push_back(Worker(shared, [&s, &p, &shared, &automated, seed,
                                                         rng = std::mt19937(seed),
                                                         at = std::int64_t{0}]() mutable {
                           const ProcessMode mode = p.Supports(ProcessMode::Replacing)
                                                        ? ProcessMode::Replacing
                                                        : ProcessMode::Accumulating;
                           if (!automated.empty())
                               p.SetParameter(automated[rng() % automated.size()],
                                              std::uniform_real_distribution<float>(0, 1)(rng));
                           AudioRun job{mode, false, Signal::Noise, 256, 256};
                           job.judgeLoudness = false;
                           job.startFrame = at;
                           at += 256;
                           if (auto fault = RunSignal(s, job, rng)) shared.Fail(*fault);
                           ++shared.blocks;
                       }));
                       threads.push_back(
                           Worker(shared, [&p, &shared, rng = std::mt19937(seed * 7)]() mutable {
                               std::lock_guard mainThread(shared.mainThread);
                               std::uniform_real_distribution<float> value(0.0f, 1.0f);
                               for (VstInt32 k = 0; k < p.NumParams(); ++k) {
                                   p.SetParameter(k, value(rng));
                                   GuardedText(p, effGetParamDisplay, k);
                                   GuardedText(p, effGetParamName, k);
                               }
                               if (p.NumPrograms() > 0) {
                                   p.SetProgram(static_cast<VstInt32>(rng() % p.NumPrograms()));
                                   GuardedText(p, effGetProgramName);
                               }
                               if (p.HasFlag(effFlagsProgramChunks)) p.GetChunk(rng() % 2 == 0);
                               ++shared.uiCalls;
                           }));
                       threads.push_back(Worker(shared, [&p, &shared, &bank] {
                           {
                               std::lock_guard mainThread(shared.mainThread);
                               std::vector<std::string> warnings;
                               RestoreBank(p, DecodeBank(bank), warnings);
                           }
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
                   Require(shared.fault.empty(), shared.fault);
                   return std::to_string(shared.blocks.load()) + " blocks, " +
                          std::to_string(shared.uiCalls.load()) + " interface rounds, " +
                          std::to_string(shared.restores.load()) + " restores in " +
                          std::to_string(static_cast<int>(seconds)) + " s";
               });
}

} // namespace vhost::validate
