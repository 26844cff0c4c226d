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
        : s_(session), p_(session.plugin()), rng_(seed), announce_(std::move(announce)) {}

    // One call; returns its kind, for timing.
    const char* step() {
        const VstInt32 params = p_.numParams(), programs = p_.numPrograms();
        auto param = [&] { return params > 0 ? static_cast<VstInt32>(rng_() % params) : 0; };
        auto program = [&] { return programs > 0 ? static_cast<VstInt32>(rng_() % programs) : 0; };
        switch (rng_() % 22) {
        case 0:
            if (programs > 0) {
                const VstInt32 to = program();
                say("effSetProgram " + std::to_string(to));
                p_.setProgram(to);
            }
            return "effSetProgram";
        case 1:
            say("effGetProgram");
            p_.dispatch(effGetProgram);
            return "effGetProgram";
        case 2:
            say("effGetProgramName");
            guardedText(p_, effGetProgramName);
            return "effGetProgramName";
        case 3: {
            char name[kVstMaxProgNameLen];
            std::snprintf(name, sizeof name, "Random %u", static_cast<unsigned>(rng_() % 1000));
            say(std::string("effSetProgramName '") + name + "'");
            p_.dispatch(effSetProgramName, 0, 0, name);
            return "effSetProgramName";
        }
        case 4:
            return text(effGetParamLabel, params > 0, param(), "effGetParamLabel");
        case 5:
            return text(effGetParamDisplay, params > 0, param(), "effGetParamDisplay");
        case 6:
            return text(effGetParamName, params > 0, param(), "effGetParamName");
        case 7:
            if (params > 0) {
                const VstInt32 index = param();
                say("effCanBeAutomated " + std::to_string(index));
                p_.dispatch(effCanBeAutomated, index);
            }
            return "effCanBeAutomated";
        case 8:
            if (params > 0) {
                GuardedBuffer typed(kTextBufferBytes);
                const char* typedText = kTyped[rng_() % std::size(kTyped)];
                const VstInt32 index = param();
                std::memcpy(typed.data(), typedText, std::strlen(typedText) + 1);
                say("effString2Parameter " + std::to_string(index) + " '" + typedText + "'");
                p_.dispatch(effString2Parameter, index, 0, typed.data());
                require(typed.damage().empty(), "effString2Parameter: " + typed.damage());
            }
            return "effString2Parameter";
        case 9:
            return text(effGetProgramNameIndexed, programs > 0, program(),
                        "effGetProgramNameIndexed");
        case 10: {
            const auto [opcode, name] = kNameQueries[rng_() % std::size(kNameQueries)];
            say(name);
            guardedText(p_, opcode);
            return "name query";
        }
        case 11: {
            const char* question = kQuestions[rng_() % std::size(kQuestions)];
            say(std::string("effCanDo '") + question + "'");
            p_.dispatch(effCanDo, 0, 0, const_cast<char*>(question));
            return "effCanDo";
        }
        case 12:
            say("effGetTailSize, effGetVstVersion, effGetPlugCategory");
            p_.dispatch(effGetTailSize);
            p_.dispatch(effGetVstVersion);
            p_.dispatch(effGetPlugCategory);
            return "version queries";
        case 13:
            say("effIdle");
            p_.dispatch(effIdle);
            return "effIdle";
        case 14:
            if (p_.hasFlag(effFlagsProgramChunks)) {
                const bool program = rng_() % 2 == 0, setBack = rng_() % 2 != 0;
                const std::string which = program ? " (program)" : " (bank)";
                say("effGetChunk" + which);
                std::vector<std::uint8_t> chunk = p_.getChunk(program);
                if (setBack) {
                    say("effSetChunk" + which + " of " + std::to_string(chunk.size()) + " bytes");
                    p_.setChunk(program, chunk);
                }
            }
            return "effGetChunk/effSetChunk";
        case 15:
            if (params > 0) {
                const VstInt32 index = param();
                const float value = std::uniform_real_distribution<float>(0, 1)(rng_);
                say("setParameter " + std::to_string(index) + " " + std::to_string(value));
                p_.setParameter(index, value);
            }
            return "setParameter";
        case 16:
            if (params > 0) {
                const VstInt32 index = param();
                say("getParameter " + std::to_string(index));
                float v = p_.getParameter(index);
                require(v >= 0.0f && v <= 1.0f, "getParameter out of range");
            }
            return "getParameter";
        case 17: {
            if (p_.active()) {
                say("effMainsChanged 0 (switch off)");
                p_.setActive(false);
                return "switch off";
            }
            const double rates[] = {44100, 48000, 96000};
            const double rate = rates[rng_() % 3];
            const VstInt32 block = 64 << (rng_() % 4);
            say("switch on at " + std::to_string(static_cast<int>(rate)) + " Hz, block " +
                std::to_string(block));
            p_.prepare(rate, block);
            p_.setActive(true);
            return "switch on";
        }
        case 18:
        case 19:
            if (p_.active()) {
                AudioRun job{p_.supports(ProcessMode::Replacing) ? ProcessMode::Replacing
                                                                 : ProcessMode::Accumulating,
                             false, kSignals[rng_() % 5], 64, 64};
                job.startFrame = at_;
                at_ += 64;
                say("64 frames of audio (" + describe(job) + ")");
                if (auto fault = runSignal(s_, job, rng_)) throw TestFailure(*fault);
            }
            return "audio";
        case 20:
            if (!p_.active()) {
                const double rate = 22050.0 * (1 + rng_() % 8);
                const auto block = static_cast<VstInt32>(1 + rng_() % 2048);
                say("effSetSampleRate " + std::to_string(static_cast<int>(rate)) +
                    ", effSetBlockSize " + std::to_string(block));
                p_.prepare(rate, block);
            }
            return "effSetSampleRate/effSetBlockSize";
        default:
            say("effGetVendorVersion");
            p_.dispatch(effGetVendorVersion);
            return "effGetVendorVersion";
        }
    }

private:
    void say(const std::string& call) { announce_(call); }

    const char* text(VstInt32 opcode, bool asked, VstInt32 index, const char* name) {
        if (!asked) return name;
        say(std::string(name) + " " + std::to_string(index));
        guardedText(p_, opcode, index);
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
    void add(const std::string& call, double seconds) {
        auto& [count, total] = times_[call];
        ++count;
        total += seconds;
    }
    std::string slowest() const {
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

void callsGroup(const Settings& settings, Probe& probe) {
    const int calls = 10000 * settings.level;
    probe.test("calls: " + std::to_string(calls) + " random dispatcher calls", [&] {
        const TimeBudget budget(settings);
        Session session(settings.plugin);
        int i = 0;
        RandomCaller caller(session, settings.seed, [&](const std::string& call) {
            probe.step("call " + std::to_string(i) + ": " + call);
        });
        CallTimes times;
        for (; i < calls && !budget.spent(); ++i) {
            const auto start = TimeBudget::Clock::now();
            try {
                const char* call = caller.step();
                times.add(call,
                          std::chrono::duration<double>(TimeBudget::Clock::now() - start).count());
            } catch (const TestFailure& e) {
                throw TestFailure("call " + std::to_string(i) + ": " + e.what());
            }
        }
        if (i < calls) probe.warn(budget.stopped(i, calls, "calls") + ": " + times.slowest());
        return std::string();
    });
}

} // namespace vhost::validate
