// Feeds arbitrary bytes to a live effect as a program chunk and as a bank chunk, the way
// a host restores a project: whatever loads must leave every parameter in its range and
// the effect able to process and save again.
#include "fuzz_check.h"
#include "support/effect_fixture.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void Exercise(InProcessEffect& fx, const std::uint8_t* data, std::size_t size, bool isBank) {
    StateChunk buffer;
    fx.ReadHostChunk(buffer, data, static_cast<int>(size), isBank);
    for (int i = 0; i < fx.NParams(); ++i) {
        const IPlugParam& p = *fx.GetParam(i);
        Check(p.Value() >= p.Min() && p.Value() <= p.Max());
    }
    for (int i = 0; i < fx.NPresets(); ++i)
        Check(std::strlen(fx.PresetName(i)) < IPlugPreset::kNameSize);

    StereoBlock block(64, 0.5);
    block.Process(fx);
    for (double v : block.outL)
        Check(std::isfinite(v));

    StateChunk saved;
    Check(fx.WriteHostChunk(saved, isBank) > 8);
    Check(fx.ReadHostChunk(buffer, saved.Data(), saved.Size(), isBank));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static InProcessEffect* fx = NewUnloggedEffect(44100.0);
    if (size > 1 << 16) return 0;
    // A fresh instance now and then, so state left by one input cannot hide another's.
    if (size > 0 && data[0] == 0xFF) {
        delete fx;
        fx = NewUnloggedEffect(44100.0);
    }
    Exercise(*fx, data, size, false);
    Exercise(*fx, data, size, true);
    return 0;
}
