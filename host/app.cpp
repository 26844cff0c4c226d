#include "app.h"

#include "audio_diff.h"
#include "audio_file.h"
#include "automation.h"
#include "demo_phrase.h"
#include "editor_picture.h"
#include "editor_window.h"
#include "host_error.h"
#include "json.h"
#include "output_target.h"
#include "plugin_info.h"
#include "plugin_state.h"
#include "progress.h"
#include "terminal.h"
#include "text_match.h"

#include "product/version.h"

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <iomanip>
#include <sstream>

namespace vhost {
namespace {

std::string db(double value) {
    if (!std::isfinite(value)) return "-inf";
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << value;
    return s.str();
}

std::string count(std::int64_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// What happened to the audio, beyond the levels: said as warnings and kept for --json.
struct RenderOutcome {
    RenderReport report;
    int format = 0;
    std::int64_t clipped = 0;
    std::int64_t nonFiniteReplaced = 0;
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
};

void printSummary(const RenderOutcome& outcome, const Options& o, std::ostream& out) {
    const RenderReport& r = outcome.report;
    out << std::fixed << std::setprecision(3);
    out << "rendered " << r.durationSeconds() << " s (" << r.outputFrames << " frames) at "
        << std::setprecision(0) << r.sampleRate << " Hz, " << r.inputChannels << " channel"
        << (r.inputChannels == 1 ? "" : "s") << " in, " << r.outputChannels << " out, block "
        << o.blockSize << ", " << processModeName(r.mode) << "\n";
    out << "input:  peak " << db(r.input.peakDb()) << " dBFS, RMS " << db(r.input.rmsDb())
        << " dBFS";
    if (r.input.nonFinite) out << ", " << count(r.input.nonFinite, "non-finite sample");
    out << "\noutput: peak " << db(r.output.peakDb()) << " dBFS, RMS " << db(r.output.rmsDb())
        << " dBFS";
    if (r.output.nonFinite) out << ", " << count(r.output.nonFinite, "non-finite sample");
    if (outcome.clipped) out << ", " << count(outcome.clipped, "sample") << " clipped";
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

void printSummaryJson(const RenderOutcome& outcome, const Options& o, std::ostream& out) {
    const RenderReport& r = outcome.report;
    JsonWriter j(out);
    j.beginObject();
    j.value("file", o.output);
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
    j.value("truncated", r.inputTruncated());
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

// Load, program, parameters, then save: the order the help text promises.
void applyState(PluginInstance& plugin, const PluginSetup& setup, std::ostream& out,
                std::ostream& err, bool quiet, bool defaultDemoProgram) {
    if (setup.loadState) {
        std::vector<std::string> warnings;
        std::string kind = loadStateFile(plugin, *setup.loadState, warnings);
        for (const auto& w : warnings)
            err << "warning: " << w << '\n';
        if (!quiet) out << "loaded " << kind << " " << *setup.loadState << '\n';
    }
    std::optional<std::string> program = setup.program;
    if (!program && defaultDemoProgram && plugin.numPrograms() > 1) program = "1";
    if (program) {
        VstInt32 index = findProgram(plugin, *program);
        plugin.setProgram(index);
        if (!quiet)
            out << "program " << index << ": " << trimmed(plugin.programNameAt(index)) << '\n';
    }
    for (const ParamAssignment& a : setup.params) {
        ParamOutcome r = applyParameter(plugin, a);
        if (!r.exact)
            err << "warning: " << r.name << " shows " << r.display
                << (r.label.empty() ? "" : " " + r.label) << " for the requested " << a.value
                << '\n';
        if (!quiet)
            out << "parameter " << r.index << " " << r.name << " = " << r.display
                << (r.label.empty() ? "" : " " + r.label) << " (normalised " << r.normalized
                << ")\n";
    }
    if (setup.saveState) {
        std::string kind = saveStateFile(plugin, *setup.saveState);
        if (!quiet) out << "saved " << kind << " " << *setup.saveState << '\n';
    }
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

// Every name a render writes must lead to a file of its own, and none to INPUT.
void checkFilesDistinct(const Options& o, const std::vector<PluginSetup>& setups) {
    if (!o.input.empty() && !o.output.empty() && sameFile(o.input, o.output))
        throw HostError("INPUT and OUTPUT are the same file: " + o.output);
    for (const PluginSetup& s : setups) {
        if (!s.saveState) continue;
        if (!o.input.empty() && sameFile(*s.saveState, o.input))
            throw HostError("--save " + *s.saveState + " is INPUT");
        if (!o.output.empty() && (*s.saveState == o.output || sameFile(*s.saveState, o.output)))
            throw HostError("--save " + *s.saveState + " is OUTPUT");
    }
}

std::int64_t knownFrames(std::int64_t frames) {
    // Pipes announce an enormous length: treat anything beyond 2^53 as unknown.
    return frames >= 0 && frames < (std::int64_t{1} << 53) ? frames : -1;
}

RenderOutcome renderToFile(const std::vector<RenderStage>& chain, AudioSource& source,
                           int inputFormat, bool cutShort, const Options& o, double sampleRate,
                           double tail, std::ostream& err, bool progressAllowed) {
    RenderOutcome outcome;
    const int outputs = chain.back().plugin->numOutputs();
    const int rate = static_cast<int>(std::lround(sampleRate));
    int format = chooseOutputFormat(o.format, o.encoding, o.output, inputFormat, outputs, rate);
    const std::int64_t sourceFrames = knownFrames(source.frames());
    if (sourceFrames >= 0) {
        std::string note;
        format =
            fitContainer(format, outputs, sourceFrames + std::llround(tail * sampleRate), note);
        if (!note.empty()) outcome.notes.push_back(note);
    }
    outcome.format = format;
    AudioFileWriter writer(o.output, format, outputs, rate);
    RenderSettings settings;
    settings.sampleRate = sampleRate;
    settings.blockSize = o.blockSize;
    settings.precision = o.precision;
    settings.tempo = o.tempo;
    settings.tailSeconds = tail;
    settings.channels = o.channels;
    ProgressBar bar(err,
                    progressAllowed && !o.quiet && writer.kind() != OutputKind::StandardOutput);
    outcome.report = render(chain, source, writer, settings, [&bar](double f) {
        if (interruptRequested()) throw InterruptedError();
        bar.update(f);
    });
    bar.finish();
    writer.commit();

    const RenderReport& r = outcome.report;
    outcome.clipped = writer.clipped();
    outcome.nonFiniteReplaced = writer.nonFiniteReplaced();
    for (const std::string& n : r.channelNotes)
        (r.channelsDropped && o.channels.empty() ? outcome.warnings : outcome.notes).push_back(n);
    if (cutShort)
        outcome.warnings.push_back("INPUT's header announces more audio than the file holds: "
                                   "it is cut short");
    else if (r.inputTruncated())
        outcome.warnings.push_back("INPUT ended after " + std::to_string(r.inputFrames) + " of " +
                                   std::to_string(r.expectedInputFrames) +
                                   " frames: the file is cut short");
    if (r.input.nonFinite)
        outcome.warnings.push_back("INPUT holds " + count(r.input.nonFinite, "sample") +
                                   " that are not finite numbers (NaN or infinite)");
    if (r.output.nonFinite)
        outcome.warnings.push_back("the plug-in produced " + count(r.output.nonFinite, "sample") +
                                   " that are not finite numbers");
    if (outcome.nonFiniteReplaced)
        outcome.warnings.push_back(count(outcome.nonFiniteReplaced, "non-finite sample") +
                                   " written as 0 (NaN) or full scale (infinity): " +
                                   describeFormat(format) + " cannot hold them");
    if (outcome.clipped)
        outcome.warnings.push_back(count(outcome.clipped, "sample") +
                                   " beyond full scale clipped in " + describeFormat(format) +
                                   " (--float keeps them)");
    return outcome;
}

int diff(const Options& o, std::ostream& out) {
    AudioDiff d = diffAudioFiles(o.diffA, o.diffB, o.tolerance);
    if (o.json)
        printDiffJson(d, o.tolerance, out);
    else if (!o.quiet)
        printDiff(d, o.tolerance, out);
    return d.within(o.tolerance) ? 0 : 1;
}

int run(const Options& o, std::ostream& stdOut, std::ostream& err, bool progressAllowed) {
    if (o.mode == Mode::Help) {
        stdOut << usageText();
        return 0;
    }
    if (o.mode == Mode::Version) {
        stdOut << "velmorande-host " << product::kVersionText << " (libsndfile "
               << sf_version_string() << ")\n";
        return 0;
    }
    if (o.mode == Mode::Diff) return diff(o, stdOut);
    // Standard output carries the audio for OUTPUT "-", and only the JSON with --json: the
    // other messages go to standard error then.
    const bool audioOnStdout = o.mode == Mode::Render && o.output == "-";
    std::ostream& out = audioOnStdout || o.json ? err : stdOut;
    std::ostream& summaryOut = audioOnStdout ? err : stdOut;

    std::unique_ptr<AudioFileReader> reader;
    std::unique_ptr<MemorySource> demoSource;
    Options opts = o;
    double sampleRate = o.sampleRate.value_or(44100.0);
    int inputFormat = 0;
    const std::vector<PluginSetup> setups = pluginChain(o);
    checkFilesDistinct(o, setups);

    if (o.mode == Mode::Demo) {
        std::error_code ec;
        std::filesystem::create_directories(o.demoDir, ec);
        if (!std::filesystem::is_directory(o.demoDir))
            throw HostError("cannot create the directory " + o.demoDir +
                            (ec ? ": " + ec.message() : ""));
        DemoPhrase phrase = synthesizeDemoPhrase();
        std::filesystem::path input = std::filesystem::path(o.demoDir) / "demo-input.wav";
        inputFormat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
        AudioFileWriter writer(input, inputFormat, phrase.channels, phrase.sampleRate);
        writer.write(phrase.samples.data(),
                     static_cast<std::int64_t>(phrase.samples.size()) / phrase.channels);
        writer.commit();
        sampleRate = phrase.sampleRate;
        demoSource =
            std::make_unique<MemorySource>(std::move(phrase.samples), phrase.channels, sampleRate);
        opts.input = input.string();
        opts.output = (std::filesystem::path(o.demoDir) / "demo-output.wav").string();
        opts.format = o.format.empty() ? "wav" : o.format;
    } else if (o.mode == Mode::Render && !o.input.empty()) {
        reader = std::make_unique<AudioFileReader>(o.input);
        inputFormat = reader->format();
        if (!o.sampleRate) sampleRate = reader->sampleRate();
    }
    const bool rendering = reader || demoSource;

    HostCallback host;
    host.setTempo(o.tempo);
    host.setTimeSignature(o.timeSigNumerator, o.timeSigDenominator);
    host.setSampleRate(sampleRate);
    host.setBlockSize(o.blockSize);
    std::vector<std::unique_ptr<PluginInstance>> plugins;
    std::vector<std::unique_ptr<Automation>> automations;
    std::vector<RenderStage> chain;
    for (const PluginSetup& setup : setups) {
        plugins.push_back(PluginInstance::load(setup.path, host));
        PluginInstance& plugin = *plugins.back();
        plugin.prepare(sampleRate, o.blockSize);
        if (rendering) refuseInstrument(plugin, setup.path);
        if (setups.size() > 1 && !o.quiet)
            out << "plug-in " << plugins.size() << ": " << setup.path << '\n';
        if (o.editor && plugins.size() == 1 && o.mode == Mode::Render) {
            // The state file is written with what the user set in the editor.
            PluginSetup before = setup;
            before.saveState.reset();
            applyState(plugin, before, out, err, o.quiet, false);
            runEditorWindow(plugin, out, o.editorScale);
            if (setup.saveState) {
                const std::string kind = saveStateFile(plugin, *setup.saveState);
                if (!o.quiet) out << "saved " << kind << " " << *setup.saveState << '\n';
            }
        } else {
            applyState(plugin, setup, out, err, o.quiet, o.mode == Mode::Demo);
        }
        if (setup.automation)
            automations.push_back(std::make_unique<Automation>(
                loadAutomation(plugin, *setup.automation, sampleRate, o.tempo)));
        chain.push_back({&plugin, setup.automation ? automations.back().get() : nullptr});
    }
    PluginInstance& first = *plugins.front();

    if (o.mode == Mode::Info) {
        if (o.json)
            printPluginInfoJson(first, stdOut);
        else
            printPluginInfo(first, stdOut);
        return 0;
    }
    if (o.editorPicture) {
        saveEditorPicture(first, *o.editorPicture, o.editorScale.value_or(1.0));
        if (!o.quiet) out << "editor picture: " << *o.editorPicture << '\n';
    } else if (o.mode == Mode::Demo) {
        // Most plug-ins draw no picture on request: the demo goes on without one.
        const auto file = std::filesystem::path(o.demoDir) / "demo-editor.png";
        try {
            saveEditorPicture(first, file, o.editorScale.value_or(1.0));
            if (!o.quiet) out << "demo editor: " << file.string() << '\n';
        } catch (const HostError& e) {
            if (!o.quiet) err << "note: " << e.what() << '\n';
        }
    }
    AudioSource* source = reader ? static_cast<AudioSource*>(reader.get()) : demoSource.get();
    if (!source) return 0; // state files only

    double tail = o.tailSeconds.value_or(o.mode == Mode::Demo ? 2.0 : 0.0);
    RenderOutcome outcome = renderToFile(chain, *source, inputFormat, reader && reader->cutShort(),
                                         opts, sampleRate, tail, err, progressAllowed);
    // Notes say what happened to the audio (channels mixed, RF64): not silenced by --quiet.
    for (const std::string& n : outcome.notes)
        err << "note: " << n << '\n';
    for (const std::string& w : outcome.warnings)
        err << "warning: " << w << '\n';
    if (o.json) {
        printSummaryJson(outcome, opts, summaryOut);
    } else if (!o.quiet) {
        printSummary(outcome, opts, summaryOut);
        if (o.mode == Mode::Demo) summaryOut << "demo input:  " << opts.input << '\n';
        summaryOut << (o.mode == Mode::Demo ? "demo output: " : "wrote ")
                   << (audioOnStdout ? "standard output" : opts.output) << '\n';
    }
    return 0;
}

} // namespace

int runHost(const Options& options, std::ostream& out, std::ostream& err, bool progressAllowed) {
    try {
        return run(options, out, err, progressAllowed);
    } catch (const InterruptedError& e) {
        err << "\nvelmorande-host: " << e.what() << '\n';
        return 130;
    } catch (const UsageError& e) {
        err << "velmorande-host: " << e.what() << '\n';
        return 2;
    } catch (const HostError& e) {
        err << "velmorande-host: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        err << "velmorande-host: " << e.what() << '\n';
        return 1;
    }
}

} // namespace vhost
