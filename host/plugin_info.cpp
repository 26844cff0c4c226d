#include "host/plugin_info.h"

#include "host/fx_file.h"
#include "host/json.h"
#include "host/plugin_params.h"
#include "host/plugin_state.h"
#include "host/text_match.h"

#include <algorithm>
#include <vector>

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace vhost {
namespace {

// The categories of effGetPlugCategory, by number as the interface publishes them.
std::string categoryName(VstIntPtr category) {
    static constexpr const char* kNames[] = {"unknown",         "effect",          "instrument",
                                             "analysis",        "mastering",       "spatialiser",
                                             "room effect",     "surround effect", "restoration",
                                             "offline process", "shell",           "generator"};
    if (category >= 0 && category < static_cast<VstIntPtr>(std::size(kNames)))
        return kNames[category];
    return "category " + std::to_string(category) + " (not one the interface names)";
}

const char* answer(VstIntPtr v) {
    return v > 0 ? "yes" : (v < 0 ? "no" : "does not say");
}

std::string hex32(VstInt32 v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

constexpr const char* kQuestions[] = {
    "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass"};

} // namespace

std::string describeFlags(VstInt32 flags) {
    struct Named {
        VstInt32 bit;
        const char* name;
    };
    static constexpr Named names[] = {
        {effFlagsHasEditor, "HasEditor"},
        {effFlagsCanMono, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"},
        {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},
        {effFlagsNoSoundInStop, "NoSoundInStop"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string text;
    VstInt32 rest = flags;
    for (const Named& n : names) {
        if (!(flags & n.bit)) continue;
        if (!text.empty()) text += ' ';
        text += n.name;
        rest &= ~n.bit;
    }
    if (rest) {
        if (!text.empty()) text += ' ';
        text += "other:";
        text += hex32(rest);
    }
    return text.empty() ? "none" : text;
}

void printPluginInfo(PluginInstance& plugin, std::ostream& out) {
    const AEffect& e = plugin.effect();
    out << "Effect:      " << trimmed(plugin.effectName()) << '\n';
    out << "Vendor:      " << trimmed(plugin.vendorString()) << '\n';
    // Many plug-ins leave the product name empty; no line then.
    if (const std::string product = trimmed(plugin.productString()); !product.empty())
        out << "Product:     " << product << '\n';
    out << "Version:     " << e.version << " (vendor version "
        << plugin.dispatch(effGetVendorVersion) << ")\n";
    out << "Unique id:   " << hex32(e.uniqueID) << " '" << fourCCText(e.uniqueID) << "'\n";
    out << "VST version: " << plugin.dispatch(effGetVstVersion) << '\n';
    out << "Category:    " << categoryName(plugin.dispatch(effGetPlugCategory)) << '\n';
    out << "Channels:    " << e.numInputs << " in, " << e.numOutputs << " out\n";
    out << "Latency:     " << e.initialDelay << " samples\n";
    out << "Tail:        " << plugin.dispatch(effGetTailSize) << " samples (0: not given)\n";
    out << "Flags:       " << hex32(e.flags) << ' ' << describeFlags(e.flags) << '\n';
    out << "Callbacks:  ";
    for (ProcessMode mode :
         {ProcessMode::Replacing, ProcessMode::Accumulating, ProcessMode::DoubleReplacing})
        if (plugin.supports(mode)) out << ' ' << processModeName(mode);
    out << '\n';
    out << "\nCapabilities (effCanDo):\n";
    for (const char* q : kQuestions)
        out << "  " << std::left << std::setw(22) << q << answer(plugin.canDo(q)) << '\n';

    const VstInt32 current = plugin.currentProgram();
    out << "\nPrograms (" << plugin.numPrograms() << ", current " << current << "):\n";
    for (VstInt32 i = 0; i < plugin.numPrograms(); ++i)
        out << (i == current ? "* " : "  ") << std::right << std::setw(3) << i << "  "
            << trimmed(plugin.programNameAt(i)) << '\n';

    out << "\nParameters (" << plugin.numParams() << "):\n";
    out << "  " << std::right << std::setw(3) << "#"
        << "  " << std::left << std::setw(24) << "name" << std::setw(16) << "display"
        << std::setw(10) << "label"
        << "normalised\n";
    for (VstInt32 i = 0; i < plugin.numParams(); ++i) {
        std::ostringstream value;
        value << std::fixed << std::setprecision(4) << plugin.getParameter(i);
        out << "  " << std::right << std::setw(3) << i << "  " << std::left << std::setw(24)
            << trimmed(plugin.paramName(i)) << std::setw(16) << trimmed(plugin.paramDisplay(i))
            << std::setw(10) << trimmed(plugin.paramLabel(i)) << value.str() << '\n';
    }
    out << std::right;
}

void printPluginInfoJson(PluginInstance& plugin, std::ostream& out) {
    const AEffect& e = plugin.effect();
    JsonWriter j(out);
    j.beginObject();
    j.value("effect", trimmed(plugin.effectName()));
    j.value("vendor", trimmed(plugin.vendorString()));
    j.value("product", trimmed(plugin.productString()));
    j.value("version", e.version);
    j.value("vendorVersion", static_cast<long long>(plugin.dispatch(effGetVendorVersion)));
    j.value("uniqueId", fourCCText(e.uniqueID));
    j.value("uniqueIdNumber", e.uniqueID);
    j.value("vstVersion", static_cast<long long>(plugin.dispatch(effGetVstVersion)));
    j.value("category", categoryName(plugin.dispatch(effGetPlugCategory)));
    j.value("inputs", e.numInputs);
    j.value("outputs", e.numOutputs);
    j.value("latency", e.initialDelay);
    j.value("tailSamples", static_cast<long long>(plugin.dispatch(effGetTailSize)));
    j.beginArray("flags");
    std::istringstream flagNames(describeFlags(e.flags));
    for (std::string word; flagNames >> word;)
        if (word != "none") j.value(nullptr, word);
    j.endArray();
    j.beginArray("callbacks");
    for (ProcessMode mode :
         {ProcessMode::Replacing, ProcessMode::Accumulating, ProcessMode::DoubleReplacing})
        if (plugin.supports(mode)) j.value(nullptr, processModeName(mode));
    j.endArray();
    j.beginObject("canDo");
    for (const char* q : kQuestions) {
        VstIntPtr v = plugin.canDo(q);
        if (v == 0)
            j.null(q);
        else
            j.value(q, v > 0);
    }
    j.endObject();
    j.value("currentProgram", plugin.currentProgram());
    j.beginArray("programs");
    for (VstInt32 i = 0; i < plugin.numPrograms(); ++i)
        j.value(nullptr, trimmed(plugin.programNameAt(i)));
    j.endArray();
    // Stepping through one parameter may move others (a mode switch converting a value):
    // everything is read first; each survey puts the whole state back.
    struct Param {
        std::string name, unit, display;
        float normalised;
        ParamSurvey survey;
    };
    std::vector<Param> params;
    for (VstInt32 i = 0; i < plugin.numParams(); ++i)
        params.push_back({trimmed(plugin.paramName(i)),
                          trimmed(plugin.paramLabel(i)),
                          trimmed(plugin.paramDisplay(i)),
                          plugin.getParameter(i),
                          {}});
    for (VstInt32 i = 0; i < plugin.numParams(); ++i)
        params[static_cast<std::size_t>(i)].survey = surveyParameter(plugin, i);
    j.beginArray("parameters");
    for (VstInt32 i = 0; i < plugin.numParams(); ++i) {
        const Param& p = params[static_cast<std::size_t>(i)];
        j.beginObject();
        j.value("index", i);
        j.value("name", p.name);
        j.value("unit", p.unit);
        j.value("display", p.display);
        j.value("normalised", static_cast<double>(p.normalised));
        j.beginArray("range");
        j.value(nullptr, p.survey.atZero);
        j.value(nullptr, p.survey.atOne);
        j.endArray();
        if (!p.survey.values.empty()) {
            j.beginArray("values");
            for (const std::string& v : p.survey.values)
                j.value(nullptr, v);
            j.endArray();
        }
        j.endObject();
    }
    j.endArray();
    j.endObject();
}

} // namespace vhost
