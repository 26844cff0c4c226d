#pragma once

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#define VELMORANDE_HAS_MXCSR 1
#endif

// Flushes denormal results and inputs to zero while in scope. A feedback tail decaying
// towards zero would otherwise run through denormal numbers, which cost the processor
// dozens of cycles each; values that small are far below anything audible.
class DenormalGuard {
public:
#ifdef VELMORANDE_HAS_MXCSR
    DenormalGuard() : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalGuard() {
        _mm_setcsr(saved_);
    }
#else
    DenormalGuard() = default;
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#ifdef VELMORANDE_HAS_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;
    unsigned saved_;
#endif
};
