// The files a run reads and writes, planned before any plug-in runs: every name checked
// against the others, every file to be written made an OutputFile.
#pragma once

#include "host/file_claims.h"
#include "host/options.h"
#include "host/output_file.h"

#include <memory>
#include <string>
#include <vector>

namespace vhost {

// What a run writes, by what it is for.
class RunOutputs {
public:
    OutputFile* audio = nullptr;     // OUTPUT, or DIR/demo-output.wav
    OutputFile* demoInput = nullptr; // DIR/demo-input.wav
    OutputFile* picture = nullptr;   // --editor-png, or DIR/demo-editor.png
    bool pictureOptional = false;    // the demo's: most plug-ins draw none
    std::vector<OutputFile*> states; // --save, per plug-in of the chain; null: none

    OutputFile* Add(const std::string& role, const std::string& name, bool force);
    std::size_t IndexOf(const OutputFile& file) const;
    OutputFile& At(std::size_t index) const { return *files_.at(index); }
    bool OnStandardOutput() const;
    // For a run that failed: what the user will find unchanged.
    std::string LeftAsTheyWere() const;

private:
    std::vector<std::unique_ptr<OutputFile>> files_;
};

// Every file the command line names, read or written.
std::vector<FileClaim> FileClaims(const Options& options);

// Makes the OutputFiles of a run: throws before anything is written when one may not be.
void PlanOutputs(const Options& options, RunOutputs& outputs);

} // namespace vhost
