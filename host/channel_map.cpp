#include "host/channel_map.h"

#include "host/command_errors.h"
#include "host/text_match.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace vhost {
namespace {

std::string Range(int first, int last) {
    return first == last ? std::to_string(first)
                         : std::to_string(first) + "-" + std::to_string(last);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

int ChannelNumber(const std::string& text, int sourceChannels, const std::string& mapping) {
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || end != text.c_str() + text.size() || n < 0 || n > sourceChannels)
        throw UsageError("--channels " + mapping + ": '" + text + "' is not a channel from 1 to " +
                         std::to_string(sourceChannels) + " or 0 for silence");
    return static_cast<int>(n);
}

ChannelMap ExplicitMap(const std::string& mapping, int sourceChannels, int inputs) {
    ChannelMap map;
    if (mapping == "mix") {
        std::vector<int> all(static_cast<std::size_t>(sourceChannels));
        for (int c = 0; c < sourceChannels; ++c)
            all[static_cast<std::size_t>(c)] = c;
        map.feeds.assign(static_cast<std::size_t>(inputs), all);
        if (sourceChannels > 1)
            map.note = "the " + std::to_string(sourceChannels) +
                       " channels of the input are mixed into every plug-in input";
        return map;
    }
    std::vector<std::string> items = Split(mapping, ',');
    if (static_cast<int>(items.size()) != inputs)
        throw UsageError("--channels " + mapping + " names " +
                         Counted(static_cast<std::int64_t>(items.size()), "input") +
                         ", but the plug-in has " + std::to_string(inputs));
    std::vector<bool> used(static_cast<std::size_t>(sourceChannels), false);
    for (const std::string& item : items) {
        if (item.empty()) throw UsageError("--channels " + mapping + " has an empty item");
        std::vector<int> feed;
        for (const std::string& part : Split(item, '+')) {
            int n = ChannelNumber(part, sourceChannels, mapping);
            if (n == 0) {
                if (item != part) throw UsageError("--channels " + mapping + ": 0 stands alone");
                continue;
            }
            feed.push_back(n - 1);
            used[static_cast<std::size_t>(n - 1)] = true;
        }
        map.feeds.push_back(std::move(feed));
    }
    std::string unused;
    for (int c = 0; c < sourceChannels; ++c)
        if (!used[static_cast<std::size_t>(c)])
            unused += (unused.empty() ? "" : ", ") + std::to_string(c + 1);
    if (!unused.empty()) {
        map.note = "input channel" +
                   std::string(unused.find(',') == std::string::npos ? " " : "s ") + unused +
                   " feed no plug-in input";
        map.dropped = true;
    }
    return map;
}

} // namespace

ChannelMap MapChannels(const std::string& mapping, int sourceChannels, int inputs) {
    if (inputs < 1 || sourceChannels < 1) return {};
    if (!mapping.empty()) return ExplicitMap(mapping, sourceChannels, inputs);
    ChannelMap map;
    map.feeds.resize(static_cast<std::size_t>(inputs));
    const std::string s = std::to_string(sourceChannels), i = std::to_string(inputs);
    if (sourceChannels == 1) {
        for (auto& feed : map.feeds)
            feed = {0};
        if (inputs > 1) map.note = "the mono input feeds all " + i + " plug-in inputs";
    } else if (inputs == 1) {
        for (int c = 0; c < sourceChannels; ++c)
            map.feeds[0].push_back(c);
        map.note = "the " + s + " input channels are mixed to mono for the plug-in's one input";
    } else {
        for (int c = 0; c < std::min(sourceChannels, inputs); ++c)
            map.feeds[static_cast<std::size_t>(c)] = {c};
        if (sourceChannels > inputs) {
            map.note = "the input has " + s + " channels and the plug-in " + i +
                       " inputs: channels " + Range(inputs + 1, sourceChannels) +
                       " are dropped (see --channels)";
            map.dropped = true;
        } else if (sourceChannels < inputs) {
            map.note = "plug-in inputs " + Range(sourceChannels + 1, inputs) + " get silence";
        }
    }
    return map;
}

} // namespace vhost
