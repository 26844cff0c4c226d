#include "bitmap/clip_area.h"

#include <algorithm>
#include <limits>

namespace bitmap_detail {
namespace {

// One axis: a run of `length` pixels from `dest` in the destination and `src` in the source.
struct Run {
    long long dest, src, length;
};

Run ClipRun(Run run, long long destSize, long long srcSize) {
    if (run.src < 0) {
        run.dest -= run.src;
        run.length += run.src;
        run.src = 0;
    }
    if (run.dest < 0) {
        run.src -= run.dest;
        run.length += run.dest;
        run.dest = 0;
    }
    run.length = std::min({run.length, srcSize - run.src, destSize - run.dest});
    return run;
}

bool HasStorage(const PixelBitmap& bitmap) {
    return bitmap.Bits() && bitmap.RowSpan() != 0;
}

} // namespace

std::optional<ClippedArea> ClipArea(const PixelBitmap& dest, const PixelBitmap* src,
                                    long long destX, long long destY, long long srcX,
                                    long long srcY, long long width, long long height) {
    constexpr long long kUnbounded = std::numeric_limits<long long>::max();
    const Run x = ClipRun({destX, srcX, width}, dest.Width(), src ? src->Width() : kUnbounded);
    const Run y = ClipRun({destY, srcY, height}, dest.Height(), src ? src->Height() : kUnbounded);
    if (x.length <= 0 || y.length <= 0) return std::nullopt;
    if (!HasStorage(dest) || (src && !HasStorage(*src))) return std::nullopt;
    return ClippedArea{static_cast<int>(x.dest),   static_cast<int>(y.dest),
                       static_cast<int>(x.src),    static_cast<int>(y.src),
                       static_cast<int>(x.length), static_cast<int>(y.length)};
}

} // namespace bitmap_detail
