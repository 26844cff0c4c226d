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

int showHelp(std::ostream& out) {
    out << usageText();
    return 0;
}

int showVersion(std::ostream& out) {
    out << "velmorande-host " << product::kVersionText << " (libsndfile "
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
    checkDistinctFiles(fileClaims(o));
    RunOutputs outputs;
    planOutputs(o, outputs);
    if (o.mode == Mode::Info && outputs.onStandardOutput())
        throw UsageError("--info writes standard output: no file may be \"-\"");

    const JobResult result = runPluginProcess(
        [&](JobReport& report) { return runPluginJob(o, outputs, report, progressAllowed); }, err);
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
