#include "options.h"

#include "host_error.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>

namespace vhost {
namespace {

// "1000", "0.25": numbers as a person writes them.
std::string shortNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// Short options that take a value may have it attached: -t100, -PGain=3.
constexpr std::string_view kShortWithValue = "trbpP";

double number(const std::string& option, const std::string& text, double min, double max) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v))
        throw UsageError(option + " needs a number, got '" + text + "'");
    if (v < min || v > max)
        throw UsageError(option + " must be between " + shortNumber(min) + " and " +
                         shortNumber(max) + ", got " + text);
    return v;
}

VstInt32 integer(const std::string& option, const std::string& text, long min, long max) {
    char* end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size())
        throw UsageError(option + " needs a whole number, got '" + text + "'");
    if (v < min || v > max)
        throw UsageError(option + " must be between " + std::to_string(min) + " and " +
                         std::to_string(max) + ", got " + text);
    return static_cast<VstInt32>(v);
}

void timeSignature(Options& o, const std::string& text) {
    auto slash = text.find('/');
    if (slash == std::string::npos)
        throw UsageError("--time-signature needs N/D like 3/4, got '" + text + "'");
    o.timeSigNumerator = integer("--time-signature", text.substr(0, slash), 1, 64);
    o.timeSigDenominator = integer("--time-signature", text.substr(slash + 1), 1, 64);
    const int d = o.timeSigDenominator;
    if ((d & (d - 1)) != 0)
        throw UsageError("--time-signature needs a power of two below the line, got '" + text +
                         "'");
}

// "0.001" or "-60dB": a linear amplitude.
double tolerance(const std::string& text) {
    std::string t = text;
    bool decibels = t.size() > 2 && (t.ends_with("dB") || t.ends_with("db"));
    if (decibels) t.resize(t.size() - 2);
    double v = number("--tolerance", t, decibels ? -400.0 : 0.0, decibels ? 0.0 : 2.0);
    return decibels ? std::pow(10.0, v / 20.0) : v;
}

Options parseDiff(const std::vector<std::string>& args) {
    Options o;
    o.mode = Mode::Diff;
    std::vector<std::string> files;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--tolerance" || a == "-T") {
            if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
            o.tolerance = tolerance(args[++i]);
        } else if (a.starts_with("--tolerance=")) {
            o.tolerance = tolerance(a.substr(12));
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a == "-h" || a == "--help") {
            o.mode = Mode::Help;
            return o;
        } else if (a.size() > 1 && a[0] == '-') {
            throw UsageError("unknown option " + a + " for diff (see --help)");
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) throw UsageError("diff needs two audio files: diff A B");
    o.diffA = files[0];
    o.diffB = files[1];
    return o;
}

} // namespace

std::vector<PluginSetup> pluginChain(const Options& o) {
    std::vector<PluginSetup> chain;
    chain.push_back({o.plugin, o.program, o.params, o.loadState, o.saveState, o.automation});
    chain.insert(chain.end(), o.chained.begin(), o.chained.end());
    return chain;
}

std::string usageText() {
    return R"(Usage:
  velmorande-host [options] PLUGIN INPUT OUTPUT   render INPUT through the plug-in
  velmorande-host [options] PLUGIN --save FILE    only write the plug-in's state
  velmorande-host [options] PLUGIN --editor-png FILE   only picture the plug-in's editor
  velmorande-host [options] --editor PLUGIN [INPUT OUTPUT]   set a sound by hand in the
                           plug-in's editor, then --save it and/or render with it
  velmorande-host --info [--json] [options] PLUGIN   list parameters, programs, capabilities
  velmorande-host --demo DIR [options] PLUGIN     render the built-in demo phrase into DIR
  velmorande-host diff A B [--tolerance T] [--json]  compare two audio files

PLUGIN is a VST 2.x library (.so); a name without a directory is a file in the current
directory. INPUT is a WAV, AIFF, FLAC, CAF or other file that libsndfile reads; "-" reads
standard input. OUTPUT is written through a temporary file beside it, so a failed run leaves
no partial file behind; a symbolic link has its target replaced, a device or pipe
(/dev/null, a FIFO) is written directly and never replaced, and "-" writes standard output
(the summary then goes to standard error). OUTPUT has as many channels as the plug-in has
outputs.

Rendering:
  -t, --tempo BPM          host tempo told to the plug-in, 1-999 (default 120)
      --time-signature N/D time signature told to the plug-in, N 1-64, D a power of two
                           up to 64 (default 4/4)
  -r, --rate HZ            sample rate told to the plug-in and written to OUTPUT,
                           1000-768000 (default: INPUT's; audio is not resampled)
  -b, --block-size N       frames per processing call, 1-65536 (default 512)
      --precision P        single (default) or double; single uses processReplacing,
                           or the accumulating process for plug-ins without it
      --tail SECONDS       silence appended to INPUT so echoes ring out, 0-3600
                           (default 0; 2 for --demo)
      --channels MAP       which INPUT channels feed the (first) plug-in's inputs: "mix"
                           (the average of all on every input), or one item per input
                           separated by commas: a channel number from 1, channels joined
                           by + (their average), or 0 for silence ("2,1" swaps a stereo
                           pair, "1+2" mixes to mono). Default: the same channel numbers;
                           a mono INPUT feeds every input, a 1-input plug-in gets the
                           average of all channels; channels left over are dropped with a
                           warning. In a chain each plug-in feeds the next by default.

Plug-in state (applied in this order: --load, --program, --param; --save comes last):
  -p, --program N|NAME     select a program by number (from 0) or by name
  -P, --param NAME=VALUE   set a parameter; NAME is its name (any case) or its index,
                           VALUE a plain value as the plug-in displays it ("40", "1/8",
                           "Yes"), or a normalised value 0..1 with a trailing n ("0.4n");
                           a value outside the parameter's range is refused; may be repeated
      --load FILE          load a .fxp program or .fxb bank file
      --save FILE          save the state: a bank for FILE ending .fxb, else a program
      --editor             open the plug-in's editor in a window after the state above;
                           --save and rendering use the state it is closed with
      --automate FILE      change parameters during the render, from a JSON file:
                           {"Freq": {"ramp": "linear", "unit": "seconds",
                                     "points": [[0, "200"], [4, "8000"]]}}
                           keys name parameters as -P does; "unit" is seconds (default) or
                           beats; values are plain ("1/8", 40) or normalised ("0.4n");
                           "ramp" is step (default) or linear (in the normalised value,
                           updated every 32 frames); changes land on their exact frame
      --then PLUGIN        chain another plug-in after the ones before: the output of one
                           feeds the next. -p, -P, --load, --save and --automate belong to
                           the plug-in named last by --then, or to the first plug-in before
                           any --then; every other option is for the whole render.
      --editor-png FILE    write a picture of the plug-in's editor as it opens, for the
                           state above (plug-ins that draw one on request; --demo writes
                           DIR/demo-editor.png)
      --scale F            draw --editor and --editor-png for a screen of F device pixels per
                           pixel of the editor's own size, 1-3 (default: --editor the
                           desktop's, --editor-png 1); the plug-in takes the nearest of its
                           own scales

Output file:
      --format F           wav, rf64, aiff, flac, caf, w64, au, ogg (Vorbis), opus or mp3
                           (default: from OUTPUT's extension, else INPUT's format; an
                           extension outside this list is refused unless --format is given)
      --encoding E         pcm16, pcm24, pcm32, float or double (default: INPUT's)
      --float              the same as --encoding float
  A WAV output that would pass 4 GiB is written as RF64. In integer encodings overs are
  clipped, NaN is written as 0 and infinities as full scale, each with a warning.

Other:
  -i, --info               print the plug-in's identity, programs, parameters, capabilities
      --json               --info and the render summary as JSON on standard output
      --demo DIR           write DIR/demo-input.wav (a synthesised 4 s phrase) and render
                           it into DIR/demo-output.wav (program 1 unless -p is given)
  -q, --quiet              no summary and no progress bar
  -h, --help               this text
      --version            the host's version

diff A B: frames, channels, the largest difference and where, the RMS of the difference
and the first frame that differs by more than the tolerance. -T, --tolerance T is a linear
amplitude (0.001) or a level ("-90dB"); default 0, any difference.

Exit status: 0 on success, 1 when the plug-in, a file or a value fails (diff: the files
differ beyond the tolerance), 2 for a wrong command line, 130 when interrupted (the output
is then not written).
)";
}

Options parseOptions(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "diff") return parseDiff(args);
    Options o;
    std::vector<std::string> positional;
    PluginSetup* current = nullptr; // the plug-in of the last --then; null: the first
    auto program = [&]() -> std::optional<std::string>& {
        return current ? current->program : o.program;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string inlineValue;
        bool hasInline = false;
        if (arg.size() > 2 && arg[0] == '-' && arg[1] != '-' &&
            kShortWithValue.find(arg[1]) != std::string_view::npos) {
            inlineValue = arg.substr(2);
            arg.resize(2);
            hasInline = true;
        } else if (arg.rfind("--", 0) == 0) {
            auto eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInline = true;
            }
        }
        auto value = [&]() -> std::string {
            if (hasInline) return inlineValue;
            if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            return args[++i];
        };
        auto flag = [&]() {
            if (hasInline) throw UsageError(arg + " takes no value");
        };

        if (arg == "-h" || arg == "--help") {
            flag();
            o.mode = Mode::Help;
            return o;
        } else if (arg == "--version") {
            flag();
            o.mode = Mode::Version;
            return o;
        } else if (arg == "-i" || arg == "--info") {
            flag();
            if (o.mode == Mode::Demo) throw UsageError("--info and --demo exclude each other");
            o.mode = Mode::Info;
        } else if (arg == "--demo") {
            if (o.mode == Mode::Info) throw UsageError("--info and --demo exclude each other");
            o.mode = Mode::Demo;
            o.demoDir = value();
            if (o.demoDir.empty()) throw UsageError("--demo needs a directory");
        } else if (arg == "-t" || arg == "--tempo") {
            o.tempo = number("--tempo", value(), 1.0, 999.0);
        } else if (arg == "-r" || arg == "--rate") {
            o.sampleRate = number("--rate", value(), 1000.0, 768000.0);
        } else if (arg == "-b" || arg == "--block-size") {
            o.blockSize = integer("--block-size", value(), 1, 65536);
        } else if (arg == "--precision") {
            std::string p = value();
            if (p == "single" || p == "32")
                o.precision = Precision::Single;
            else if (p == "double" || p == "64")
                o.precision = Precision::Double;
            else
                throw UsageError("--precision is single or double, got '" + p + "'");
        } else if (arg == "--tail") {
            o.tailSeconds = number("--tail", value(), 0.0, 3600.0);
        } else if (arg == "-p" || arg == "--program") {
            program() = value();
            if (program()->empty()) throw UsageError("--program needs a number or a name");
        } else if (arg == "-P" || arg == "--param") {
            (current ? current->params : o.params).push_back(parseParamAssignment(value()));
        } else if (arg == "--load") {
            (current ? current->loadState : o.loadState) = value();
        } else if (arg == "--save") {
            (current ? current->saveState : o.saveState) = value();
        } else if (arg == "--editor") {
            flag();
            o.editor = true;
        } else if (arg == "--automate") {
            (current ? current->automation : o.automation) = value();
        } else if (arg == "--then") {
            o.chained.push_back({});
            current = &o.chained.back();
            current->path = value();
            if (current->path.empty()) throw UsageError("--then needs a plug-in");
        } else if (arg == "--channels") {
            o.channels = value();
            if (o.channels.empty()) throw UsageError("--channels needs a mapping (see --help)");
        } else if (arg == "--time-signature") {
            timeSignature(o, value());
        } else if (arg == "--json") {
            flag();
            o.json = true;
        } else if (arg == "--editor-png") {
            o.editorPicture = value();
        } else if (arg == "--scale") {
            o.editorScale = number("--scale", value(), 1.0, 3.0);
        } else if (arg == "--format") {
            o.format = value();
        } else if (arg == "--encoding") {
            o.encoding = value();
        } else if (arg == "--float") {
            flag();
            o.encoding = "float";
        } else if (arg == "-q" || arg == "--quiet") {
            flag();
            o.quiet = true;
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                              args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg + " (see --help)");
        } else {
            positional.push_back(arg);
        }
    }

    if (o.editorScale && !o.editor && !o.editorPicture && o.mode != Mode::Demo)
        throw UsageError("--scale is for --editor, --editor-png or --demo");
    if (positional.empty()) throw UsageError("no plug-in given (see --help)");
    o.plugin = positional[0];
    switch (o.mode) {
    case Mode::Info:
        if (positional.size() > 1) throw UsageError("--info takes only the plug-in");
        if (!o.chained.empty()) throw UsageError("--info takes one plug-in, not a chain");
        break;
    case Mode::Demo:
        if (positional.size() > 1) throw UsageError("--demo takes only the plug-in");
        break;
    default:
        if (positional.size() == 2)
            throw UsageError("an OUTPUT file is needed after INPUT " + positional[1]);
        if (positional.size() > 3) throw UsageError("too many arguments: '" + positional[3] + "'");
        if (positional.size() == 3) {
            o.input = positional[1];
            o.output = positional[2];
            if (o.input == o.output && o.input != "-")
                throw UsageError("INPUT and OUTPUT are the same file");
        } else if (!o.saveState && !o.editorPicture && !o.editor) {
            throw UsageError(
                "nothing to do: give INPUT and OUTPUT, --save, --editor-png, --info or --demo");
        }
    }
    return o;
}

} // namespace vhost
