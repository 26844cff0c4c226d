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

std::string listParams(PluginInstance& p, const std::vector<int>& indices) {
    std::ostringstream s;
    for (std::size_t i = 0; i < indices.size() && i < 5; ++i)
        s << (i ? ", " : "") << indices[i];
    if (indices.size() > 5) s << ", ...";
    (void)p;
    return s.str();
}

std::string roundTrip(PluginInstance& p, VstInt32 index, int steps, int& refused, int& checked) {
    for (int k = 0; k < steps; ++k) {
        const float value = steps == 1 ? 0.5f : static_cast<float>(k) / (steps - 1);
        p.setParameter(index, value);
        const std::string shown = guardedText(p, effGetParamDisplay, index);
        p.setParameter(index, 1.0f - value);
        VstIntPtr taken = 0;
        {
            GuardedBuffer typed(kTextBufferBytes);
            std::memcpy(typed.data(), shown.c_str(), shown.size() + 1);
            taken = p.dispatch(effString2Parameter, index, 0, typed.data());
            std::string damage = typed.damage();
            require(damage.empty(), "effString2Parameter: " + damage);
        }
        if (!taken) {
            ++refused;
            continue;
        }
        ++checked;
        const std::string again = guardedText(p, effGetParamDisplay, index);
        if (again != shown)
            return "parameter " + std::to_string(index) + " shows '" + shown +
                   "', typed back it shows '" + again + "'";
    }
    return {};
}

} // namespace

void queriesGroup(const Settings& settings, Probe& probe) {
    Session session(settings.plugin);
    PluginInstance& p = session.plugin();
    Probe* strict = settings.level >= kStrictTextLevel ? &probe : nullptr;

    probe.test("queries: effect, vendor and product names", [&] {
        std::string name = guardedText(p, effGetEffectName, 0, nullptr, strict);
        std::string vendor = guardedText(p, effGetVendorString, 0, nullptr, strict);
        std::string product = guardedText(p, effGetProductString, 0, nullptr, strict);
        return "'" + name + "' by '" + vendor + "', product '" + product + "'";
    });
    probe.test("queries: versions, category, tail size, identity", [&] {
        VstIntPtr vst = p.dispatch(effGetVstVersion);
        VstIntPtr vendor = p.dispatch(effGetVendorVersion);
        VstIntPtr category = p.dispatch(effGetPlugCategory);
        VstIntPtr tail = p.dispatch(effGetTailSize);
        p.dispatch(effIdentify);
        require(category >= 0 && category <= 11,
                "category " + std::to_string(category) + " is not a defined one");
        require(vst >= 0, "negative VST version " + std::to_string(vst));
        return "VST " + std::to_string(vst) + ", vendor version " + std::to_string(vendor) +
               ", category " + std::to_string(category) + ", tail " + std::to_string(tail);
    });
    probe.test("queries: can-do answers", [&] {
        std::string yes;
        for (const char* question : kCanDos) {
            GuardedBuffer buffer(std::strlen(question) + 1);
            std::memcpy(buffer.data(), question, std::strlen(question) + 1);
            VstIntPtr answer = p.dispatch(effCanDo, 0, 0, buffer.data());
            require(buffer.damage().empty(),
                    std::string("effCanDo '") + question + "' wrote into the question's buffer");
            require(std::string(static_cast<const char*>(buffer.data())) == question,
                    std::string("effCanDo changed the question '") + question + "'");
            if (answer > 0) yes += (yes.empty() ? "" : ", ") + std::string(question);
        }
        return "yes to: " + (yes.empty() ? std::string("nothing asked") : yes);
    });
    probe.test("queries: pin properties", [&] {
        int answered = 0;
        for (int output = 0; output < 2; ++output) {
            const int count = output ? p.numOutputs() : p.numInputs();
            for (int i = 0; i < count; ++i) {
                GuardedBuffer pin(sizeof(VstPinProperties));
                std::memset(pin.data(), 0, sizeof(VstPinProperties));
                VstIntPtr r = p.dispatch(output ? effGetOutputProperties : effGetInputProperties, i,
                                         0, pin.data());
                std::string where = std::string(output ? "output " : "input ") + std::to_string(i);
                require(pin.damage().empty(), where + " properties: " + pin.damage());
                auto* props = static_cast<VstPinProperties*>(pin.data());
                require(std::memchr(props->label, 0, sizeof props->label) != nullptr,
                        where + " label without a terminator");
                answered += r != 0;
            }
        }
        return std::to_string(answered) + " pins described";
    });
    probe.test("queries: parameter names, labels and displays stay in their buffers", [&] {
        require(p.numParams() >= 0, "negative parameter count");
        std::vector<int> notAutomatable;
        for (VstInt32 i = 0; i < p.numParams(); ++i) {
            guardedText(p, effGetParamName, i, nullptr, strict);
            guardedText(p, effGetParamLabel, i, nullptr, strict);
            guardedText(p, effGetParamDisplay, i, nullptr, strict);
            if (!p.dispatch(effCanBeAutomated, i)) notAutomatable.push_back(i);
        }
        return std::to_string(p.numParams()) + " parameters" +
               (notAutomatable.empty() ? ""
                                       : "; not automatable: " + listParams(p, notAutomatable));
    });
    probe.test("queries: parameter values stay in range", [&] {
        for (VstInt32 i = 0; i < p.numParams(); ++i)
            for (float v : {0.0f, 0.1f, 0.25f, 0.5f, 0.75f, 0.9f, 1.0f}) {
                p.setParameter(i, v);
                float got = p.getParameter(i);
                require(std::isfinite(got) && got >= 0.0f && got <= 1.0f,
                        "parameter " + std::to_string(i) + " set to " + std::to_string(v) +
                            " reads " + std::to_string(got));
            }
        return std::string();
    });
    probe.test("queries: editor rectangle", [&] {
        if (!p.hasFlag(effFlagsHasEditor)) skipTest("no editor");
        ERect* rect = nullptr;
        p.dispatch(effEditGetRect, 0, 0, &rect);
        const int w = rect ? rect->right - rect->left : 0;
        const int h = rect ? rect->bottom - rect->top : 0;
        if (w == 0 && h == 0) skipTest("no size before the editor opens");
        require(w > 0 && h > 0 && w <= 16384 && h <= 16384,
                "implausible editor size " + std::to_string(w) + " x " + std::to_string(h));
        return std::to_string(w) + " x " + std::to_string(h);
    });
    probe.test("texts: parameter displays typed back through effString2Parameter", [&] {
        const int steps = 3 + 2 * settings.level;
        int refused = 0, checked = 0;
        for (VstInt32 i = 0; i < p.numParams(); ++i) {
            std::string fault = roundTrip(p, i, steps, refused, checked);
            require(fault.empty(), fault);
        }
        if (checked == 0) skipTest("the plug-in takes no typed values");
        return std::to_string(checked) + " texts typed back" +
               (refused ? ", " + std::to_string(refused) + " refused" : "");
    });
}

} // namespace vhost::validate
