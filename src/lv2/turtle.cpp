#include "lv2/turtle.h"

#include "core/plug_base.h"
#include "lv2/lv2_plugin.h"
#include "lv2/port_layout.h"

#include <charconv>
#include <cmath>
#include <set>
#include <sstream>
#include <vector>

namespace {
constexpr const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                                  "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                                  "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                                  "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                                  "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                                  "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                                  "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                                  "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                                  "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                                  "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                                  "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
                                  "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                                  "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                                  "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + '"';
}

std::string Uri(const std::string& uri) {
    return "<" + uri + ">";
}

// Whole numbers as integers, anything else in the shortest form that reads back exactly.
std::string Number(double v) {
    if (std::nearbyint(v) == v && std::fabs(v) < 1e15) return std::to_string(std::llround(v));
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

// Preset values as decimals, which hosts read as the float a control port holds.
std::string Decimal(double v) {
    std::string text = Number(v);
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

// The units LV2 names for the labels the effect uses; any other label becomes a unit of
// its own with that symbol.
std::string Unit(const std::string& label) {
    if (label == "%") return "units:pc";
    if (label == "ms") return "units:ms";
    if (label == "s") return "units:s";
    if (label == "Hz") return "units:hz";
    if (label == "kHz") return "units:khz";
    if (label == "dB") return "units:db";
    return "[ a units:Unit ; units:symbol " + Quoted(label) + " ; rdfs:label " + Quoted(label) +
           " ]";
}

void WriteControlPort(std::ostream& out, int index, const IPlugParam& param) {
    out << "[\n        a lv2:InputPort , lv2:ControlPort ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(param.Symbol()) << " ;\n"
        << "        lv2:name " << Quoted(param.Name()) << " ;\n"
        << "        lv2:default " << Number(param.Value()) << " ;\n"
        << "        lv2:minimum " << Number(param.Min()) << " ;\n"
        << "        lv2:maximum " << Number(param.Max());
    if (param.Label()[0]) out << " ;\n        units:unit " << Unit(param.Label());
    std::vector<std::string> properties;
    if (param.IsIntegerValued()) properties.push_back("lv2:integer");
    if (param.ValueTextCount() > 0) properties.push_back("lv2:enumeration");
    for (std::size_t i = 0; i < properties.size(); ++i)
        out << (i == 0 ? " ;\n        lv2:portProperty " : " , ") << properties[i];
    bool first = true;
    const int last = param.ValueTextCount() > 0 ? static_cast<int>(param.Max()) : -1;
    for (int v = static_cast<int>(param.Min()); v <= last; ++v) {
        const char* text = param.ValueText(v);
        if (!text[0]) continue;
        out << (first ? " ;\n        lv2:scalePoint " : " ,\n            ") << "[ rdfs:label "
            << Quoted(text) << " ; rdf:value " << v << " ]";
        first = false;
    }
    out << "\n    ]";
}

void WritePort(std::ostream& out, const char* kinds, int index, const char* symbol,
               const char* name) {
    out << "[\n        a lv2:" << kinds << " ;\n"
        << "        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << Quoted(symbol) << " ;\n"
        << "        lv2:name " << Quoted(name) << "\n    ]";
}

struct Program {
    std::string name;
    std::vector<double> values;
};

// The factory sounds: every filled program but one that only holds the defaults, which
// is the plug-in's own start state rather than a sound to offer.
std::vector<Program> FactoryPrograms(IPlugBase& plug) {
    std::vector<double> defaults;
    for (int i = 0; i < plug.NParams(); ++i)
        defaults.push_back(plug.GetParam(i)->Value());
    std::vector<Program> programs;
    const int current = plug.CurrentPreset();
    for (int p = 0; p < plug.NPresets(); ++p) {
        if (!plug.GetPreset(p)->initialised) continue;
        plug.ChangeProgram(p);
        Program program{plug.PresetName(p), {}};
        for (int i = 0; i < plug.NParams(); ++i)
            program.values.push_back(plug.GetParam(i)->Value());
        if (program.values != defaults) programs.push_back(std::move(program));
    }
    plug.ChangeProgram(current);
    return programs;
}
} // namespace

std::string PresetUri(const std::string& pluginUri, const std::string& programName) {
    std::string slug;
    for (const char c : programName) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            slug += c;
        else if (c >= 'A' && c <= 'Z')
            slug += static_cast<char>(c - 'A' + 'a');
        else if (c != '\'' && !slug.empty() && slug.back() != '-')
            slug += '-';
    }
    while (!slug.empty() && slug.back() == '-')
        slug.pop_back();
    return pluginUri + "#preset-" + slug;
}

TurtleFiles DescribeBundle(IPlugBase& plug, const BundleNames& names) {
    const PortLayout layout{plug.NParams()};
    const std::string plugin = Uri(names.uri);
    const std::string panel = Uri(Lv2PanelUri(names.uri.c_str()));
    const std::string binary = Uri(names.binary);
    TurtleFiles files;
    const auto dot = names.binary.rfind('.');
    files.pluginFileName = names.binary.substr(0, dot) + ".ttl";
    const std::string seeAlso = Uri(files.pluginFileName);

    // Parameters first: the programs below move them.
    std::ostringstream p;
    p << kPrefixes << plugin << "\n    a lv2:Plugin , lv2:DelayPlugin , doap:Project ;\n"
      << "    doap:name " << Quoted(plug.EffectName()) << " ;\n"
      << "    doap:maintainer [ foaf:name " << Quoted(plug.MakerName()) << " ] ;\n"
      << "    lv2:optionalFeature urid:map , opts:options ;\n"
      << "    opts:supportedOption bufsz:maxBlockLength ;\n"
      << "    lv2:extensionData state:interface ;\n"
      << "    ui:ui " << panel << " ;\n    lv2:port ";
    for (int i = 0; i < layout.params; ++i) {
        WriteControlPort(p, i, *plug.GetParam(i));
        p << " , ";
    }
    const char* sides[kLv2Channels][2] = {{"in_l", "In L"}, {"in_r", "In R"}};
    const char* outs[kLv2Channels][2] = {{"out_l", "Out L"}, {"out_r", "Out R"}};
    for (int c = 0; c < kLv2Channels; ++c) {
        WritePort(p, "InputPort , lv2:AudioPort", layout.AudioIn(c), sides[c][0], sides[c][1]);
        p << " , ";
    }
    for (int c = 0; c < kLv2Channels; ++c) {
        WritePort(p, "OutputPort , lv2:AudioPort", layout.AudioOut(c), outs[c][0], outs[c][1]);
        p << " , ";
    }
    // The host's transport, for the tempo; optional, so hosts without one still run it.
    p << "[\n        a lv2:InputPort , atom:AtomPort ;\n"
      << "        atom:bufferType atom:Sequence ;\n"
      << "        atom:supports time:Position ;\n"
      << "        lv2:designation lv2:control ;\n"
      << "        lv2:portProperty lv2:connectionOptional ;\n"
      << "        lv2:index " << layout.Events() << " ;\n"
      << "        lv2:symbol \"control\" ;\n"
      << "        lv2:name \"Control\"\n    ] .\n\n";
    p << panel << "\n    a ui:X11UI ;\n"
      << "    lv2:binary " << binary << " ;\n"
      << "    lv2:requiredFeature ui:parent ;\n"
      << "    lv2:optionalFeature ui:resize , ui:touch , ui:noUserResize , ui:idleInterface ;\n"
      << "    opts:supportedOption ui:scaleFactor ;\n"
      << "    lv2:extensionData ui:idleInterface , opts:interface .\n";
    files.plugin = p.str();

    std::ostringstream m, s;
    m << kPrefixes << plugin << "\n    a lv2:Plugin ;\n    lv2:binary " << binary
      << " ;\n    rdfs:seeAlso " << seeAlso << " .\n\n"
      << panel << "\n    a ui:X11UI ;\n    lv2:binary " << binary << " ;\n    rdfs:seeAlso "
      << seeAlso << " .\n";
    s << kPrefixes;
    std::set<std::string> used;
    for (const Program& program : FactoryPrograms(plug)) {
        std::string uri = PresetUri(names.uri, program.name);
        for (int n = 2; !used.insert(uri).second; ++n)
            uri = PresetUri(names.uri, program.name) + "-" + std::to_string(n);
        m << "\n"
          << Uri(uri) << "\n    a pset:Preset ;\n    lv2:appliesTo " << plugin
          << " ;\n    rdfs:seeAlso <presets.ttl> .\n";
        s << Uri(uri) << "\n    a pset:Preset ;\n    lv2:appliesTo " << plugin << " ;\n"
          << "    rdfs:label " << Quoted(program.name) << " ;\n    lv2:port ";
        for (int i = 0; i < layout.params; ++i)
            s << (i ? " , " : "") << "[\n        lv2:symbol " << Quoted(plug.GetParam(i)->Symbol())
              << " ;\n        pset:value " << Decimal(program.values[static_cast<std::size_t>(i)])
              << "\n    ]";
        s << " .\n\n";
    }
    files.manifest = m.str();
    files.presets = s.str();
    return files;
}
