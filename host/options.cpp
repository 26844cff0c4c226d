#include "host/options.h"

#include "host/command_errors.h"
#include "host/text_match.h"

#include <cmath>
#include <limits>
#include <map>
#include <string_view>

namespace vhost {
namespace {

// Where an option is listed in --help.
enum class Section { Rendering, State, Output, Other, Diff };

// The commands an option belongs to.
enum Command : unsigned { kMain = 1, kDiff = 2 };

enum class Kind { Flag, Number, Integer, Text };

struct OptionRow;

// The parser's state while it walks the arguments.
struct Parsing {
    Options& o;
    const std::vector<std::string>& args;
    std::vector<std::string> positional;
    // The options already set (per plug-in for the plug-in's own), by setting.
    std::map<std::string, std::string> given;
    PluginSetup& Plugin() { return o.chain.back(); }
};

// One option's value, checked against its kind and range.
struct Value {
    std::string text;
    double number = 0.0;
};

using Apply = void (*)(Parsing&, const Value&);

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// One row of the table the parser, the help text and the range checks all read.
struct OptionRow {
    char shortName;         // 0: none
    std::string_view name;  // the long name, without "--"
    std::string_view value; // what the value is called in the help; empty for a flag
    Kind kind;
    Section section;
    unsigned commands;
    double min, max;       // for numbers
    double fallback;       // the default shown in the help, kNone for none
    std::string_view help; // "{range}" and "{default}" are filled in from the row
    Apply apply;
    bool perPlugin = false;  // belongs to the plug-in named last by --then
    bool repeatable = false; // else given once (for each plug-in)
    std::string_view slot{}; // options that set one thing share it (--float, --encoding)
};

// "0.001" or "-60dB": a linear amplitude.
double Tolerance(const std::string& text) {
    std::string t = text;
    const bool decibels = t.size() > 2 && (t.ends_with("dB") || t.ends_with("db"));
    if (decibels) t.resize(t.size() - 2);
    double v = 0.0;
    if (!ParseDecimal(t, v)) throw UsageError("--tolerance needs a number, got '" + text + "'");
    if (decibels ? v > 0.0 : v < 0.0 || v > 2.0)
        throw UsageError("--tolerance is an amplitude from 0 to 2 or a level up to 0dB, got " +
                         text);
    return decibels ? std::pow(10.0, v / 20.0) : v;
}

int TimeSignaturePart(const std::string& whole, const std::string& part) {
    double v = 0.0;
    if (!ParseDecimal(part, v) || v != std::floor(v) || v < 1 || v > 64)
        throw UsageError("--time-signature needs N/D with N and D from 1 to 64, got '" + whole +
                         "'");
    return static_cast<int>(v);
}

void TimeSignature(Parsing& p, const Value& v) {
    const auto slash = v.text.find('/');
    if (slash == std::string::npos)
        throw UsageError("--time-signature needs N/D like 3/4, got '" + v.text + "'");
    p.o.timeSigNumerator = TimeSignaturePart(v.text, v.text.substr(0, slash));
    const int d = TimeSignaturePart(v.text, v.text.substr(slash + 1));
    if ((d & (d - 1)) != 0)
        throw UsageError("--time-signature needs a power of two below the line, got '" + v.text +
                         "'");
    p.o.timeSigDenominator = d;
}

void Mode(Parsing& p, Mode m, const char* name) {
    if (p.o.mode == Mode::Info || p.o.mode == Mode::Demo)
        throw UsageError(std::string("--info and --demo exclude each other (") + name +
                         " after the other)");
    p.o.mode = m;
}

std::string NonEmpty(const Value& v, const char* option, const char* what) {
    if (v.text.empty()) throw UsageError(std::string(option) + " needs " + what);
    return v.text;
}

// clang-format off
constexpr OptionRow kOptions[] = {
    {'t', "tempo", "BPM", Kind::Number, Section::Rendering, kMain, 1, 999, kDefaultTempo,
     "host tempo told to the plug-in, {range} (default {default})",
     [](Parsing& p, const Value& v) { p.o.tempo = v.number; }},
    {0, "time-signature", "N/D", Kind::Text, Section::Rendering, kMain, 1, 64, kNone,
     "time signature told to the plug-in, N {range}, D a power of two up to 64 (default 4/4)",
     TimeSignature},
    {'r', "rate", "HZ", Kind::Number, Section::Rendering, kMain, kMinSampleRate, kMaxSampleRate,
     kNone,
     "sample rate told to the plug-in and written to OUTPUT, {range} (default: INPUT's; audio "
     "is not resampled, and an INPUT at a rate outside this range needs --rate)",
     [](Parsing& p, const Value& v) { p.o.sampleRate = v.number; }},
    {'b', "block-size", "N", Kind::Integer, Section::Rendering, kMain, 1, 65536,
     kDefaultBlockSize, "frames per processing call, {range} (default {default})",
     [](Parsing& p, const Value& v) { p.o.blockSize = static_cast<VstInt32>(v.number); }},
    {0, "precision", "P", Kind::Text, Section::Rendering, kMain, 0, 0, kNone,
     "single (default) or double; single uses processReplacing, or the accumulating process "
     "for plug-ins without it",
     [](Parsing& p, const Value& v) {
         if (v.text == "single" || v.text == "32")
             p.o.precision = Precision::Single;
         else if (v.text == "double" || v.text == "64")
             p.o.precision = Precision::Double;
         else
             throw UsageError("--precision is single or double, got '" + v.text + "'");
     }},
    {0, "tail", "SECONDS", Kind::Number, Section::Rendering, kMain, 0, 3600, kNone,
     "silence appended to INPUT so echoes ring out, {range} (default 0; 2 for --demo)",
     [](Parsing& p, const Value& v) { p.o.tailSeconds = v.number; }},
    {0, "channels", "MAP", Kind::Text, Section::Rendering, kMain, 0, 0, kNone,
     "which INPUT channels feed the (first) plug-in's inputs: \"mix\" (the average of all on "
     "every input), or one item per input separated by commas: a channel number from 1, "
     "channels joined by + (their average), or 0 for silence (\"2,1\" swaps a stereo pair, "
     "\"1+2\" mixes to mono). Default: the same channel numbers; a mono INPUT feeds every "
     "input, a 1-input plug-in gets the average of all channels; channels left over are "
     "dropped with a warning. In a chain each plug-in feeds the next by default.",
     [](Parsing& p, const Value& v) {
         p.o.channels = NonEmpty(v, "--channels", "a mapping (see --help)");
     }},

    {'p', "program", "N|NAME", Kind::Text, Section::State, kMain, 0, 0, kNone,
     "select a program by number (from 0) or by name",
     [](Parsing& p, const Value& v) {
         p.Plugin().program = NonEmpty(v, "--program", "a number or a name");
     }, true},
    {'P', "param", "NAME=VALUE", Kind::Text, Section::State, kMain, 0, 0, kNone,
     "set a parameter; NAME is its name (any case) or its index. VALUE is a plain value as "
     "the plug-in displays it (\"40\"); for a parameter that shows texts (\"1/8\", \"On\") it "
     "is one of those texts, in any case; or a normalised value 0..1 with a trailing n "
     "(\"0.4n\"). Numbers are decimal. A value outside the parameter's range is refused. May "
     "be repeated.",
     [](Parsing& p, const Value& v) { p.Plugin().params.push_back(ParseParamAssignment(v.text)); },
     true, true},
    {0, "load", "FILE", Kind::Text, Section::State, kMain, 0, 0, kNone,
     "load a .fxp program or .fxb bank file",
     [](Parsing& p, const Value& v) { p.Plugin().loadState = NonEmpty(v, "--load", "a file"); },
     true},
    {0, "save", "FILE", Kind::Text, Section::State, kMain, 0, 0, kNone,
     "save the state: a bank for FILE ending .fxb, else a program",
     [](Parsing& p, const Value& v) { p.Plugin().saveState = NonEmpty(v, "--save", "a file"); },
     true},
    {0, "editor", "", Kind::Flag, Section::State, kMain, 0, 0, kNone,
     "open the plug-in's editor in a window after the state above; --save and rendering use "
     "the state it is closed with",
     [](Parsing& p, const Value&) { p.o.editor = true; }},
    {0, "automate", "FILE", Kind::Text, Section::State, kMain, 0, 0, kNone,
     "change parameters during the render, from a JSON file:\n"
     "  {\"Freq\": {\"ramp\": \"linear\", \"unit\": \"seconds\",\n"
     "            \"points\": [[0, \"200\"], [4, \"8000\"]]}}\n"
     "keys name parameters as -P does, each parameter once; \"unit\" is seconds (default) or "
     "beats; values are plain (\"1/8\", 40) or normalised (\"0.4n\"); \"ramp\" is step "
     "(default) or linear (in the normalised value, updated every 32 frames); changes land on "
     "their exact frame",
     [](Parsing& p, const Value& v) {
         p.Plugin().automation = NonEmpty(v, "--automate", "a file");
     }, true},
    {0, "then", "PLUGIN", Kind::Text, Section::State, kMain, 0, 0, kNone,
     "chain another plug-in after the ones before: the output of one feeds the next. -p, -P, "
     "--load, --save and --automate belong to the plug-in named last by --then, or to the "
     "first plug-in before any --then; every other option is for the whole render.",
     [](Parsing& p, const Value& v) {
         PluginSetup next;
         next.path = NonEmpty(v, "--then", "a plug-in");
         p.o.chain.push_back(std::move(next));
     }, false, true},
    {0, "editor-png", "FILE", Kind::Text, Section::State, kMain, 0, 0, kNone,
     "write a picture of the plug-in's editor as it opens, for the state above (plug-ins that "
     "draw one on request; --demo writes DIR/demo-editor.png)",
     [](Parsing& p, const Value& v) {
         p.o.editorPicture = NonEmpty(v, "--editor-png", "a file");
     }},
    {0, "scale", "F", Kind::Number, Section::State, kMain, 1, 3, kNone,
     "draw --editor and --editor-png for a screen of F device pixels per pixel of the "
     "editor's own size, {range} (default: --editor the desktop's, --editor-png 1); the "
     "plug-in takes the nearest of its own scales",
     [](Parsing& p, const Value& v) { p.o.editorScale = v.number; }},

    {0, "format", "F", Kind::Text, Section::Output, kMain, 0, 0, kNone,
     "wav, rf64, aiff, flac, caf, w64, au, ogg (Vorbis), opus or mp3 (default: from OUTPUT's "
     "extension, else INPUT's format; an extension outside this list is refused unless "
     "--format is given, and one naming another format than --format is warned about)",
     [](Parsing& p, const Value& v) { p.o.format = NonEmpty(v, "--format", "a format"); }},
    {0, "encoding", "E", Kind::Text, Section::Output, kMain, 0, 0, kNone,
     "pcm8, pcm16, pcm24, pcm32, float or double (default: INPUT's)",
     [](Parsing& p, const Value& v) { p.o.encoding = NonEmpty(v, "--encoding", "an encoding"); },
     false, false, "encoding"},
    {0, "float", "", Kind::Flag, Section::Output, kMain, 0, 0, kNone,
     "the same as --encoding float", [](Parsing& p, const Value&) { p.o.encoding = "float"; },
     false, false, "encoding"},
    {0, "force", "", Kind::Flag, Section::Output, kMain, 0, 0, kNone,
     "replace files the user may not write (read-only, or another user's), as cp -f does",
     [](Parsing& p, const Value&) { p.o.force = true; }},

    {'i', "info", "", Kind::Flag, Section::Other, kMain, 0, 0, kNone,
     "print the plug-in's identity, programs, parameters, capabilities",
     [](Parsing& p, const Value&) { Mode(p, Mode::Info, "--info"); }},
    {0, "json", "", Kind::Flag, Section::Other, kMain | kDiff, 0, 0, kNone,
     "--info, the render summary and diff as JSON on standard output",
     [](Parsing& p, const Value&) { p.o.json = true; }},
    {0, "demo", "DIR", Kind::Text, Section::Other, kMain, 0, 0, kNone,
     "write DIR/demo-input.wav (a synthesised 4 s phrase) and render it into "
     "DIR/demo-output.wav (program 1 unless -p is given)",
     [](Parsing& p, const Value& v) {
         Mode(p, Mode::Demo, "--demo");
         p.o.demoDir = NonEmpty(v, "--demo", "a directory");
     }},
    {'q', "quiet", "", Kind::Flag, Section::Other, kMain | kDiff, 0, 0, kNone,
     "no summary and no progress bar", [](Parsing& p, const Value&) { p.o.quiet = true; }},
    {'h', "help", "", Kind::Flag, Section::Other, kMain | kDiff, 0, 0, kNone, "this text",
     [](Parsing& p, const Value&) { p.o.mode = Mode::Help; }},
    {0, "version", "", Kind::Flag, Section::Other, kMain, 0, 0, kNone, "the host's version",
     [](Parsing& p, const Value&) { p.o.mode = Mode::Version; }},

    {'T', "tolerance", "T", Kind::Text, Section::Diff, kDiff, 0, 0, kNone,
     "the largest difference taken as equal: a linear amplitude (0.001) or a level (\"-90dB\"); "
     "default 0, any difference",
     [](Parsing& p, const Value& v) { p.o.tolerance = Tolerance(v.text); }},
};
// clang-format on

const OptionRow* FindLong(std::string_view name, unsigned command) {
    for (const OptionRow& s : kOptions)
        if (s.name == name && (s.commands & command)) return &s;
    return nullptr;
}

const OptionRow* FindShort(char name, unsigned command) {
    for (const OptionRow& s : kOptions)
        if (name && s.shortName == name && (s.commands & command)) return &s;
    return nullptr;
}

std::string Dashed(const OptionRow& s) {
    return "--" + std::string(s.name);
}

std::string RangeText(const OptionRow& s) {
    return ShortNumber(s.min) + "-" + ShortNumber(s.max);
}

Value Checked(const OptionRow& s, const std::string& text) {
    Value v{text, 0.0};
    if (s.kind != Kind::Number && s.kind != Kind::Integer) return v;
    const bool number = ParseDecimal(text, v.number);
    if (s.kind == Kind::Integer && (!number || v.number != std::floor(v.number)))
        throw UsageError(Dashed(s) + " needs a whole number, got '" + text + "'");
    if (!number) throw UsageError(Dashed(s) + " needs a number, got '" + text + "'");
    if (v.number < s.min || v.number > s.max)
        throw UsageError(Dashed(s) + " must be between " + ShortNumber(s.min) + " and " +
                         ShortNumber(s.max) + ", got " + text);
    return v;
}

// Each setting once (for each plug-in): a second value would silently replace the first.
void CheckOnce(Parsing& p, const OptionRow& s) {
    if (s.repeatable || (s.kind == Kind::Flag && s.slot.empty())) return;
    std::string key(s.slot.empty() ? s.name : s.slot);
    if (s.perPlugin) key += "#" + std::to_string(p.o.chain.size());
    const auto [first, isNew] = p.given.emplace(key, Dashed(s));
    if (isNew) return;
    const std::string forOne = s.perPlugin && p.o.chain.size() > 1 ? " for one plug-in" : "";
    if (first->second == Dashed(s)) throw UsageError(Dashed(s) + " is given twice" + forOne);
    throw UsageError(first->second + " and " + Dashed(s) + " both set the " + std::string(s.slot) +
                     forOne);
}

// Reads the options and operands of one command; stops at --help.
void Walk(Parsing& p, std::size_t first, unsigned command) {
    const auto& args = p.args;
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const OptionRow* row = nullptr;
        std::optional<std::string> attached;
        if (arg == "--") {
            p.positional.insert(p.positional.end(),
                                args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            return;
        } else if (arg.starts_with("--")) {
            const auto eq = arg.find('=');
            row = FindLong(std::string_view(arg).substr(2, eq == std::string::npos ? eq : eq - 2),
                           command);
            if (eq != std::string::npos) attached = arg.substr(eq + 1);
        } else if (arg.size() > 1 && arg[0] == '-') {
            // Short options that take a value may have it attached: -t100, -PGain=3.
            row = FindShort(arg[1], command);
            if (arg.size() > 2) {
                if (row && row->kind == Kind::Flag) row = nullptr;
                attached = arg.substr(2);
            }
        } else {
            p.positional.push_back(arg);
            continue;
        }
        if (!row)
            throw UsageError("unknown option " + arg +
                             (command == kDiff ? " for diff (see --help)" : " (see --help)"));
        Value value;
        if (row->kind == Kind::Flag) {
            if (attached) throw UsageError(Dashed(*row) + " takes no value");
        } else {
            if (!attached && i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            value = Checked(*row, attached ? *attached : args[++i]);
        }
        CheckOnce(p, *row);
        row->apply(p, value);
        if (p.o.mode == Mode::Help || p.o.mode == Mode::Version) return;
    }
}

Options ParseDiff(const std::vector<std::string>& args) {
    Options o;
    o.mode = Mode::Diff;
    Parsing p{o, args, {}, {}};
    Walk(p, 1, kDiff);
    if (o.mode == Mode::Help) return o;
    if (p.positional.size() != 2) throw UsageError("diff needs two audio files: diff A B");
    o.diffA = p.positional[0];
    o.diffB = p.positional[1];
    return o;
}

// Words wrapped at `width`, the first line after `indent` columns already taken; a line
// that starts with a space is kept as written.
std::string Wrapped(std::string_view text, std::size_t indent, std::size_t width) {
    std::string out;
    std::size_t column = indent;
    bool lineStart = true;
    auto newLine = [&] {
        out += '\n';
        out.append(indent, ' ');
        column = indent;
        lineStart = true;
    };
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line[0] == ' ') {
            if (!lineStart) newLine();
            out += line;
            column += line.size();
            lineStart = false;
        } else {
            std::size_t w = 0;
            while (w < line.size()) {
                const std::size_t next = std::min(line.find(' ', w), line.size());
                std::string_view word = line.substr(w, next - w);
                if (!lineStart && column + 1 + word.size() > width) newLine();
                if (!lineStart) {
                    out += ' ';
                    ++column;
                }
                out += word;
                column += word.size();
                lineStart = false;
                w = next + 1;
            }
        }
        pos = end + 1;
        if (end < text.size()) newLine();
    }
    return out;
}

constexpr std::size_t kHelpColumn = 27;
constexpr std::size_t kHelpWidth = 92;

std::string HelpText(const OptionRow& s) {
    std::string text(s.help);
    auto fill = [&text](std::string_view key, const std::string& with) {
        for (std::size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), with);
    };
    fill("{range}", RangeText(s));
    if (!std::isnan(s.fallback)) fill("{default}", ShortNumber(s.fallback));
    return text;
}

std::string OptionLines(Section section) {
    std::string out;
    for (const OptionRow& s : kOptions) {
        if (s.section != section) continue;
        std::string head = s.shortName ? std::string("  -") + s.shortName + ", " : "      ";
        head += Dashed(s);
        if (!s.value.empty()) {
            head += ' ';
            head += s.value;
        }
        if (head.size() + 1 > kHelpColumn) {
            out += head + '\n';
            head.clear();
        }
        head.resize(kHelpColumn, ' ');
        out += head + Wrapped(HelpText(s), kHelpColumn, kHelpWidth) + '\n';
    }
    return out;
}

std::string Paragraph(std::string_view text) {
    return Wrapped(text, 0, kHelpWidth) + '\n';
}

} // namespace

std::string UsageText() {
    std::string text = R"(Usage:
  velmorande-host [options] PLUGIN INPUT OUTPUT   render INPUT through the plug-in
  velmorande-host [options] PLUGIN --save FILE    only write the plug-in's state
  velmorande-host [options] PLUGIN --editor-png FILE   only picture the plug-in's editor
  velmorande-host [options] --editor PLUGIN [INPUT OUTPUT]   set a sound by hand in the
                           plug-in's editor, then --save it and/or render with it
  velmorande-host --info [--json] [options] PLUGIN   list parameters, programs, capabilities
  velmorande-host --demo DIR [options] PLUGIN     render the built-in demo phrase into DIR
  velmorande-host diff A B [--tolerance T] [--json]  compare two audio files
  velmorande-host validate [options] PLUGIN       test a plug-in against the VST 2.x
                           interface (velmorande-host validate --help)

)";
    text += Paragraph(
        "PLUGIN is a VST 2.x library (.so); a name without a directory is a file in the current "
        "directory. INPUT is a WAV, AIFF, FLAC, CAF or other file that libsndfile reads; \"-\" "
        "reads standard input, which is read to its end before the render when it cannot seek "
        "(a pipe). OUTPUT has as many channels as the plug-in has outputs.");
    text += '\n';
    text += Paragraph(
        "Every file the host writes (OUTPUT, --save, --editor-png, the --demo files) is written "
        "through a temporary file and takes its name only once the whole run has succeeded: a "
        "run that fails, or whose plug-in crashes, ends the process or is interrupted, leaves "
        "every file as it was and no temporary file behind. A replaced file keeps its mode, "
        "owner and group; a file with several hard links, or in a directory the user may not "
        "write, is written in place after the render; a file the user may not write is refused "
        "unless --force. A symbolic link has its target written; a device or a pipe (a FIFO) is "
        "written into and never replaced; \"-\" writes standard output, and the messages then "
        "go to standard error. Two names for one file among INPUT, OUTPUT, --save, "
        "--editor-png, --load, --automate and the plug-ins are refused when one of them is "
        "written. The plug-ins run in a process of their own, so that a crash is reported as "
        "one. Each option is given once (for each plug-in of a chain), except -P and --then.");
    text += "\nRendering:\n" + OptionLines(Section::Rendering);
    text += "\nPlug-in state (applied in this order: --load, --program, --param; --save comes "
            "last):\n" +
            OptionLines(Section::State);
    text += "\nOutput file:\n" + OptionLines(Section::Output);
    text += "  " +
            Wrapped("A WAV output that would pass 4 GiB is written as RF64. In integer "
                    "encodings overs are clipped, NaN is written as 0 and infinities as "
                    "full scale, each with a warning.",
                    2, kHelpWidth) +
            '\n';
    text += "\nOther:\n" + OptionLines(Section::Other);
    text += '\n';
    text += Paragraph("diff A B: frames, channels, the largest difference and where, the RMS of "
                      "the difference, the first frame that differs by more than the tolerance, "
                      "and the samples that are not numbers (NaN or infinite): the same at the "
                      "same place in both counts as equal.");
    text += OptionLines(Section::Diff);
    text += '\n';
    text += Paragraph("Exit status: 0 on success, 1 when the plug-in, a file, a value or writing "
                      "standard output fails (diff: the files differ beyond the tolerance), 2 "
                      "for a wrong command line, 130 when interrupted (no file is then "
                      "written).");
    return text;
}

Options ParseOptions(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "diff") return ParseDiff(args);
    Options o;
    Parsing p{o, args, {}, {}};
    Walk(p, 0, kMain);
    if (o.mode == Mode::Help || o.mode == Mode::Version) return o;

    if (o.editorScale && !o.editor && !o.editorPicture && o.mode != Mode::Demo)
        throw UsageError("--scale is for --editor, --editor-png or --demo");
    const auto& positional = p.positional;
    if (positional.empty()) throw UsageError("no plug-in given (see --help)");
    o.chain.front().path = positional[0];
    switch (o.mode) {
    case Mode::Info:
        if (positional.size() > 1) throw UsageError("--info takes only the plug-in");
        if (o.chain.size() > 1) throw UsageError("--info takes one plug-in, not a chain");
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
        } else if (!o.editorPicture && !o.editor &&
                   std::none_of(o.chain.begin(), o.chain.end(),
                                [](const PluginSetup& s) { return s.saveState.has_value(); })) {
            throw UsageError(
                "nothing to do: give INPUT and OUTPUT, --save, --editor-png, --info or --demo");
        }
    }
    return o;
}

} // namespace vhost
