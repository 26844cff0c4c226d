#include "bitmap/combiners.h"

PixelCombiner SelectCombiner(BlendMode mode) {
    PixelCombiner chosen = nullptr;
    combine::WithCombinerAnyWeight(mode, [&chosen](auto c) { chosen = &decltype(c)::Apply; });
    return chosen;
}
