// Runs the plug-in side of a command in a process of its own, so that a plug-in that
// crashes, ends the process or hangs is seen for what it is: the host process never runs
// plug-in code, reports the failure, and stops the run at the first interrupt (platform file
// for the process; the report's framing is portable).
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace vhost {

// What the plug-in process tells the host while it works, sent over a byte stream.
class JobReport {
public:
    // `send` writes a whole record to the host; it is called from the plug-in process.
    explicit JobReport(std::function<void(const std::string&)> send);
    ~JobReport();
    JobReport(const JobReport&) = delete;
    JobReport& operator=(const JobReport&) = delete;

    // Standard output, written by the host once the run has succeeded.
    std::ostream& Out();
    // Standard error, passed on at once.
    std::ostream& Err();
    // Standard error, written by the host after the files, once the run has succeeded.
    std::ostream& LateErr();
    // What the plug-in is doing, for the message should it fail: "rendering".
    void Phase(const std::string& what);
    // Output `index` holds its finished data.
    void Produced(std::size_t index);
    // The last record: the command's exit code.
    void Finish(int exitCode);

private:
    struct Channels;
    std::unique_ptr<Channels> channels_;
};

// What the host gathered from a plug-in process.
struct JobResult {
    bool finished = false;    // the process sent its exit code and ended normally
    int exitCode = 1;         // the command's, when finished
    bool interrupted = false; // the user interrupted the run; the process was stopped
    std::string failure;      // how the process ended otherwise: "crashed (signal 11: ...)"
    std::string phase;        // what it was doing then
    std::string out, lateErr; // held for after the run
    std::vector<std::size_t> produced;
};

// Feeds the records of a report's stream, as they arrive in any pieces, into a result;
// standard error is written to `err` at once.
class JobReader {
public:
    JobReader(JobResult& result, std::ostream& err) : result_(result), err_(err) {}
    void Feed(const char* data, std::size_t size);

private:
    JobResult& result_;
    std::ostream& err_;
    std::string pending_;
};

using Job = std::function<int(JobReport&)>;

// Runs `job` in a child process and waits for it, passing its standard error on to `err`.
// The job must not throw. The first interrupt (SIGINT, SIGTERM, SIGHUP) stops the child at
// once, whatever it is doing.
JobResult RunPluginProcess(const Job& job, std::ostream& err);

} // namespace vhost
