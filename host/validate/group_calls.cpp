// Random dispatcher calls within the interface's contract: valid indices, sized buffers,
// rate and block changes only while processing is off, audio only while it is on.
#include "audio_check.h"
#include "groups.h"
#include "guarded_buffer.h"
#include "session.h"
#include "time_budget.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

namespace vhost::validate {
namespace {

const char* const kTyped[] = {"0",   "1", "50",      "-3",    "1e9", "nan", "inf",      "1/4",
                              "abc", "",  "  12.5 ", "100 %", "On",  "Off", "\xC3\xA9", "0x10"};
const std::pair<VstInt32, const char*> kNameQueries[] = {
    {effGetEffectName, "effGetEffectName"},
    {effGetVendorString, "effGetVendorString"},
    {effGetProductString, "effGetProductString"}};
const char* const kQuestions[] = {"receiveVstTimeInfo", "bypass", "2in2out", "sendVstEvents",
                                  "nothing"};

// Each call is announced, with its values, before it is made: a crash or hang is then
// reported with the call it happened in.
class RandomCaller {
public:
    using Announce = std::function<void(const std::string& call)>;
    RandomCaller(Session& session, std::uint32_t seed, Announce announce)
        : s_(session), p_(session.Plugin()), rng_(seed), announce_(std::move(announce)) {}

    // One call; returns its kind, for timing.
    const char* Step() {
        const VstInt32 params = p_.NumParams(), programs = p_.NumPrograms();
        auto param = [&] { return params > 0 ? static_cast<VstInt32>(rng_() % params) : 0; };
        auto program = [&] { return programs > 0 ? static_cast<VstInt32>(rng_() % programs) : 0; };
        switch (rng_() % 22) {
        case 0:
            if (programs > 0) {
                const VstInt32 to = program();
                Say("effSetProgram " + std::to_string(to));
                p_.SetProgram(to);
            }
            return "effSetProgram";
        case 1:
            Say("effGetProgram");
            p_.Dispatch(effGetProgram);
            return "effGetProgram";
        case 2:
            Say("effGetProgramName");
            GuardedText(p_, effGetProgramName);
            return "effGetProgramName";
        case 3: {
            char name[kVstMaxProgNameLen];
            std::snprintf(name, sizeof name, "Random %u", static_cast<unsigned>(rng_() % 1000));
            Say(std::string("effSetProgramName '") + name + "'");
            p_.Dispatch(effSetProgramName, 0, 0, name);
            return "effSetProgramName";
        }
        case 4:
            return Text(effGetParamLabel, params > 0, param(), "effGetParamLabel");
        case 5:
            return Text(effGetParamDisplay, params > 0, param(), "effGetParamDisplay");
        case 6:
            return Text(effGetParamName, params > 0, param(), "effGetParamName");
        case 7:
            if (params > 0) {
                const VstInt32 index = param();
                Say("effCanBeAutomated " + std::to_string(index));
                p_.Dispatch(effCanBeAutomated, index);
            }
            return "effCanBeAutomated";
        case 8:
            if (params > 0) {
                GuardedBuffer typed(kTextBufferBytes);
                const char* typedText = kTyped[rng_() % std::size(kTyped)];
                const VstInt32 index = param();
                std::memcpy(typed.data(), typedText, std::strlen(typedText) + 1);
                Say("effString2Parameter " + std::to_string(index) + " '" + typedText + "'");
                p_.Dispatch(effString2Parameter, index, 0, typed.data());
                Require(typed.Damage().empty(), "effString2Parameter: " + typed.Damage());
            }
            return "effString2Parameter";
        case 9:
            return Text(effGetProgramNameIndexed, programs > 0, program(),
                        "effGetProgramNameIndexed");
        case 10: {
            const auto [opcode, name] = kNameQueries[rng_() % std::size(kNameQueries)];
            Say(name);
            GuardedText(p_, opcode);
            return "name query";
        }
        case 11: {
            const char* question = kQuestions[rng_() % std::size(kQuestions)];
            Say(std::string("effCanDo '") + question + "'");
            p_.Dispatch(effCanDo, 0, 0, const_cast<char*>(question));
            return "effCanDo";
        }
        case 12:
            Say("effGetTailSize, effGetVstVersion, effGetPlugCategory");
            p_.Dispatch(effGetTailSize);
            p_.Dispatch(effGetVstVersion);
            p_.Dispatch(effGetPlugCategory);
            return "version queries";
        case 13:
            Say("effIdle");
            p_.Dispatch(effIdle);
            return "effIdle";
        case 14:
            if (p_.HasFlag(effFlagsProgramChunks)) {
                const bool program = rng_() % 2 == 0, setBack = rng_() % 2 != 0;
                const std::string which = program ? " (program)" : " (bank)";
                Say("effGetChunk" + which);
                std::vector<std::uint8_t> chunk = p_.GetChunk(program);
                if (setBack) {
                    Say("effSetChunk" + which + " of " + std::to_string(chunk.size()) + " bytes");
                    p_.SetChunk(program, chunk);
                }
            }
            return "effGetChunk/effSetChunk";
        case 15:
            if (params > 0) {
                const VstInt32 index = param();
                const float value = std::uniform_real_distribution<float>(0, 1)(rng_);
                Say("setParameter " + std::to_string(index) + " " + std::to_string(value));
                p_.SetParameter(index, value);
            }
            return "setParameter";
        case 16:
            if (params > 0) {
                const VstInt32 index = param();
                Say("getParameter " + std::to_string(index));
                float v = p_.GetParameter(index);
                Require(v >= 0.0f && v <= 1.0f, "getParameter out of range");
            }
            return "getParameter";
        case 17: {
            if (p_.Active()) {
                Say("effMainsChanged 0 (switch off)");
                p_.SetActive(false);
                return "switch off";
            }
            const double rates[] = {44100, 48000, 96000};
            const double rate = rates[rng_() % 3];
            const VstInt32 block = 64 << (rng_() % 4);
            Say("switch on at " + std::to_string(static_cast<int>(rate)) + " Hz, block " +
                std::to_string(block));
            p_.Prepare(rate, block);
            p_.SetActive(true);
            return "switch on";
        }
        case 18:
        case 19:
            if (p_.Active()) {
                AudioRun job{p_.Supports(ProcessMode::Replacing) ? ProcessMode::Replacing
                                                                 : ProcessMode::Accumulating,
                             false, kSignals[rng_() % 5], 64, 64};
                job.startFrame = at_;
                at_ += 64;
                Say("64 frames of audio (" + Describe(job) + ")");
                if (auto fault = RunSignal(s_, job, rng_)) throw TestFailure(*fault);
            }
            return "audio";
        case 20:
            if (!p_.Active()) {
                const double rate = 22050.0 * (1 + rng_() % 8);
                const auto block = static_cast<VstInt32>(1 + rng_() % 2048);
                Say("effSetSampleRate " + std::to_string(static_cast<int>(rate)) +
                    ", effSetBlockSize " + std::to_string(block));
                p_.Prepare(rate, block);
            }
            return "effSetSampleRate/effSetBlockSize";
        default:
            Say("effGetVendorVersion");
            p_.Dispatch(effGetVendorVersion);
            return "effGetVendorVersion";
        }
    }

private:
    void Say(const std::string& call) { announce_(call); }

    const char* Text(VstInt32 opcode, bool asked, VstInt32 index, const char* name) {
        if (!asked) return name;
        Say(std::string(name) + " " + std::to_string(index));
        GuardedText(p_, opcode, index);
        return name;
    }

    Session& s_;
    PluginInstance& p_;
    std::mt19937 rng_;
    Announce announce_;
    std::int64_t at_ = 0;
};

// Time spent per kind of call, to name the slow one when the budget runs out.
class CallTimes {
public:
    void Add(const std::string& call, double seconds) {
        auto& [count, total] = times_[call];
        ++count;
        total += seconds;
    }
    std::string Slowest() const {
        auto worst = std::max_element(times_.begin(), times_.end(), [](auto& a, auto& b) {
            return a.second.second < b.second.second;
        });
        if (worst == times_.end()) return {};
        const auto& [count, total] = worst->second;
        char text[96];
        std::snprintf(text, sizeof text, " took %.1f s in %d calls, %.0f ms each", total, count,
                      1000.0 * total / count);
        return worst->first + text;
    }

private:
    std::map<std::string, std::pair<int, double>> times_;
};

} // namespace

void CallsGroup(const Settings& settings, Probe& probe) {
    const int calls = 10000 * settings.level;
    probe.Test("calls: " + std::to_string(calls) + " random dispatcher calls", [&] {
        const TimeBudget budget(settings);
        Session session(settings.plugin);
        int i = 0;
        RandomCaller caller(session, settings.seed, [&](const std::string& call) {
            probe.Step("call " + std::to_string(i) + ": " + call);
        });
        CallTimes times;
        for (; i < calls && !budget.Spent(); ++i) {
            const auto start = TimeBudget::Clock::now();
            try {
                const char* call = caller.Step();
                times.Add(call,
                          std::chrono::duration<double>(TimeBudget::Clock::now() - start).count());
            } catch (const TestFailure& e) {
                throw TestFailure("call " + std::to_string(i) + ": " + e.what());
            }
        }
        if (i < calls) probe.Warn(budget.Stopped(i, calls, "calls") + ": " + times.Slowest());
        return std::string();
    });
}

} // namespace vhost::validate
