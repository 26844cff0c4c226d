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
std::string CategoryName(VstIntPtr category) {
    static constexpr const char* kNames[] = {"unknown",         "effect",          "instrument",
                                             "analysis",        "mastering",       "spatialiser",
                                             "room effect",     "surround effect", "restoration",
                                             "offline process", "shell",           "generator"};
    if (category >= 0 && category < static_cast<VstIntPtr>(std::size(kNames)))
        return kNames[category];
    return "category " + std::to_string(category) + " (not one the interface names)";
}

const char* Answer(VstIntPtr v) {
    return v > 0 ? "yes" : (v < 0 ? "no" : "does not say");
}

std::string Hex32(VstInt32 v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

constexpr const char* kQuestions[] = {
    "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass"};

} // namespace

std::string DescribeFlags(VstInt32 flags) {
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
        text += Hex32(rest);
    }
    return text.empty() ? "none" : text;
}

void PrintPluginInfo(PluginInstance& plugin, std::ostream& out) {
    const AEffect& e = plugin.Effect();
    out << "Effect:      " << Trimmed(plugin.EffectName()) << '\n';
    out << "Vendor:      " << Trimmed(plugin.VendorString()) << '\n';
    // Many plug-ins leave the product name empty; no line then.
    if (const std::string product = Trimmed(plugin.ProductString()); !product.empty())
        out << "Product:     " << product << '\n';
    out << "Version:     " << e.version << " (vendor version "
        << plugin.Dispatch(effGetVendorVersion) << ")\n";
    out << "Unique id:   " << Hex32(e.uniqueID) << " '" << FourCcText(e.uniqueID) << "'\n";
    out << "VST version: " << plugin.Dispatch(effGetVstVersion) << '\n';
    out << "Category:    " << CategoryName(plugin.Dispatch(effGetPlugCategory)) << '\n';
    out << "Channels:    " << e.numInputs << " in, " << e.numOutputs << " out\n";
    out << "Latency:     " << e.initialDelay << " samples\n";
    out << "Tail:        " << plugin.Dispatch(effGetTailSize) << " samples (0: not given)\n";
    out << "Flags:       " << Hex32(e.flags) << ' ' << DescribeFlags(e.flags) << '\n';
    out << "Callbacks:  ";
    for (ProcessMode mode :
         {ProcessMode::Replacing, ProcessMode::Accumulating, ProcessMode::DoubleReplacing})
        if (plugin.Supports(mode)) out << ' ' << ProcessModeName(mode);
    out << '\n';
    out << "\nCapabilities (effCanDo):\n";
    for (const char* q : kQuestions)
        out << "  " << std::left << std::setw(22) << q << Answer(plugin.CanDo(q)) << '\n';

    const VstInt32 current = plugin.CurrentProgram();
    out << "\nPrograms (" << plugin.NumPrograms() << ", current " << current << "):\n";
    for (VstInt32 i = 0; i < plugin.NumPrograms(); ++i)
        out << (i == current ? "* " : "  ") << std::right << std::setw(3) << i << "  "
            << Trimmed(plugin.ProgramNameAt(i)) << '\n';

    out << "\nParameters (" << plugin.NumParams() << "):\n";
    out << "  " << std::right << std::setw(3) << "#"
        << "  " << std::left << std::setw(24) << "name" << std::setw(16) << "display"
        << std::setw(10) << "label"
        << "normalised\n";
    for (VstInt32 i = 0; i < plugin.NumParams(); ++i) {
        std::ostringstream value;
        value << std::fixed << std::setprecision(4) << plugin.GetParameter(i);
        out << "  " << std::right << std::setw(3) << i << "  " << std::left << std::setw(24)
            << Trimmed(plugin.ParamName(i)) << std::setw(16) << Trimmed(plugin.ParamDisplay(i))
            << std::setw(10) << Trimmed(plugin.ParamLabel(i)) << value.str() << '\n';
    }
    out << std::right;
}

void PrintPluginInfoJson(PluginInstance& plugin, std::ostream& out) {
    const AEffect& e = plugin.Effect();
    JsonWriter j(out);
    j.BeginObject();
    j.Value("effect", Trimmed(plugin.EffectName()));
    j.Value("vendor", Trimmed(plugin.VendorString()));
    j.Value("product", Trimmed(plugin.ProductString()));
    j.Value("version", e.version);
    j.Value("vendorVersion", static_cast<long long>(plugin.Dispatch(effGetVendorVersion)));
    j.Value("uniqueId", FourCcText(e.uniqueID));
    j.Value("uniqueIdNumber", e.uniqueID);
    j.Value("vstVersion", static_cast<long long>(plugin.Dispatch(effGetVstVersion)));
    j.Value("category", CategoryName(plugin.Dispatch(effGetPlugCategory)));
    j.Value("inputs", e.numInputs);
    j.Value("outputs", e.numOutputs);
    j.Value("latency", e.initialDelay);
    j.Value("tailSamples", static_cast<long long>(plugin.Dispatch(effGetTailSize)));
    j.BeginArray("flags");
    std::istringstream flagNames(DescribeFlags(e.flags));
    for (std::string word; flagNames >> word;)
        if (word != "none") j.Value(nullptr, word);
    j.EndArray();
    j.BeginArray("callbacks");
    for (ProcessMode mode :
         {ProcessMode::Replacing, ProcessMode::Accumulating, ProcessMode::DoubleReplacing})
        if (plugin.Supports(mode)) j.Value(nullptr, ProcessModeName(mode));
    j.EndArray();
    j.BeginObject("canDo");
    for (const char* q : kQuestions) {
        VstIntPtr v = plugin.CanDo(q);
        if (v == 0)
            j.Null(q);
        else
            j.Value(q, v > 0);
    }
    j.EndObject();
    j.Value("currentProgram", plugin.CurrentProgram());
    j.BeginArray("programs");
    for (VstInt32 i = 0; i < plugin.NumPrograms(); ++i)
        j.Value(nullptr, Trimmed(plugin.ProgramNameAt(i)));
    j.EndArray();
    // Stepping through one parameter may move others (a mode switch converting a value):
    // everything is read first; each survey puts the whole state back.
    struct Param {
        std::string name, unit, display;
        float normalised;
        ParamSurvey survey;
    };
    std::vector<Param> params;
    for (VstInt32 i = 0; i < plugin.NumParams(); ++i)
        params.push_back({Trimmed(plugin.ParamName(i)),
                          Trimmed(plugin.ParamLabel(i)),
                          Trimmed(plugin.ParamDisplay(i)),
                          plugin.GetParameter(i),
                          {}});
    for (VstInt32 i = 0; i < plugin.NumParams(); ++i)
        params[static_cast<std::size_t>(i)].survey = SurveyParameter(plugin, i);
    j.BeginArray("parameters");
    for (VstInt32 i = 0; i < plugin.NumParams(); ++i) {
        const Param& p = params[static_cast<std::size_t>(i)];
        j.BeginObject();
        j.Value("index", i);
        j.Value("name", p.name);
        j.Value("unit", p.unit);
        j.Value("display", p.display);
        j.Value("normalised", static_cast<double>(p.normalised));
        j.BeginArray("range");
        j.Value(nullptr, p.survey.atZero);
        j.Value(nullptr, p.survey.atOne);
        j.EndArray();
        if (!p.survey.values.empty()) {
            j.BeginArray("values");
            for (const std::string& v : p.survey.values)
                j.Value(nullptr, v);
            j.EndArray();
        }
        j.EndObject();
    }
    j.EndArray();
    j.EndObject();
}

} // namespace vhost
