// velmorande-host: renders audio files through a VST 2.x plug-in.
#include "host/app.h"
#include "host/command_errors.h"
#include "host/options.h"
#include "host/standard_output.h"
#include "host/terminal.h"
#include "validate.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

int Run(const std::vector<std::string>& args, std::ostream& out) {
    if (!args.empty() && args.front() == "validate")
        return vhost::validate::RunValidate({args.begin() + 1, args.end()}, out, std::cerr);
    return vhost::WithExitCode(std::cerr, [&] {
        const vhost::Options options = vhost::ParseOptions(args);
        vhost::CatchInterrupts();
        return vhost::RunHost(options, out, std::cerr, vhost::StderrIsTerminal());
    });
}

} // namespace

int main(int argc, char** argv) {
    vhost::StandardOutput standardOutput;
    int code = Run({argv + 1, argv + argc}, standardOutput.Stream());
    // Data that never reached standard output is a failure, whatever the command.
    if (const std::string failure = standardOutput.Finish(); !failure.empty()) {
        std::cerr << "velmorande-host: " << failure << '\n';
        if (code == 0) code = 1;
    }
    return code;
}
