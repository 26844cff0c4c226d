// Random dispatcher calls within the interface's contract: valid indices, sized buffers,
// rate and block changes only while processing is off, audio only while it is on.
#include "audio_check.h"
#include "groups.h"
#include "guarded_buffer.h"
#include "session.h"

#include <cstring>

namespace vhost::validate {
namespace {

const char* const kTyped[] = {"0",   "1", "50",      "-3",    "1e9", "nan", "inf",      "1/4",
                              "abc", "",  "  12.5 ", "100 %", "On",  "Off", "\xC3\xA9", "0x10"};
const VstInt32 kNameQueries[] = {effGetEffectName, effGetVendorString, effGetProductString};
const char* const kQuestions[] = {"receiveVstTimeInfo", "bypass", "2in2out", "sendVstEvents",
                                  "nothing"};

class RandomCaller {
public:
    RandomCaller(Session& session, std::uint32_t seed)
        : s_(session), p_(session.plugin()), rng_(seed) {}

    // One call; returns its name for messages.
    std::string step() {
        const VstInt32 params = p_.numParams(), programs = p_.numPrograms();
        auto param = [&] { return params > 0 ? static_cast<VstInt32>(rng_() % params) : 0; };
        auto program = [&] { return programs > 0 ? static_cast<VstInt32>(rng_() % programs) : 0; };
        switch (rng_() % 22) {
        case 0:
            if (programs > 0) p_.setProgram(program());
            return "effSetProgram";
        case 1:
            p_.dispatch(effGetProgram);
            return "effGetProgram";
        case 2:
            guardedText(p_, effGetProgramName);
            return "effGetProgramName";
        case 3: {
            char name[kVstMaxProgNameLen];
            std::snprintf(name, sizeof name, "Random %u", static_cast<unsigned>(rng_() % 1000));
            p_.dispatch(effSetProgramName, 0, 0, name);
            return "effSetProgramName";
        }
        case 4:
            if (params > 0) guardedText(p_, effGetParamLabel, param());
            return "effGetParamLabel";
        case 5:
            if (params > 0) guardedText(p_, effGetParamDisplay, param());
            return "effGetParamDisplay";
        case 6:
            if (params > 0) guardedText(p_, effGetParamName, param());
            return "effGetParamName";
        case 7:
            if (params > 0) p_.dispatch(effCanBeAutomated, param());
            return "effCanBeAutomated";
        case 8:
            if (params > 0) {
                GuardedBuffer typed(kTextBufferBytes);
                const char* text = kTyped[rng_() % std::size(kTyped)];
                std::memcpy(typed.data(), text, std::strlen(text) + 1);
                p_.dispatch(effString2Parameter, param(), 0, typed.data());
                require(typed.damage().empty(), "effString2Parameter: " + typed.damage());
            }
            return "effString2Parameter";
        case 9:
            if (programs > 0) guardedText(p_, effGetProgramNameIndexed, program());
            return "effGetProgramNameIndexed";
        case 10:
            guardedText(p_, kNameQueries[rng_() % std::size(kNameQueries)]);
            return "name query";
        case 11:
            p_.dispatch(effCanDo, 0, 0,
                        const_cast<char*>(kQuestions[rng_() % std::size(kQuestions)]));
            return "effCanDo";
        case 12:
            p_.dispatch(effGetTailSize);
            p_.dispatch(effGetVstVersion);
            p_.dispatch(effGetPlugCategory);
            return "version queries";
        case 13:
            p_.dispatch(effIdle);
            return "effIdle";
        case 14:
            if (p_.hasFlag(effFlagsProgramChunks)) {
                const bool program = rng_() % 2 == 0;
                std::vector<std::uint8_t> chunk = p_.getChunk(program);
                if (rng_() % 2) p_.setChunk(program, chunk);
            }
            return "effGetChunk/effSetChunk";
        case 15:
            if (params > 0)
                p_.setParameter(param(), std::uniform_real_distribution<float>(0, 1)(rng_));
            return "setParameter";
        case 16:
            if (params > 0) {
                float v = p_.getParameter(param());
                require(v >= 0.0f && v <= 1.0f, "getParameter out of range");
            }
            return "getParameter";
        case 17: {
            const bool on = !p_.active();
            if (!on)
                p_.setActive(false);
            else {
                const double rates[] = {44100, 48000, 96000};
                p_.prepare(rates[rng_() % 3], 64 << (rng_() % 4));
                p_.setActive(true);
            }
            return on ? "switch on" : "switch off";
        }
        case 18:
        case 19:
            if (p_.active()) {
                AudioRun job{p_.supports(ProcessMode::Replacing) ? ProcessMode::Replacing
                                                                 : ProcessMode::Accumulating,
                             false, kSignals[rng_() % 5], 64, 64};
                job.startFrame = at_;
                at_ += 64;
                if (auto fault = runSignal(s_, job, rng_)) throw TestFailure(*fault);
            }
            return "audio";
        case 20:
            if (!p_.active()) p_.prepare(22050.0 * (1 + rng_() % 8), 1 + rng_() % 2048);
            return "effSetSampleRate/effSetBlockSize";
        default:
            p_.dispatch(effGetVendorVersion);
            return "effGetVendorVersion";
        }
    }

private:
    Session& s_;
    PluginInstance& p_;
    std::mt19937 rng_;
    std::int64_t at_ = 0;
};

} // namespace

void callsGroup(const Settings& settings, Probe& probe) {
    const int calls = 10000 * settings.level;
    probe.test("calls: " + std::to_string(calls) + " random dispatcher calls", [&] {
        Session session(settings.plugin);
        RandomCaller caller(session, settings.seed);
        for (int i = 0; i < calls; ++i) {
            try {
                caller.step();
            } catch (const TestFailure& e) {
                throw TestFailure("call " + std::to_string(i) + ": " + e.what());
            }
        }
        return std::string();
    });
}

} // namespace vhost::validate
