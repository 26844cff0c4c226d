// velmorande-host: renders audio files through a VST 2.x plug-in.
#include "host/app.h"
#include "host/command_errors.h"
#include "host/options.h"
#include "host/terminal.h"

#ifdef VELMORANDE_HOST_VALIDATE
#include "validate.h"
#endif

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
#ifdef VELMORANDE_HOST_VALIDATE
    if (!args.empty() && args.front() == "validate")
        return vhost::validate::runValidate({args.begin() + 1, args.end()}, std::cout, std::cerr);
#endif
    vhost::Options options;
    try {
        options = vhost::parseOptions(args);
    } catch (const vhost::UsageError& e) {
        std::cerr << "velmorande-host: " << e.what() << '\n';
        return 2;
    }
    vhost::catchInterrupts();
    return vhost::runHost(options, std::cout, std::cerr, vhost::stderrIsTerminal());
}
