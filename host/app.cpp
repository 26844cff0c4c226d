#include "host/app.h"

#include "host/audio_diff.h"
#include "host/audio_file.h"
#include "host/automation.h"
#include "host/command_errors.h"
#include "host/demo_phrase.h"
#include "host/editor_picture.h"
#include "host/editor_window.h"
#include "host/file_claims.h"
#include "host/json.h"
#include "host/output_file.h"
#include "host/plugin_info.h"
#include "host/plugin_process.h"
#include "host/plugin_state.h"
#include "host/progress.h"
#include "host/terminal.h"
#include "host/text_match.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <sstream>

#ifndef VELMORANDE_HOST_VERSION_TEXT
#define VELMORANDE_HOST_VERSION_TEXT "1.1.0"
#endif

namespace vhost {
namespace {

namespace fs = std::filesystem;

// ---- What a render reports ----

std::string db(double value) {
    if (!std::isfinite(value)) return "-inf";
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << value;
    return s.str();
}

// What happened to the audio, beyond the levels: said as warnings and kept for --json.
struct RenderOutcome {
    RenderReport report;
    int format = 0;
    std::int64_t clipped = 0;
    std::int64_t nonFiniteReplaced = 0;
    bool inputCutShort = false; // INPUT holds less than its header announces
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
};

void printSummary(const RenderOutcome& outcome, const Options& o, std::ostream& out) {
    const RenderReport& r = outcome.report;
    out << std::fixed << std::setprecision(3);
    out << "rendered " << r.durationSeconds() << " s (" << r.outputFrames << " frames) at "
        << std::setprecision(0) << r.sampleRate << " Hz, " << counted(r.inputChannels, "channel")
        << " in, " << r.outputChannels << " out, block " << o.blockSize << ", "
        << processModeName(r.mode) << "\n";
    out << "input:  peak " << db(r.input.peakDb()) << " dBFS, RMS " << db(r.input.rmsDb())
        << " dBFS";
    if (r.input.nonFinite) out << ", " << counted(r.input.nonFinite, "non-finite sample");
    out << "\noutput: peak " << db(r.output.peakDb()) << " dBFS, RMS " << db(r.output.rmsDb())
        << " dBFS";
    if (r.output.nonFinite) out << ", " << counted(r.output.nonFinite, "non-finite sample");
    if (outcome.clipped) out << ", " << counted(outcome.clipped, "sample") << " clipped";
    out << '\n';
    out << std::setprecision(1) << "speed:  " << r.realTimeFactor() << "x real time ("
        << std::setprecision(3) << r.wallSeconds << " s)\n";
    out << std::defaultfloat;
}

void levelsJson(JsonWriter& j, const char* key, const SignalStats& s) {
    j.beginObject(key);
    j.value("peakDb", s.peakDb());
    j.value("rmsDb", s.rmsDb());
    j.value("nonFinite", static_cast<long long>(s.nonFinite));
}

void printSummaryJson(const RenderOutcome& outcome, const Options& o, const std::string& file,
                      std::ostream& out) {
    const RenderReport& r = outcome.report;
    JsonWriter j(out);
    j.beginObject();
    j.value("file", file);
    j.value("format", describeFormat(outcome.format));
    j.value("sampleRate", r.sampleRate);
    j.value("frames", static_cast<long long>(r.outputFrames));
    j.value("seconds", r.durationSeconds());
    j.value("inputChannels", r.inputChannels);
    j.value("outputChannels", r.outputChannels);
    j.value("blockSize", o.blockSize);
    j.value("callback", processModeName(r.mode));
    levelsJson(j, "input", r.input);
    j.value("frames", static_cast<long long>(r.inputFrames));
    j.value("truncated", outcome.inputCutShort);
    j.endObject();
    levelsJson(j, "output", r.output);
    j.value("clipped", static_cast<long long>(outcome.clipped));
    j.value("nonFiniteReplaced", static_cast<long long>(outcome.nonFiniteReplaced));
    j.endObject();
    j.value("realTimeFactor", r.realTimeFactor());
    j.value("wallSeconds", r.wallSeconds);
    j.beginArray("warnings");
    for (const std::string& w : outcome.warnings)
        j.value(nullptr, w);
    j.endArray();
    j.beginArray("notes");
    for (const std::string& n : outcome.notes)
        j.value(nullptr, n);
    j.endArray();
    j.endObject();
}

// Runs a command's body and turns what it throws into a message and an exit code.
int withExitCode(std::ostream& err, const std::function<int()>& body) {
    try {
        return body();
    } catch (const InterruptedError& e) {
        err << "\nvelmorande-host: " << e.what() << '\n';
        return 130;
    } catch (const UsageError& e) {
        err << "velmorande-host: " << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << "velmorande-host: " << e.what() << '\n';
        return 1;
    }
}

// ---- The files a run writes, planned before any plug-in runs ----

struct DemoFiles {
    fs::path input, output, picture;
    explicit DemoFiles(const std::string& dir)
        : input(fs::path(dir) / "demo-input.wav"), output(fs::path(dir) / "demo-output.wav"),
          picture(fs::path(dir) / "demo-editor.png") {}
};

class Outputs {
public:
    OutputFile* audio = nullptr;     // OUTPUT, or DIR/demo-output.wav
    OutputFile* demoInput = nullptr; // DIR/demo-input.wav
    OutputFile* picture = nullptr;   // --editor-png, or DIR/demo-editor.png
    bool pictureOptional = false;    // the demo's: most plug-ins draw none
    std::vector<OutputFile*> states; // --save, per plug-in of the chain; null: none

    OutputFile* add(const std::string& role, const std::string& name, bool force) {
        files_.push_back(std::make_unique<OutputFile>(role, name, force));
        return files_.back().get();
    }
    std::size_t indexOf(const OutputFile& file) const {
        for (std::size_t i = 0; i < files_.size(); ++i)
            if (files_[i].get() == &file) return i;
        return files_.size();
    }
    OutputFile& at(std::size_t index) const { return *files_.at(index); }
    bool onStandardOutput() const {
        return std::any_of(files_.begin(), files_.end(),
                           [](const auto& f) { return f->kind() == OutputKind::StandardOutput; });
    }
    // For a run that failed: what the user will find unchanged.
    std::string leftAsTheyWere() const {
        std::vector<std::string> roles;
        for (const auto& f : files_)
            if (std::find(roles.begin(), roles.end(), f->role()) == roles.end())
                roles.push_back(f->role());
        if (roles.empty()) return "nothing was written";
        std::string text;
        for (std::size_t i = 0; i < roles.size(); ++i)
            text += (i == 0 ? "" : i + 1 == roles.size() ? " and " : ", ") + roles[i];
        return text + (files_.size() == 1 ? " left as it was" : " left as they were");
    }

private:
    std::vector<std::unique_ptr<OutputFile>> files_;
};

bool drawsDemoPicture(const Options& o) {
    return o.mode == Mode::Demo && !o.editorPicture;
}

std::vector<FileClaim> claimsOf(const Options& o) {
    std::vector<FileClaim> claims;
    if (!o.input.empty()) claims.push_back({"INPUT", o.input, false});
    if (!o.output.empty()) claims.push_back({"OUTPUT", o.output, true});
    for (std::size_t k = 0; k < o.chain.size(); ++k) {
        const PluginSetup& s = o.chain[k];
        // The loader looks a bare name up in the current directory, as ./name.
        const fs::path library(s.path);
        claims.push_back({k == 0 ? "PLUGIN" : "--then",
                          library.has_parent_path() ? s.path : "./" + s.path, false});
        if (s.loadState) claims.push_back({"--load", *s.loadState, false});
        if (s.automation) claims.push_back({"--automate", *s.automation, false});
        if (s.saveState) claims.push_back({"--save", *s.saveState, true});
    }
    if (o.editorPicture) claims.push_back({"--editor-png", *o.editorPicture, true});
    if (o.mode == Mode::Demo) {
        const DemoFiles demo(o.demoDir);
        claims.push_back({"--demo", demo.input.string(), true});
        claims.push_back({"--demo", demo.output.string(), true});
        if (drawsDemoPicture(o)) claims.push_back({"--demo", demo.picture.string(), true});
    }
    return claims;
}

void planOutputs(const Options& o, Outputs& outputs) {
    if (!o.output.empty()) outputs.audio = outputs.add("OUTPUT", o.output, o.force);
    for (const PluginSetup& s : o.chain)
        outputs.states.push_back(s.saveState ? outputs.add("--save", *s.saveState, o.force)
                                             : nullptr);
    if (o.editorPicture) outputs.picture = outputs.add("--editor-png", *o.editorPicture, o.force);
    if (o.mode == Mode::Demo) {
        const DemoFiles demo(o.demoDir);
        outputs.demoInput = outputs.add("--demo", demo.input.string(), o.force);
        outputs.audio = outputs.add("--demo", demo.output.string(), o.force);
        if (drawsDemoPicture(o)) {
            outputs.picture = outputs.add("--demo", demo.picture.string(), o.force);
            outputs.pictureOptional = true;
        }
    }
}

// ---- What the plug-in process does ----

// One run in the plug-in process: the command line, the files it writes and the report back
// to the host.
struct PluginRun {
    const Options& o;
    const Outputs& outputs;
    JobReport& report;
    bool progressAllowed;

    // Step messages; out of standard output's way when it carries data.
    std::ostream& messages() {
        return outputs.onStandardOutput() || o.json ? report.err() : report.out();
    }
    // The summary, after the files are in place.
    std::ostream& summary() { return outputs.onStandardOutput() ? report.lateErr() : report.out(); }
    void write(const OutputFile& file, std::span<const std::uint8_t> bytes) {
        writeWholeFile(file.staging(), bytes, file.role() + " " + file.shownName());
        report.produced(outputs.indexOf(file));
    }
};

// The plug-ins of a run, loaded and set up. The host callback outlives them.
struct LoadedChain {
    explicit LoadedChain(JobReport& report) : report_(report) {}
    ~LoadedChain() {
        stages.clear();
        report_.phase("closing");
    }
    LoadedChain(const LoadedChain&) = delete;
    LoadedChain& operator=(const LoadedChain&) = delete;

    HostCallback host;
    std::vector<std::unique_ptr<PluginInstance>> plugins;
    std::vector<std::unique_ptr<Automation>> automations;
    std::vector<RenderStage> stages;
    PluginInstance& first() { return *plugins.front(); }

private:
    JobReport& report_;
};

// Load, program, parameters: the order the help text promises (--save comes after).
void applyState(PluginRun& run, PluginInstance& plugin, const PluginSetup& setup,
                bool defaultDemoProgram) {
    std::ostream& msg = run.messages();
    const bool quiet = run.o.quiet;
    if (setup.loadState) {
        std::vector<std::string> warnings;
        std::string kind = loadStateFile(plugin, *setup.loadState, warnings);
        for (const auto& w : warnings)
            run.report.err() << "warning: " << w << '\n';
        if (!quiet) msg << "loaded " << kind << " " << *setup.loadState << '\n';
    }
    std::optional<std::string> program = setup.program;
    if (!program && defaultDemoProgram && plugin.numPrograms() > 1) program = "1";
    if (program) {
        VstInt32 index = findProgram(plugin, *program);
        plugin.setProgram(index);
        if (!quiet)
            msg << "program " << index << ": " << trimmed(plugin.programNameAt(index)) << '\n';
    }
    for (const ParamAssignment& a : setup.params) {
        ParamOutcome r = applyParameter(plugin, a);
        if (!r.exact)
            run.report.err() << "warning: " << r.name << " shows " << r.display
                             << (r.label.empty() ? "" : " " + r.label) << " for the requested "
                             << a.value << '\n';
        if (!quiet)
            msg << "parameter " << r.index << " " << r.name << " = " << r.display
                << (r.label.empty() ? "" : " " + r.label) << " (normalised " << r.normalized
                << ")\n";
    }
}

void saveState(PluginRun& run, PluginInstance& plugin, const OutputFile& file) {
    run.report.phase("saving its state");
    const StateFile state = captureStateFile(plugin, file.name());
    run.write(file, state.bytes);
    if (!run.o.quiet) run.messages() << "saved " << state.kind << " " << file.shownName() << '\n';
}

// An instrument plays MIDI notes; this host sends none, so it could only render silence.
void refuseInstrument(PluginInstance& plugin, const std::string& path) {
    const bool noInputs = plugin.numInputs() == 0;
    if (!noInputs && !plugin.hasFlag(effFlagsIsSynth)) return;
    throw HostError(path + " is an instrument (" +
                    (noInputs ? "it has no audio inputs" : "it sets the synth flag") +
                    "): it plays MIDI notes, and velmorande-host has no MIDI input to send, so "
                    "it would render silence");
}

void loadChain(PluginRun& run, LoadedChain& chain, double sampleRate, bool rendering) {
    const Options& o = run.o;
    chain.host.setTempo(o.tempo);
    chain.host.setTimeSignature(o.timeSigNumerator, o.timeSigDenominator);
    chain.host.setSampleRate(sampleRate);
    chain.host.setBlockSize(o.blockSize);
    for (std::size_t k = 0; k < o.chain.size(); ++k) {
        const PluginSetup& setup = o.chain[k];
        run.report.phase("loading");
        chain.plugins.push_back(PluginInstance::load(setup.path, chain.host));
        PluginInstance& plugin = *chain.plugins.back();
        plugin.prepare(sampleRate, o.blockSize);
        if (rendering) refuseInstrument(plugin, setup.path);
        if (o.chain.size() > 1 && !o.quiet)
            run.messages() << "plug-in " << k + 1 << ": " << setup.path << '\n';
        run.report.phase("setting its state");
        applyState(run, plugin, setup, o.mode == Mode::Demo);
        if (o.editor && k == 0 && o.mode == Mode::Render) {
            // The state file is written with what the user set in the editor.
            run.report.phase("showing its editor");
            runEditorWindow(plugin, run.report.err());
        }
        if (const OutputFile* file = run.outputs.states[k]) saveState(run, plugin, *file);
        if (setup.automation) {
            run.report.phase("setting its state");
            chain.automations.push_back(std::make_unique<Automation>(
                loadAutomation(plugin, *setup.automation, sampleRate, o.tempo)));
        }
        chain.stages.push_back(
            {&plugin, setup.automation ? chain.automations.back().get() : nullptr});
    }
}

void drawPicture(PluginRun& run, PluginInstance& plugin) {
    const OutputFile& file = *run.outputs.picture;
    run.report.phase("drawing its editor");
    try {
        run.write(file, editorPictureAsPng(plugin));
    } catch (const HostError& e) {
        if (!run.outputs.pictureOptional) throw;
        if (!run.o.quiet) run.report.err() << "note: " << e.what() << '\n';
        return;
    }
    if (!run.o.quiet)
        run.messages() << (run.outputs.pictureOptional ? "demo editor: " : "editor picture: ")
                       << file.shownName() << '\n';
}

std::int64_t knownFrames(std::int64_t frames) {
    // Anything beyond 2^53 frames is no length a file really has.
    return frames >= 0 && frames < (std::int64_t{1} << 53) ? frames : -1;
}

// Where INPUT comes from, with what its reader found out about it.
struct Input {
    AudioSource* source = nullptr;
    int format = 0;
    bool cutShort = false;
    std::string unreadBytes;
};

RenderOutcome renderInto(PluginRun& run, LoadedChain& chain, const Input& input, double sampleRate,
                         double tail, const std::string& container) {
    const Options& o = run.o;
    const OutputFile& file = *run.outputs.audio;
    RenderOutcome outcome;
    const int outputs = chain.stages.back().plugin->numOutputs();
    const int rate = static_cast<int>(std::lround(sampleRate));
    int format =
        chooseOutputFormat(container, o.encoding, file.name(), input.format, outputs, rate);
    const int named = file.kind() == OutputKind::StandardOutput ? 0 : containerOfName(file.name());
    if (!o.format.empty() && named && named != (format & SF_FORMAT_TYPEMASK))
        outcome.warnings.push_back(
            file.role() + " " + file.name() + " is named like a " +
            describeFormat(named).substr(0, describeFormat(named).find(',')) +
            " file, but --format " + o.format + " writes " + describeFormat(format));
    const std::int64_t sourceFrames = knownFrames(input.source->frames());
    if (sourceFrames >= 0) {
        std::string note;
        format =
            fitContainer(format, outputs, sourceFrames + std::llround(tail * sampleRate), note);
        if (!note.empty()) outcome.notes.push_back(note);
    }
    outcome.format = format;
    AudioFileWriter writer(file.staging(), format, outputs, rate,
                           file.role() + " " + file.shownName());
    RenderSettings settings;
    settings.sampleRate = sampleRate;
    settings.blockSize = o.blockSize;
    settings.precision = o.precision;
    settings.tempo = o.tempo;
    settings.tailSeconds = tail;
    settings.channels = o.channels;
    ProgressBar bar(run.report.err(), run.progressAllowed && !o.quiet);
    run.report.phase("rendering");
    outcome.report =
        render(chain.stages, *input.source, writer, settings, [&bar](double f) { bar.update(f); });
    bar.finish();
    writer.finish();
    run.report.produced(run.outputs.indexOf(file));

    const RenderReport& r = outcome.report;
    outcome.clipped = writer.clipped();
    outcome.nonFiniteReplaced = writer.nonFiniteReplaced();
    outcome.inputCutShort = input.cutShort || r.inputTruncated();
    for (const std::string& n : r.channelNotes)
        (r.channelsDropped && o.channels.empty() ? outcome.warnings : outcome.notes).push_back(n);
    if (input.cutShort)
        outcome.warnings.push_back("INPUT's header announces more audio than the file holds: "
                                   "it is cut short");
    else if (r.inputTruncated())
        outcome.warnings.push_back("INPUT ended after " + std::to_string(r.inputFrames) + " of " +
                                   std::to_string(r.expectedInputFrames) +
                                   " frames: the file is cut short");
    if (!input.unreadBytes.empty()) outcome.warnings.push_back(input.unreadBytes);
    if (r.input.nonFinite)
        outcome.warnings.push_back("INPUT holds " + counted(r.input.nonFinite, "sample") +
                                   " that are not finite numbers (NaN or infinite)");
    if (r.output.nonFinite)
        outcome.warnings.push_back("the plug-in produced " + counted(r.output.nonFinite, "sample") +
                                   " that are not finite numbers");
    if (outcome.nonFiniteReplaced)
        outcome.warnings.push_back(counted(outcome.nonFiniteReplaced, "non-finite sample") +
                                   " written as 0 (NaN) or full scale (infinity): " +
                                   describeFormat(format) + " cannot hold them");
    if (outcome.clipped)
        outcome.warnings.push_back(counted(outcome.clipped, "sample") +
                                   " beyond full scale clipped in " + describeFormat(format) +
                                   " (--float keeps them)");
    return outcome;
}

void report(PluginRun& run, const RenderOutcome& outcome, const std::string& demoInput) {
    // Notes say what happened to the audio (channels mixed, RF64): not silenced by --quiet.
    for (const std::string& n : outcome.notes)
        run.report.err() << "note: " << n << '\n';
    for (const std::string& w : outcome.warnings)
        run.report.err() << "warning: " << w << '\n';
    const OutputFile& file = *run.outputs.audio;
    std::ostream& out = run.summary();
    if (run.o.json) {
        printSummaryJson(outcome, run.o, file.name(), out);
    } else if (!run.o.quiet) {
        printSummary(outcome, run.o, out);
        if (!demoInput.empty()) out << "demo input:  " << demoInput << '\n';
        out << (demoInput.empty() ? "wrote " : "demo output: ") << file.shownName() << '\n';
    }
}

// --info: what the plug-in is.
int infoJob(PluginRun& run) {
    LoadedChain chain(run.report);
    loadChain(run, chain, run.o.sampleRate.value_or(44100.0), false);
    run.report.phase("listing what it is");
    if (run.o.json)
        printPluginInfoJson(chain.first(), run.report.out());
    else
        printPluginInfo(chain.first(), run.report.out());
    return 0;
}

// PLUGIN [INPUT OUTPUT]: state files, a picture and a render, each when asked for.
int renderJob(PluginRun& run) {
    const Options& o = run.o;
    std::unique_ptr<AudioFileReader> reader;
    double sampleRate = o.sampleRate.value_or(44100.0);
    if (!o.input.empty()) {
        reader = std::make_unique<AudioFileReader>(o.input);
        if (!o.sampleRate) {
            sampleRate = reader->sampleRate();
            if (sampleRate < kMinSampleRate || sampleRate > kMaxSampleRate)
                throw HostError("INPUT is at " + shortNumber(sampleRate) + " Hz, outside " +
                                shortNumber(kMinSampleRate) + "-" + shortNumber(kMaxSampleRate) +
                                " Hz where plug-ins are made to run: give --rate to render it "
                                "at another rate");
        }
    }
    LoadedChain chain(run.report);
    loadChain(run, chain, sampleRate, reader != nullptr);
    if (run.outputs.picture) drawPicture(run, chain.first());
    if (!reader) return 0;
    const Input input{reader.get(), reader->format(), reader->cutShort(), reader->unreadBytes()};
    const RenderOutcome outcome =
        renderInto(run, chain, input, sampleRate, o.tailSeconds.value_or(0.0), o.format);
    report(run, outcome, {});
    return 0;
}

// --demo DIR: the built-in phrase, rendered.
int demoJob(PluginRun& run) {
    const Options& o = run.o;
    DemoPhrase phrase = synthesizeDemoPhrase();
    const OutputFile& inputFile = *run.outputs.demoInput;
    const int inputFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    AudioFileWriter writer(inputFile.staging(), inputFormat, phrase.channels, phrase.sampleRate,
                           inputFile.name());
    writer.write(phrase.samples.data(),
                 static_cast<std::int64_t>(phrase.samples.size()) / phrase.channels);
    writer.finish();
    run.report.produced(run.outputs.indexOf(inputFile));
    const double sampleRate = phrase.sampleRate;
    MemorySource source(std::move(phrase.samples), phrase.channels, sampleRate);

    LoadedChain chain(run.report);
    loadChain(run, chain, sampleRate, true);
    if (run.outputs.picture) drawPicture(run, chain.first());
    const Input input{&source, inputFormat, false, {}};
    const RenderOutcome outcome =
        renderInto(run, chain, input, sampleRate, o.tailSeconds.value_or(kDefaultDemoTail),
                   o.format.empty() ? "wav" : o.format);
    report(run, outcome, inputFile.name());
    return 0;
}

// ---- The modes, in the host process ----

int showHelp(std::ostream& out) {
    out << usageText();
    return 0;
}

int showVersion(std::ostream& out) {
    out << "velmorande-host " << VELMORANDE_HOST_VERSION_TEXT << " (libsndfile "
        << sf_version_string() << ")\n";
    return 0;
}

int runDiff(const Options& o, std::ostream& out) {
    AudioDiff d = diffAudioFiles(o.diffA, o.diffB, o.tolerance);
    if (o.json)
        printDiffJson(d, o.tolerance, out);
    else if (!o.quiet)
        printDiff(d, o.tolerance, out);
    return d.within(o.tolerance) ? 0 : 1;
}

// --info, --demo and renders: the files are checked and planned here, the plug-ins run in a
// process of their own, and what it made is put in place once it has succeeded.
int runPlugins(const Options& o, std::ostream& out, std::ostream& err, bool progressAllowed) {
    if (o.mode == Mode::Demo) {
        std::error_code ec;
        fs::create_directories(o.demoDir, ec);
        if (!fs::is_directory(o.demoDir))
            throw HostError("cannot create the directory " + o.demoDir +
                            (ec ? ": " + ec.message() : ""));
    }
    checkDistinctFiles(claimsOf(o));
    Outputs outputs;
    planOutputs(o, outputs);
    if (o.mode == Mode::Info && outputs.onStandardOutput())
        throw UsageError("--info writes standard output: no file may be \"-\"");

    const JobResult result = runPluginProcess(
        [&](JobReport& report) {
            PluginRun run{o, outputs, report, progressAllowed};
            return withExitCode(report.err(), [&] {
                switch (o.mode) {
                case Mode::Info:
                    return infoJob(run);
                case Mode::Demo:
                    return demoJob(run);
                default:
                    return renderJob(run);
                }
            });
        },
        err);
    if (result.interrupted) throw InterruptedError();
    if (!result.failure.empty())
        throw HostError("the plug-in " + result.failure + " while " +
                        (result.phase.empty() ? "starting" : result.phase) + "; " +
                        outputs.leftAsTheyWere());
    if (result.exitCode != 0) return result.exitCode;
    for (std::size_t index : result.produced)
        outputs.at(index).commit(out);
    out << result.out;
    err << result.lateErr;
    return 0;
}

} // namespace

int runHost(const Options& options, std::ostream& out, std::ostream& err, bool progressAllowed) {
    return withExitCode(err, [&] {
        switch (options.mode) {
        case Mode::Help:
            return showHelp(out);
        case Mode::Version:
            return showVersion(out);
        case Mode::Diff:
            return runDiff(options, out);
        case Mode::Info:
        case Mode::Demo:
        case Mode::Render:
            break;
        }
        return runPlugins(options, out, err, progressAllowed);
    });
}

} // namespace vhost
