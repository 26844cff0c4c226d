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

int run(const std::vector<std::string>& args, std::ostream& out) {
    if (!args.empty() && args.front() == "validate")
        return vhost::validate::runValidate({args.begin() + 1, args.end()}, out, std::cerr);
    return vhost::withExitCode(std::cerr, [&] {
        const vhost::Options options = vhost::parseOptions(args);
        vhost::catchInterrupts();
        return vhost::runHost(options, out, std::cerr, vhost::stderrIsTerminal());
    });
}

} // namespace

int main(int argc, char** argv) {
    vhost::StandardOutput standardOutput;
    int code = run({argv + 1, argv + argc}, standardOutput.stream());
    // Data that never reached standard output is a failure, whatever the command.
    if (const std::string failure = standardOutput.finish(); !failure.empty()) {
        std::cerr << "velmorande-host: " << failure << '\n';
        if (code == 0) code = 1;
    }
    return code;
}
