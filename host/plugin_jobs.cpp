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
    std::ostream& Messages() {
        return outputs.OnStandardOutput() || o.json ? report.Err() : report.Out();
    }
    // The summary, after the files are in place.
    std::ostream& Summary() { return outputs.OnStandardOutput() ? report.LateErr() : report.Out(); }
    void Write(const OutputFile& file, std::span<const std::uint8_t> bytes) {
        WriteWholeFile(file.Staging(), bytes, file.Role() + " " + file.ShownName());
        report.Produced(outputs.IndexOf(file));
    }
};

// The plug-ins of a run, loaded and set up. The host callback outlives them.
struct LoadedChain {
    explicit LoadedChain(JobReport& report) : report_(report) {}
    ~LoadedChain() {
        stages.clear();
        report_.Phase("closing");
    }
    LoadedChain(const LoadedChain&) = delete;
    LoadedChain& operator=(const LoadedChain&) = delete;

    HostCallback host;
    std::vector<std::unique_ptr<PluginInstance>> plugins;
    std::vector<std::unique_ptr<Automation>> automations;
    std::vector<RenderStage> stages;
    PluginInstance& First() { return *plugins.front(); }

private:
    JobReport& report_;
};

// Load, program, parameters: the order the help text promises (--save comes after).
void ApplyState(PluginRun& run, PluginInstance& plugin, const PluginSetup& setup,
                bool defaultDemoProgram) {
    std::ostream& msg = run.Messages();
    const bool quiet = run.o.quiet;
    if (setup.loadState) {
        std::vector<std::string> warnings;
        std::string kind = LoadStateFile(plugin, *setup.loadState, warnings);
        for (const auto& w : warnings)
            run.report.Err() << "warning: " << w << '\n';
        if (!quiet) msg << "loaded " << kind << " " << *setup.loadState << '\n';
    }
    std::optional<std::string> program = setup.program;
    if (!program && defaultDemoProgram && plugin.NumPrograms() > 1) program = "1";
    if (program) {
        VstInt32 index = FindProgram(plugin, *program);
        plugin.SetProgram(index);
        if (!quiet)
            msg << "program " << index << ": " << Trimmed(plugin.ProgramNameAt(index)) << '\n';
    }
    for (const ParamAssignment& a : setup.params) {
        ParamOutcome r = ApplyParameter(plugin, a);
        if (!r.exact)
            run.report.Err() << "warning: " << r.name << " shows " << r.display
                             << (r.label.empty() ? "" : " " + r.label) << " for the requested "
                             << a.value << '\n';
        if (!quiet)
            msg << "parameter " << r.index << " " << r.name << " = " << r.display
                << (r.label.empty() ? "" : " " + r.label) << " (normalised " << r.normalized
                << ")\n";
    }
}

void SaveState(PluginRun& run, PluginInstance& plugin, const OutputFile& file) {
    run.report.Phase("saving its state");
    const StateFile state = CaptureStateFile(plugin, file.Name());
    run.Write(file, state.bytes);
    if (!run.o.quiet) run.Messages() << "saved " << state.kind << " " << file.ShownName() << '\n';
}

// An instrument plays MIDI notes; this host sends none, so it could only render silence.
void RefuseInstrument(PluginInstance& plugin, const std::string& path) {
    const bool noInputs = plugin.NumInputs() == 0;
    if (!noInputs && !plugin.HasFlag(effFlagsIsSynth)) return;
    throw HostError(path + " is an instrument (" +
                    (noInputs ? "it has no audio inputs" : "it sets the synth flag") +
                    "): it plays MIDI notes, and velmorande-host has no MIDI input to send, so "
                    "it would render silence");
}

void LoadChain(PluginRun& run, LoadedChain& chain, double sampleRate, bool rendering) {
    const Options& o = run.o;
    chain.host.SetTempo(o.tempo);
    chain.host.SetTimeSignature(o.timeSigNumerator, o.timeSigDenominator);
    chain.host.SetSampleRate(sampleRate);
    chain.host.SetBlockSize(o.blockSize);
    for (std::size_t k = 0; k < o.chain.size(); ++k) {
        const PluginSetup& setup = o.chain[k];
        run.report.Phase("loading");
        chain.plugins.push_back(PluginInstance::Load(setup.path, chain.host));
        PluginInstance& plugin = *chain.plugins.back();
        plugin.Prepare(sampleRate, o.blockSize);
        if (rendering) RefuseInstrument(plugin, setup.path);
        if (o.chain.size() > 1 && !o.quiet)
            run.Messages() << "plug-in " << k + 1 << ": " << setup.path << '\n';
        run.report.Phase("setting its state");
        ApplyState(run, plugin, setup, o.mode == Mode::Demo);
        if (o.editor && k == 0 && o.mode == Mode::Render) {
            // The state file is written with what the user set in the editor.
            run.report.Phase("showing its editor");
            RunEditorWindow(plugin, run.report.Err(), o.editorScale);
        }
        if (const OutputFile* file = run.outputs.states[k]) SaveState(run, plugin, *file);
        if (setup.automation) {
            run.report.Phase("setting its state");
            chain.automations.push_back(std::make_unique<Automation>(
                LoadAutomation(plugin, *setup.automation, sampleRate, o.tempo)));
        }
        chain.stages.push_back(
            {&plugin, setup.automation ? chain.automations.back().get() : nullptr});
    }
}

void DrawPicture(PluginRun& run, PluginInstance& plugin) {
    const OutputFile& file = *run.outputs.picture;
    run.report.Phase("drawing its editor");
    try {
        run.Write(file, EditorPictureAsPng(plugin, run.o.editorScale.value_or(1.0)));
    } catch (const HostError& e) {
        if (!run.outputs.pictureOptional) throw;
        if (!run.o.quiet) run.report.Err() << "note: " << e.what() << '\n';
        return;
    }
    if (!run.o.quiet)
        run.Messages() << (run.outputs.pictureOptional ? "demo editor: " : "editor picture: ")
                       << file.ShownName() << '\n';
}

std::int64_t KnownFrames(std::int64_t frames) {
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

RenderOutcome RenderInto(PluginRun& run, LoadedChain& chain, const Input& input, double sampleRate,
                         double tail, const std::string& container) {
    const Options& o = run.o;
    const OutputFile& file = *run.outputs.audio;
    RenderOutcome outcome;
    const int outputs = chain.stages.back().plugin->NumOutputs();
    const int rate = static_cast<int>(std::lround(sampleRate));
    int format =
        ChooseOutputFormat(container, o.encoding, file.Name(), input.format, outputs, rate);
    const int named = file.Kind() == OutputKind::StandardOutput ? 0 : ContainerOfName(file.Name());
    if (!o.format.empty() && named && named != (format & SF_FORMAT_TYPEMASK))
        outcome.warnings.push_back(
            file.Role() + " " + file.Name() + " is named like a " +
            DescribeFormat(named).substr(0, DescribeFormat(named).find(',')) +
            " file, but --format " + o.format + " writes " + DescribeFormat(format));
    const std::int64_t sourceFrames = KnownFrames(input.source->Frames());
    if (sourceFrames >= 0) {
        std::string note;
        format =
            FitContainer(format, outputs, sourceFrames + std::llround(tail * sampleRate), note);
        if (!note.empty()) outcome.notes.push_back(note);
    }
    outcome.format = format;
    outcome.blockSize = o.blockSize;
    AudioFileWriter writer(file.Staging(), format, outputs, rate,
                           file.Role() + " " + file.ShownName());
    RenderSettings settings;
    settings.sampleRate = sampleRate;
    settings.blockSize = o.blockSize;
    settings.precision = o.precision;
    settings.tempo = o.tempo;
    settings.tailSeconds = tail;
    settings.channels = o.channels;
    ProgressBar bar(run.report.Err(), run.progressAllowed && !o.quiet);
    run.report.Phase("rendering");
    outcome.report =
        Render(chain.stages, *input.source, writer, settings, [&bar](double f) { bar.Update(f); });
    bar.Finish();
    writer.Finish();
    run.report.Produced(run.outputs.IndexOf(file));

    const RenderReport& r = outcome.report;
    outcome.clipped = writer.Clipped();
    outcome.nonFiniteReplaced = writer.NonFiniteReplaced();
    outcome.inputCutShort = input.cutShort || r.InputTruncated();
    for (const std::string& n : r.channelNotes)
        (r.channelsDropped && o.channels.empty() ? outcome.warnings : outcome.notes).push_back(n);
    if (input.cutShort)
        outcome.warnings.push_back("INPUT's header announces more audio than the file holds: "
                                   "it is cut short");
    else if (r.InputTruncated())
        outcome.warnings.push_back("INPUT ended after " + std::to_string(r.inputFrames) + " of " +
                                   std::to_string(r.expectedInputFrames) +
                                   " frames: the file is cut short");
    if (!input.unreadBytes.empty()) outcome.warnings.push_back(input.unreadBytes);
    if (r.input.nonFinite)
        outcome.warnings.push_back("INPUT holds " + Counted(r.input.nonFinite, "sample") +
                                   " that are not finite numbers (NaN or infinite)");
    if (r.output.nonFinite)
        outcome.warnings.push_back("the plug-in produced " + Counted(r.output.nonFinite, "sample") +
                                   " that are not finite numbers");
    if (outcome.nonFiniteReplaced)
        outcome.warnings.push_back(Counted(outcome.nonFiniteReplaced, "non-finite sample") +
                                   " written as 0 (NaN) or full scale (infinity): " +
                                   DescribeFormat(format) + " cannot hold them");
    if (outcome.clipped)
        outcome.warnings.push_back(Counted(outcome.clipped, "sample") +
                                   " beyond full scale clipped in " + DescribeFormat(format) +
                                   " (--float keeps them)");
    return outcome;
}

void Report(PluginRun& run, const RenderOutcome& outcome, const std::string& demoInput) {
    // Notes say what happened to the audio (channels mixed, RF64): not silenced by --quiet.
    for (const std::string& n : outcome.notes)
        run.report.Err() << "note: " << n << '\n';
    for (const std::string& w : outcome.warnings)
        run.report.Err() << "warning: " << w << '\n';
    const OutputFile& file = *run.outputs.audio;
    std::ostream& out = run.Summary();
    if (run.o.json) {
        PrintSummaryJson(outcome, file.Name(), out);
    } else if (!run.o.quiet) {
        PrintSummary(outcome, out);
        if (!demoInput.empty()) out << "demo input:  " << demoInput << '\n';
        out << (demoInput.empty() ? "wrote " : "demo output: ") << file.ShownName() << '\n';
    }
}

// --info: what the plug-in is.
int InfoJob(PluginRun& run) {
    LoadedChain chain(run.report);
    LoadChain(run, chain, run.o.sampleRate.value_or(44100.0), false);
    run.report.Phase("listing what it is");
    if (run.o.json)
        PrintPluginInfoJson(chain.First(), run.report.Out());
    else
        PrintPluginInfo(chain.First(), run.report.Out());
    return 0;
}

// PLUGIN [INPUT OUTPUT]: state files, a picture and a render, each when asked for.
int RenderJob(PluginRun& run) {
    const Options& o = run.o;
    std::unique_ptr<AudioFileReader> reader;
    double sampleRate = o.sampleRate.value_or(44100.0);
    if (!o.input.empty()) {
        reader = std::make_unique<AudioFileReader>(o.input);
        if (!o.sampleRate) {
            sampleRate = reader->SampleRate();
            if (sampleRate < kMinSampleRate || sampleRate > kMaxSampleRate)
                throw HostError("INPUT is at " + ShortNumber(sampleRate) + " Hz, outside " +
                                ShortNumber(kMinSampleRate) + "-" + ShortNumber(kMaxSampleRate) +
                                " Hz where plug-ins are made to run: give --rate to render it "
                                "at another rate");
        }
    }
    LoadedChain chain(run.report);
    LoadChain(run, chain, sampleRate, reader != nullptr);
    if (run.outputs.picture) DrawPicture(run, chain.First());
    if (!reader) return 0;
    const Input input{reader.get(), reader->Format(), reader->CutShort(), reader->UnreadBytes()};
    const RenderOutcome outcome =
        RenderInto(run, chain, input, sampleRate, o.tailSeconds.value_or(0.0), o.format);
    Report(run, outcome, {});
    return 0;
}

// --demo DIR: the built-in phrase, rendered.
int DemoJob(PluginRun& run) {
    const Options& o = run.o;
    DemoPhrase phrase = SynthesizeDemoPhrase();
    const OutputFile& inputFile = *run.outputs.demoInput;
    const int inputFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    AudioFileWriter writer(inputFile.Staging(), inputFormat, phrase.channels, phrase.sampleRate,
                           inputFile.Name());
    writer.Write(phrase.samples.data(),
                 static_cast<std::int64_t>(phrase.samples.size()) / phrase.channels);
    writer.Finish();
    run.report.Produced(run.outputs.IndexOf(inputFile));
    const double sampleRate = phrase.sampleRate;
    MemorySource source(std::move(phrase.samples), phrase.channels, sampleRate);

    LoadedChain chain(run.report);
    LoadChain(run, chain, sampleRate, true);
    if (run.outputs.picture) DrawPicture(run, chain.First());
    const Input input{&source, inputFormat, false, {}};
    const RenderOutcome outcome =
        RenderInto(run, chain, input, sampleRate, o.tailSeconds.value_or(kDefaultDemoTail),
                   o.format.empty() ? "wav" : o.format);
    Report(run, outcome, inputFile.Name());
    return 0;
}

} // namespace

int RunPluginJob(const Options& options, const RunOutputs& outputs, JobReport& report,
                 bool progressAllowed) {
    PluginRun run{options, outputs, report, progressAllowed};
    return WithExitCode(report.Err(), [&] {
        switch (options.mode) {
        case Mode::Info:
            return InfoJob(run);
        case Mode::Demo:
            return DemoJob(run);
        default:
            return RenderJob(run);
        }
    });
}

} // namespace vhost
