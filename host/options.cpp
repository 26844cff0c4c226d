#include "options.h"

#include "host_error.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace vhost {
namespace {

double number(const std::string& option, const std::string& text, double min, double max) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v))
        throw UsageError(option + " needs a number, got '" + text + "'");
    if (v < min || v > max)
        throw UsageError(option + " must be between " + std::to_string(min) + " and " +
                         std::to_string(max) + ", got " + text);
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

} // namespace

std::string usageText() {
    return R"(Usage:
  velmorande-host [options] PLUGIN INPUT OUTPUT   render INPUT through the plug-in
  velmorande-host [options] PLUGIN --save FILE    only write the plug-in's state
  velmorande-host [options] PLUGIN --editor-png FILE   only picture the plug-in's editor
  velmorande-host [options] --editor PLUGIN [INPUT OUTPUT]   set a sound by hand in the
                           plug-in's editor, then --save it and/or render with it
  velmorande-host --info [options] PLUGIN         list parameters, programs, capabilities
  velmorande-host --demo DIR [options] PLUGIN     render the built-in demo phrase into DIR

PLUGIN is a VST 2.x library (.so). INPUT is a WAV, AIFF, FLAC, CAF or other file that
libsndfile reads; OUTPUT is written through a temporary file, so a failed run leaves no
partial file behind. A mono INPUT feeds every plug-in input; OUTPUT has as many channels as
the plug-in has outputs.

Rendering:
  -t, --tempo BPM          host tempo told to the plug-in (default 120, 4/4 time)
  -r, --rate HZ            sample rate told to the plug-in and written to OUTPUT
                           (default: INPUT's; audio is not resampled)
  -b, --block-size N       frames per processing call (default 512)
      --precision P        single (default) or double; single uses processReplacing,
                           or the accumulating process for plug-ins without it
      --tail SECONDS       silence appended to INPUT so echoes ring out
                           (default 0; 2 for --demo)

Plug-in state (applied in this order: --load, --program, --param; --save comes last):
  -p, --program N|NAME     select a program by number (from 0) or by name
  -P, --param NAME=VALUE   set a parameter; NAME is its name (any case) or its index,
                           VALUE a plain value as the plug-in displays it ("40", "1/8",
                           "Yes"), or a normalised value 0..1 with a trailing n ("0.4n");
                           may be repeated
      --load FILE          load a .fxp program or .fxb bank file
      --save FILE          save the state: a bank for FILE ending .fxb, else a program
      --editor             open the plug-in's editor in a window after the state above;
                           --save and rendering use the state it is closed with
      --editor-png FILE    write a picture of the plug-in's editor as it opens, for the
                           state above (plug-ins that draw one on request; --demo writes
                           DIR/demo-editor.png)

Output file:
      --format F           wav, aiff, flac, caf or w64 (default: from OUTPUT's extension,
                           else INPUT's format)
      --encoding E         pcm16, pcm24, pcm32, float or double (default: INPUT's)
      --float              the same as --encoding float

Other:
  -i, --info               print the plug-in's identity, programs, parameters, capabilities
      --demo DIR           write DIR/demo-input.wav (a synthesised 4 s phrase) and render
                           it into DIR/demo-output.wav (program 1 unless -p is given)
  -q, --quiet              no summary and no progress bar
  -h, --help               this text
      --version            the host's version

Exit status: 0 on success, 1 when the plug-in, a file or a value fails, 2 for a wrong
command line, 130 when interrupted (the output is then not written).
)";
}

Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    std::vector<std::string> positional;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string inlineValue;
        bool hasInline = false;
        if (arg.rfind("--", 0) == 0) {
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
            o.program = value();
            if (o.program->empty()) throw UsageError("--program needs a number or a name");
        } else if (arg == "-P" || arg == "--param") {
            o.params.push_back(parseParamAssignment(value()));
        } else if (arg == "--load") {
            o.loadState = value();
        } else if (arg == "--save") {
            o.saveState = value();
        } else if (arg == "--editor") {
            flag();
            o.editor = true;
        } else if (arg == "--editor-png") {
            o.editorPicture = value();
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

    if (positional.empty()) throw UsageError("no plug-in given (see --help)");
    o.plugin = positional[0];
    switch (o.mode) {
    case Mode::Info:
        if (positional.size() > 1) throw UsageError("--info takes only the plug-in");
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
            if (o.input == o.output) throw UsageError("INPUT and OUTPUT are the same file");
        } else if (!o.saveState && !o.editorPicture && !o.editor) {
            throw UsageError(
                "nothing to do: give INPUT and OUTPUT, --save, --editor-png, --info or --demo");
        }
    }
    return o;
}

} // namespace vhost
