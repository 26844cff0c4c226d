#pragma once

#include <cstddef>

// A file compiled into the library, where the platform has no resources of its own.
struct EmbeddedResource {
    int id;
    const unsigned char* data;
    std::size_t size;
};
