// Every dispatcher query a host makes, through guarded buffers, and parameter texts typed
// back through effString2Parameter.
#include "groups.h"
#include "guarded_buffer.h"
#include "session.h"

#include <cmath>
#include <cstring>
#include <sstream>

namespace vhost::validate {
namespace {

const char* const kCanDos[] = {
    "sendVstEvents",
    "sendVstMidiEvent",
    "receiveVstEvents",
    "receiveVstMidiEvent",
    "receiveVstTimeInfo",
    "offline",
    "midiProgramNames",
    "bypass",
    "MPE",
    "hasCockosExtensions",
    "plugAsChannelInsert",
    "plugAsSend",
    "mixDryWet",
    "noRealTime",
    "multipass",
    "metapass",
    "1in1out",
    "1in2out",
    "2in1out",
    "2in2out",
    "2in4out",
    "4in2out",
    "4in4out",
    "4in8out",
    "8in4out",
    "8in8out",
    "",
    "no such capability",
};

std::string ListParams(PluginInstance& p, const std::vector<int>& indices) {
    std::ostringstream s;
    for (std::size_t i = 0; i < indices.size() && i < 5; ++i)
        s << (i ? ", " : "") << indices[i];
    if (indices.size() > 5) s << ", ...";
    (void)p;
    return s.str();
}

std::string RoundTrip(PluginInstance& p, VstInt32 index, int steps, int& refused, int& checked) {
    for (int k = 0; k < steps; ++k) {
        const float value = steps == 1 ? 0.5f : static_cast<float>(k) / (steps - 1);
        p.SetParameter(index, value);
        const std::string shown = GuardedText(p, effGetParamDisplay, index);
        p.SetParameter(index, 1.0f - value);
        VstIntPtr taken = 0;
        {
            GuardedBuffer typed(kTextBufferBytes);
            std::memcpy(typed.data(), shown.c_str(), shown.size() + 1);
            taken = p.Dispatch(effString2Parameter, index, 0, typed.data());
            std::string damage = typed.Damage();
            Require(damage.empty(), "effString2Parameter: " + damage);
        }
        if (!taken) {
            ++refused;
            continue;
        }
        ++checked;
        const std::string again = GuardedText(p, effGetParamDisplay, index);
        if (again != shown)
            return "parameter " + std::to_string(index) + " shows '" + shown +
                   "', typed back it shows '" + again + "'";
    }
    return {};
}

} // namespace

void QueriesGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.Plugin();
    Probe* strict = settings.level >= kStrictTextLevel ? &probe : nullptr;

    probe.Test("queries: effect, vendor and product names", [&] {
        std::string name = GuardedText(p, effGetEffectName, 0, nullptr, strict);
        std::string vendor = GuardedText(p, effGetVendorString, 0, nullptr, strict);
        std::string product = GuardedText(p, effGetProductString, 0, nullptr, strict);
        return "'" + name + "' by '" + vendor + "', product '" + product + "'";
    });
    probe.Test("queries: versions, category, tail size, identity", [&] {
        VstIntPtr vst = p.Dispatch(effGetVstVersion);
        VstIntPtr vendor = p.Dispatch(effGetVendorVersion);
        VstIntPtr category = p.Dispatch(effGetPlugCategory);
        VstIntPtr tail = p.Dispatch(effGetTailSize);
        p.Dispatch(effIdentify);
        Require(category >= 0 && category <= 11,
                "category " + std::to_string(category) + " is not a defined one");
        Require(vst >= 0, "negative VST version " + std::to_string(vst));
        return "VST " + std::to_string(vst) + ", vendor version " + std::to_string(vendor) +
               ", category " + std::to_string(category) + ", tail " + std::to_string(tail);
    });
    probe.Test("queries: can-do answers", [&] {
        std::string yes;
        for (const char* question : kCanDos) {
            GuardedBuffer buffer(std::strlen(question) + 1);
            std::memcpy(buffer.data(), question, std::strlen(question) + 1);
            VstIntPtr answer = p.Dispatch(effCanDo, 0, 0, buffer.data());
            Require(buffer.Damage().empty(),
                    std::string("effCanDo '") + question + "' wrote into the question's buffer");
            Require(std::string(static_cast<const char*>(buffer.data())) == question,
                    std::string("effCanDo changed the question '") + question + "'");
            if (answer > 0) yes += (yes.empty() ? "" : ", ") + std::string(question);
        }
        return "yes to: " + (yes.empty() ? std::string("nothing asked") : yes);
    });
    probe.Test("queries: pin properties", [&] {
        int answered = 0;
        for (int output = 0; output < 2; ++output) {
            const int count = output ? p.NumOutputs() : p.NumInputs();
            for (int i = 0; i < count; ++i) {
                GuardedBuffer pin(sizeof(VstPinProperties));
                std::memset(pin.data(), 0, sizeof(VstPinProperties));
                VstIntPtr r = p.Dispatch(output ? effGetOutputProperties : effGetInputProperties, i,
                                         0, pin.data());
                std::string where = std::string(output ? "output " : "input ") + std::to_string(i);
                Require(pin.Damage().empty(), where + " properties: " + pin.Damage());
                auto* props = static_cast<VstPinProperties*>(pin.data());
                Require(std::memchr(props->label, 0, sizeof props->label) != nullptr,
                        where + " label without a terminator");
                answered += r != 0;
            }
        }
        return std::to_string(answered) + " pins described";
    });
    probe.Test("queries: parameter names, labels and displays stay in their buffers", [&] {
        Require(p.NumParams() >= 0, "negative parameter count");
        std::vector<int> notAutomatable;
        for (VstInt32 i = 0; i < p.NumParams(); ++i) {
            GuardedText(p, effGetParamName, i, nullptr, strict);
            GuardedText(p, effGetParamLabel, i, nullptr, strict);
            GuardedText(p, effGetParamDisplay, i, nullptr, strict);
            if (!p.Dispatch(effCanBeAutomated, i)) notAutomatable.push_back(i);
        }
        return std::to_string(p.NumParams()) + " parameters" +
               (notAutomatable.empty() ? ""
                                       : "; not automatable: " + ListParams(p, notAutomatable));
    });
    probe.Test("queries: parameter values stay in range", [&] {
        for (VstInt32 i = 0; i < p.NumParams(); ++i)
            for (float v : {0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 0.9f, 1.0f}) {
                p.SetParameter(i, v);
                float got = p.GetParameter(i);
                Require(std::isfinite(got) && got >= 0.0f && got <= 1.0f,
                        "parameter " + std::to_string(i) + " set to " + std::to_string(v) +
                            " reads " + std::to_string(got));
            }
        return std::string();
    });
    probe.Test("queries: editor rectangle", [&] {
        if (!p.HasFlag(effFlagsHasEditor)) SkipTest("no editor");
        ERect* rect = nullptr;
        p.Dispatch(effEditGetRect, 0, 0, &rect);
        const int w = rect ? rect->right - rect->left : 0;
        const int h = rect ? rect->bottom - rect->top : 0;
        if (w == 0 && h == 0) SkipTest("no size before the editor opens");
        Require(w > 0 && h > 0 && w <= 16384 && h <= 16384,
                "implausible editor size " + std::to_string(w) + " x " + std::to_string(h));
        return std::to_string(w) + " x " + std::to_string(h);
    });
    probe.Test("texts: parameter displays typed back through effString2Parameter", [&] {
        const int steps = 3 + 2 * settings.level;
        int refused = 0, checked = 0;
        for (VstInt32 i = 0; i < p.NumParams(); ++i) {
            std::string fault = RoundTrip(p, i, steps, refused, checked);
            Require(fault.empty(), fault);
        }
        if (checked == 0) SkipTest("the plug-in takes no typed values");
        return std::to_string(checked) + " texts typed back" +
               (refused ? ", " + std::to_string(refused) + " refused" : "");
    });
}

} // namespace vhost::validate
