#pragma once

#include "core/grow_buffer.h"
#include "core/state_chunk.h"

#include <cstdint>

struct ChannelConfig {
    int inputs = 0;
    int outputs = 0;
};

// Routing record of one input channel. `slot` points at the channel's entry in the
// input pointer table; an unconnected channel's entry points at its zeroed scratch.
struct InputChannel {
    bool connected = false;
    double** slot = nullptr;
    GrowBuffer scratch{4096};
};

struct OutputChannel {
    bool connected = false;
    double** slot = nullptr;
    float* hostDestination = nullptr; // single-precision processing only
    GrowBuffer scratch{4096};
};

struct IPlugPreset {
    static constexpr int kNameSize = 256; // 255 characters and a terminator
    bool initialised = false;
    char name[kNameSize] = {};
    StateChunk values;
};

// A short MIDI message at a frame offset within the block.
struct IMidiMsg {
    std::int32_t offset = 0;
    std::uint8_t status = 0, data1 = 0, data2 = 0;
};

struct ISysEx {
    std::int32_t offset = 0;
    std::int32_t size = 0;
    const std::uint8_t* data = nullptr; // not owned
};
