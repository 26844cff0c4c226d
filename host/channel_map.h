// Which source channels feed each input of a plug-in: copied, averaged or silent.
#pragma once

#include <string>
#include <vector>

namespace vhost {

struct ChannelMap {
    // Per plug-in input, the source channels (from 0) averaged into it; empty: silence.
    std::vector<std::vector<int>> feeds;
    std::string note;     // what happens to the channels, when it is not one to one
    bool dropped = false; // source channels reach no input
};

// `mapping` is empty (the default mapping), "mix", or one item per input separated by commas:
// a channel number from 1, channels joined by '+', or 0 for silence. Throws UsageError for a
// malformed mapping or one that does not fit the channel counts.
ChannelMap MapChannels(const std::string& mapping, int sourceChannels, int inputs);

} // namespace vhost
