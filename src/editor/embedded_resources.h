#pragma once

#include <cstddef>

// Files compiled into the library where the platform has no resources of its own.
struct EmbeddedResource {
    int id;
    const unsigned char* data;
    std::size_t size;
};

// The resource with that id, or null.
const EmbeddedResource* FindEmbeddedResource(int id);
