#include "host/channel_map.h"
#include "host/command_errors.h"

#include <gtest/gtest.h>

namespace vhost {
namespace {

using Feeds = std::vector<std::vector<int>>;

TEST(ChannelMap, DefaultsAndExplicitMaps) {
    struct Case {
        std::string mapping;
        int sources, inputs;
        Feeds feeds;
        bool noted, dropped;
    };
    for (const Case& c : std::vector<Case>{
             {"", 2, 2, {{0}, {1}}, false, false},
             {"", 1, 2, {{0}, {0}}, true, false},
             {"", 1, 1, {{0}}, false, false},
             {"", 2, 1, {{0, 1}}, true, false},
             {"", 6, 2, {{0}, {1}}, true, true},
             {"", 2, 4, {{0}, {1}, {}, {}}, true, false},
             {"", 2, 0, {}, false, false},
             {"mix", 3, 2, {{0, 1, 2}, {0, 1, 2}}, true, false},
             {"mix", 1, 2, {{0}, {0}}, false, false},
             {"2,1", 2, 2, {{1}, {0}}, false, false},
             {"1+2", 2, 1, {{0, 1}}, false, false},
             {"0,3", 3, 2, {{}, {2}}, true, true},
             {"2,2", 2, 2, {{1}, {1}}, true, true},
         }) {
        ChannelMap m = MapChannels(c.mapping, c.sources, c.inputs);
        const std::string what =
            "'" + c.mapping + "' " + std::to_string(c.sources) + "->" + std::to_string(c.inputs);
        EXPECT_EQ(m.feeds, c.feeds) << what;
        EXPECT_EQ(!m.note.empty(), c.noted) << what << ": " << m.note;
        EXPECT_EQ(m.dropped, c.dropped) << what;
    }
}

TEST(ChannelMap, MalformedMapsAreRefused) {
    for (const char* mapping :
         {"1", "1,2,1", "1,", ",1", "3,1", "-1,1", "a,b", "1+,2", "0+1,2", "1 ,2"})
        EXPECT_THROW(MapChannels(mapping, 2, 2), UsageError) << mapping;
}

} // namespace
} // namespace vhost
