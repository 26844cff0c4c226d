#pragma once

#include <cstddef>

// A file compiled into the library, where the platform has no resources of its own: the
// resource of an id drawn for a scale (in percent).
struct EmbeddedResource {
    int id;
    const unsigned char* data;
    std::size_t size;
    int scalePercent = 100;
};
