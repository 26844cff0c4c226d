#include "app.h"

#include "audio_file.h"
#include "demo_phrase.h"
#include "editor_picture.h"
#include "editor_window.h"
#include "host_error.h"
#include "plugin_info.h"
#include "plugin_state.h"
#include "progress.h"
#include "terminal.h"
#include "text_match.h"

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <iomanip>
#include <sstream>

#ifndef VELMORANDE_HOST_VERSION_TEXT
#define VELMORANDE_HOST_VERSION_TEXT "1.1.0"
#endif

namespace vhost {
namespace {

std::string db(double value) {
    if (!std::isfinite(value)) return "-inf";
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << value;
    return s.str();
}

void printSummary(const RenderReport& r, const Options& o, std::ostream& out) {
    out << std::fixed << std::setprecision(3);
    out << "rendered " << r.durationSeconds() << " s (" << r.outputFrames << " frames) at "
        << std::setprecision(0) << r.sampleRate << " Hz, " << r.inputChannels << " channel"
        << (r.inputChannels == 1 ? "" : "s") << " in, " << r.outputChannels << " out, block "
        << o.blockSize << ", " << processModeName(r.mode) << "\n";
    out << "input:  peak " << db(r.input.peakDb()) << " dBFS, RMS " << db(r.input.rmsDb())
        << " dBFS\n";
    out << "output: peak " << db(r.output.peakDb()) << " dBFS, RMS " << db(r.output.rmsDb())
        << " dBFS\n";
    out << std::setprecision(1) << "speed:  " << r.realTimeFactor() << "x real time ("
        << std::setprecision(3) << r.wallSeconds << " s)\n";
    out << std::defaultfloat;
}

// Load, program, parameters, then save: the order the help text promises.
void applyState(PluginInstance& plugin, const Options& o, std::ostream& out, std::ostream& err,
                bool defaultDemoProgram) {
    if (o.loadState) {
        std::vector<std::string> warnings;
        std::string kind = loadStateFile(plugin, *o.loadState, warnings);
        for (const auto& w : warnings)
            err << "warning: " << w << '\n';
        if (!o.quiet) out << "loaded " << kind << " " << *o.loadState << '\n';
    }
    std::optional<std::string> program = o.program;
    if (!program && defaultDemoProgram && plugin.numPrograms() > 1) program = "1";
    if (program) {
        VstInt32 index = findProgram(plugin, *program);
        plugin.setProgram(index);
        if (!o.quiet)
            out << "program " << index << ": " << trimmed(plugin.programNameAt(index)) << '\n';
    }
    for (const ParamAssignment& a : o.params) {
        ParamOutcome r = applyParameter(plugin, a);
        if (!r.exact)
            err << "warning: " << r.name << " shows " << r.display
                << (r.label.empty() ? "" : " " + r.label) << " for the requested " << a.value
                << '\n';
        if (!o.quiet)
            out << "parameter " << r.index << " " << r.name << " = " << r.display
                << (r.label.empty() ? "" : " " + r.label) << " (normalised " << r.normalized
                << ")\n";
    }
    if (o.saveState) {
        std::string kind = saveStateFile(plugin, *o.saveState);
        if (!o.quiet) out << "saved " << kind << " " << *o.saveState << '\n';
    }
}

RenderReport renderToFile(PluginInstance& plugin, AudioSource& source, int inputFormat,
                          const Options& o, double sampleRate, double tail, std::ostream& err,
                          bool progressAllowed) {
    int format = chooseOutputFormat(o.format, o.encoding, o.output, inputFormat,
                                    plugin.numOutputs(), static_cast<int>(std::lround(sampleRate)));
    AudioFileWriter writer(o.output, format, plugin.numOutputs(),
                           static_cast<int>(std::lround(sampleRate)));
    RenderSettings settings;
    settings.sampleRate = sampleRate;
    settings.blockSize = o.blockSize;
    settings.precision = o.precision;
    settings.tempo = o.tempo;
    settings.tailSeconds = tail;
    ProgressBar bar(err, progressAllowed && !o.quiet);
    RenderReport report = render(plugin, source, writer, settings, [&bar](double f) {
        if (interruptRequested()) throw InterruptedError();
        bar.update(f);
    });
    bar.finish();
    writer.commit();
    return report;
}

int run(const Options& o, std::ostream& out, std::ostream& err, bool progressAllowed) {
    if (o.mode == Mode::Help) {
        out << usageText();
        return 0;
    }
    if (o.mode == Mode::Version) {
        out << "velmorande-host " << VELMORANDE_HOST_VERSION_TEXT << " (libsndfile "
            << sf_version_string() << ")\n";
        return 0;
    }

    std::unique_ptr<AudioFileReader> reader;
    std::unique_ptr<MemorySource> demoSource;
    Options opts = o;
    double sampleRate = o.sampleRate.value_or(44100.0);
    int inputFormat = 0;

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

    HostCallback host;
    host.setTempo(o.tempo);
    host.setSampleRate(sampleRate);
    host.setBlockSize(o.blockSize);
    auto plugin = PluginInstance::load(o.plugin, host);
    plugin->prepare(sampleRate, o.blockSize);

    if (o.editor && o.mode == Mode::Render) {
        // The state file is written with what the user set in the editor.
        Options before = opts;
        before.saveState.reset();
        applyState(*plugin, before, out, err, false);
        runEditorWindow(*plugin, out);
        if (opts.saveState) {
            const std::string kind = saveStateFile(*plugin, *opts.saveState);
            if (!o.quiet) out << "saved " << kind << " " << *opts.saveState << '\n';
        }
    } else {
        applyState(*plugin, opts, out, err, o.mode == Mode::Demo);
    }

    if (o.mode == Mode::Info) {
        printPluginInfo(*plugin, out);
        return 0;
    }
    if (o.editorPicture) {
        saveEditorPicture(*plugin, *o.editorPicture);
        if (!o.quiet) out << "editor picture: " << *o.editorPicture << '\n';
    } else if (o.mode == Mode::Demo) {
        // Most plug-ins draw no picture on request: the demo goes on without one.
        const auto file = std::filesystem::path(o.demoDir) / "demo-editor.png";
        try {
            saveEditorPicture(*plugin, file);
            if (!o.quiet) out << "demo editor: " << file.string() << '\n';
        } catch (const HostError& e) {
            if (!o.quiet) err << "note: " << e.what() << '\n';
        }
    }
    AudioSource* source = reader ? static_cast<AudioSource*>(reader.get()) : demoSource.get();
    if (!source) return 0; // state files only

    double tail = o.tailSeconds.value_or(o.mode == Mode::Demo ? 2.0 : 0.0);
    RenderReport report =
        renderToFile(*plugin, *source, inputFormat, opts, sampleRate, tail, err, progressAllowed);
    if (!o.quiet) {
        printSummary(report, opts, out);
        if (o.mode == Mode::Demo) out << "demo input:  " << opts.input << '\n';
        out << (o.mode == Mode::Demo ? "demo output: " : "wrote ") << opts.output << '\n';
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
