// The host's own standard output. The process's file descriptor 1 is pointed at standard
// error, so that whatever a plug-in prints lands there; the host's data (audio, --info,
// JSON, summaries) goes to a duplicate of the standard output it was given, through a stream
// that checks every write (platform file).
#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace vhost {

class StandardOutput {
public:
    // Takes standard output over: call once, before any plug-in code runs. A reader that goes
    // away makes a write fail (EPIPE) like any other failure, instead of ending the process.
    StandardOutput();
    ~StandardOutput();
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    std::ostream& Stream() noexcept;
    // Flushes and closes; the message for the user when a write or the close failed and
    // StandardOutputFailure() has not told it yet, else an empty text.
    std::string Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// What went wrong on a stream that failed, for the user: the system's reason when it is the
// host's standard output, which then counts as told.
std::string StandardOutputFailure(const std::ostream& stream);

} // namespace vhost
