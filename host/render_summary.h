// What a render reports: the levels, what happened to the audio (said as warnings and
// notes), printed as the text summary or as JSON.
#pragma once

#include "host/renderer.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace vhost {

// What happened to the audio, beyond the levels: said as warnings and kept for --json.
struct RenderOutcome {
    RenderReport report;
    int format = 0;
    VstInt32 blockSize = 0;
    std::int64_t clipped = 0;
    std::int64_t nonFiniteReplaced = 0;
    bool inputCutShort = false; // INPUT holds less than its header announces
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
};

void PrintSummary(const RenderOutcome& outcome, std::ostream& out);
// `file` is OUTPUT as the user gave it.
void PrintSummaryJson(const RenderOutcome& outcome, const std::string& file, std::ostream& out);

} // namespace vhost
