#include "plugin_info.h"

#include "fx_file.h"
#include "text_match.h"

#include <cstdio>
#include <iomanip>
#include <sstream>

namespace vhost {
namespace {

std::string categoryName(VstIntPtr category) {
    switch (category) {
    case kPlugCategEffect:
        return "effect";
    case kPlugCategSynth:
        return "instrument";
    case 0:
        return "unknown";
    default:
        return "category " + std::to_string(category);
    }
}

const char* answer(VstIntPtr v) {
    return v > 0 ? "yes" : (v < 0 ? "no" : "does not say");
}

std::string hex32(VstInt32 v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
    return buf;
}

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
    out << "Product:     " << trimmed(plugin.productString()) << '\n';
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
    static constexpr const char* questions[] = {
        "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
        "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass"};
    for (const char* q : questions)
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

} // namespace vhost
