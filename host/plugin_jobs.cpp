#include "host/plugin_jobs.h"

#include "host/audio_file.h"
#include "host/automation.h"
#include "host/command_errors.h"
#include "host/demo_phrase.h"
#include "host/editor_picture.h"
#include "host/editor_window.h"
#include "host/plugin_info.h"
#include "host/plugin_state.h"
#include "host/progress.h"
#include "host/render_summary.h"
#include "host/text_match.h"

#include <sndfile.h>

#include <cmath>

namespace vhost {
namespace {

// One run in the plug-in process: the command line, the files it writes and the report back
// to the host.
struct PluginRun {
    const Options& o;
    const RunOutputs& outputs;
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
            runEditorWindow(plugin, run.report.err(), o.editorScale);
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
        run.write(file, editorPictureAsPng(plugin, run.o.editorScale.value_or(1.0)));
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
    outcome.blockSize = o.blockSize;
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
        printSummaryJson(outcome, file.name(), out);
    } else if (!run.o.quiet) {
        printSummary(outcome, out);
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

} // namespace

int runPluginJob(const Options& options, const RunOutputs& outputs, JobReport& report,
                 bool progressAllowed) {
    PluginRun run{options, outputs, report, progressAllowed};
    return withExitCode(report.err(), [&] {
        switch (options.mode) {
        case Mode::Info:
            return infoJob(run);
        case Mode::Demo:
            return demoJob(run);
        default:
            return renderJob(run);
        }
    });
}

} // namespace vhost
