#pragma once

#include <cstdio>
#include <cstdlib>

// A broken invariant stops the fuzzer with the condition's text, so it keeps the input.
#define Check(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s\n", #condition);                                \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
