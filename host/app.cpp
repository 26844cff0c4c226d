#include "host/app.h"

#include "host/audio_diff.h"
#include "host/command_errors.h"
#include "host/plugin_jobs.h"
#include "host/plugin_process.h"
#include "host/run_outputs.h"

#include "product/version.h"

#include <sndfile.h>

#include <filesystem>

namespace vhost {
namespace {

namespace fs = std::filesystem;

int ShowHelp(std::ostream& out) {
    out << UsageText();
    return 0;
}

int ShowVersion(std::ostream& out) {
    out << "velmorande-host " << product::kVersionText << " (libsndfile " << sf_version_string()
        << ")\n";
    return 0;
}

int RunDiff(const Options& o, std::ostream& out) {
    AudioDiff d = DiffAudioFiles(o.diffA, o.diffB, o.tolerance);
    if (o.json)
        PrintDiffJson(d, o.tolerance, out);
    else if (!o.quiet)
        PrintDiff(d, o.tolerance, out);
    return d.Within(o.tolerance) ? 0 : 1;
}

// --info, --demo and renders: the files are checked and planned here, the plug-ins run in a
// process of their own, and what it made is put in place once it has succeeded.
int RunPlugins(const Options& o, std::ostream& out, std::ostream& err, bool progressAllowed) {
    if (o.mode == Mode::Demo) {
        std::error_code ec;
        fs::create_directories(o.demoDir, ec);
        if (!fs::is_directory(o.demoDir))
            throw HostError("cannot create the directory " + o.demoDir +
                            (ec ? ": " + ec.message() : ""));
    }
    CheckDistinctFiles(FileClaims(o));
    RunOutputs outputs;
    PlanOutputs(o, outputs);
    if (o.mode == Mode::Info && outputs.OnStandardOutput())
        throw UsageError("--info writes standard output: no file may be \"-\"");

    const JobResult result = RunPluginProcess(
        [&](JobReport& report) { return RunPluginJob(o, outputs, report, progressAllowed); }, err);
    if (result.interrupted) throw InterruptedError();
    if (!result.failure.empty())
        throw HostError("the plug-in " + result.failure + " while " +
                        (result.phase.empty() ? "starting" : result.phase) + "; " +
                        outputs.LeftAsTheyWere());
    if (result.exitCode != 0) return result.exitCode;
    for (std::size_t index : result.produced)
        outputs.At(index).Commit(out);
    out << result.out;
    err << result.lateErr;
    return 0;
}

} // namespace

int RunHost(const Options& options, std::ostream& out, std::ostream& err, bool progressAllowed) {
    return WithExitCode(err, [&] {
        switch (options.mode) {
        case Mode::Help:
            return ShowHelp(out);
        case Mode::Version:
            return ShowVersion(out);
        case Mode::Diff:
            return RunDiff(options, out);
        case Mode::Info:
        case Mode::Demo:
        case Mode::Render:
            break;
        }
        return RunPlugins(options, out, err, progressAllowed);
    });
}

} // namespace vhost
