// The rotated knob against pixman's bilinear transformed OVER: the same image, the same
// angles, the same place on a panel-sized surface, in one run. Two images: the editor's
// small knob on its background, and noise with random alpha (no transparent shortcuts).
#include "bitmap/blit.h"
#include "bitmap/heap_bitmap.h"
#include "bitmap/png_loader.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr int kPanelW = 530, kPanelH = 210, kKnobX = 100, kKnobY = 40;
constexpr int kAngles = 64;

struct Scene {
    std::unique_ptr<PixelBitmap> panel, knob;
};

void Noise(PixelBitmap& b, std::uint32_t seed) {
    std::uint32_t x = seed;
    for (int y = 0; y < b.Height(); ++y)
        for (int i = 0; i < b.Width(); ++i) {
            x = x * 1664525u + 1013904223u;
            b.Bits()[y * b.RowSpan() + i] = x;
        }
}

// Arg 0: resources/img/knob2.png on bg.png; arg 1: 48 x 48 noise on noise.
Scene MakeScene(int kind) {
    Scene scene;
    if (kind == 0) {
        scene.panel = LoadPngFile(VELMORANDE_RESOURCES_DIR "/img/bg.png");
        scene.knob = LoadPngFile(VELMORANDE_RESOURCES_DIR "/img/knob2.png");
    } else {
        scene.panel = std::make_unique<HeapBitmap>(kPanelW, kPanelH, 4);
        scene.knob = std::make_unique<HeapBitmap>(48, 48, 4);
        Noise(*scene.panel, 4);
        Noise(*scene.knob, 5);
    }
    return scene;
}

float Angle(int i) {
    return static_cast<float>(i) * (6.2831853f / kAngles) + 0.05f;
}

void BM_RotatedKnobOurs(benchmark::State& state) {
    const Scene scene = MakeScene(static_cast<int>(state.range(0)));
    if (!scene.panel || !scene.knob) return state.SkipWithError("images missing");
    PixelBitmap& knob = *scene.knob;
    const int w = knob.Width(), h = knob.Height();
    for (auto _ : state) {
        for (int i = 0; i < kAngles; ++i)
            BlitRotated(scene.panel.get(), &knob, kKnobX, kKnobY, w, h, 0, 0, static_cast<float>(w),
                        static_cast<float>(h), Angle(i), false, 1.0f,
                        BLEND_COPY | BLEND_SOURCE_ALPHA | BLEND_BILINEAR, 0, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kAngles * w * h);
}

// A premultiplied copy of a bitmap, as pixman wants it.
struct PixmanCopy {
    std::vector<std::uint32_t> pixels;
    pixman_image_t* image = nullptr;

    explicit PixmanCopy(const PixelBitmap& b)
        : pixels(static_cast<std::size_t>(b.Width()) * b.Height()) {
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x) {
                const std::uint32_t p = b.Bits()[y * b.RowSpan() + x], a = p >> 24;
                auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
                pixels[static_cast<std::size_t>(y) * b.Width() + x] =
                    a << 24 | pre((p >> 16) & 0xFF) << 16 | pre((p >> 8) & 0xFF) << 8 |
                    pre(p & 0xFF);
            }
        image = pixman_image_create_bits(PIXMAN_a8r8g8b8, b.Width(), b.Height(), pixels.data(),
                                         b.Width() * 4);
    }
    ~PixmanCopy() { pixman_image_unref(image); }
    PixmanCopy(const PixmanCopy&) = delete;
    PixmanCopy& operator=(const PixmanCopy&) = delete;
};

void BM_RotatedKnobPixman(benchmark::State& state) {
    const Scene scene = MakeScene(static_cast<int>(state.range(0)));
    if (!scene.panel || !scene.knob) return state.SkipWithError("images missing");
    const PixmanCopy knob(*scene.knob), panel(*scene.panel);
    const int w = scene.knob->Width(), h = scene.knob->Height();
    pixman_image_set_filter(knob.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);

    // Destination pixel (x, y) of the knob rectangle samples the source turned about the
    // image's centre, as BlitRotated does.
    std::vector<pixman_transform_t> transforms(kAngles);
    for (int i = 0; i < kAngles; ++i) {
        const double c = std::cos(Angle(i)), s = std::sin(Angle(i));
        const double cx = w / 2.0, cy = h / 2.0;
        pixman_f_transform f{};
        f.m[0][0] = c, f.m[0][1] = s, f.m[0][2] = cx - c * cx - s * cy;
        f.m[1][0] = -s, f.m[1][1] = c, f.m[1][2] = cy + s * cx - c * cy;
        f.m[2][2] = 1.0;
        pixman_transform_from_pixman_f_transform(&transforms[i], &f);
    }
    for (auto _ : state) {
        for (int i = 0; i < kAngles; ++i) {
            pixman_image_set_transform(knob.image, &transforms[i]);
            pixman_image_composite32(PIXMAN_OP_OVER, knob.image, nullptr, panel.image, 0, 0, 0, 0,
                                     kKnobX, kKnobY, w, h);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kAngles * w * h);
}

} // namespace

// Interleaved, so that a burst of load on the machine hits both alike.
BENCHMARK(BM_RotatedKnobOurs)->Arg(0);
BENCHMARK(BM_RotatedKnobPixman)->Arg(0);
BENCHMARK(BM_RotatedKnobOurs)->Arg(1);
BENCHMARK(BM_RotatedKnobPixman)->Arg(1);
