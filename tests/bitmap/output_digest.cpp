// Not a test: prints a digest of what the bitmap code draws and decodes over many seeded
// random inputs. Run it before and after a change that must not alter any pixel; the two
// digests must match.
#include "bitmap/blit.h"
#include "bitmap/png_loader.h"
#include "png_fixtures.h"
#include "test_bitmap.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace {

// FNV-1a over 32-bit words.
struct Digest {
    std::uint64_t h = 1469598103934665603ull;
    void Add(std::uint32_t word) {
        for (int i = 0; i < 4; ++i) {
            h ^= (word >> (8 * i)) & 0xFF;
            h *= 1099511628211ull;
        }
    }
    void Add(const TestBitmap& b) {
        Add(static_cast<std::uint32_t>(b.Width()));
        Add(static_cast<std::uint32_t>(b.Height()));
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.RowSpan(); ++x)
                Add(b.Stored(x, y));
    }
};

// Channels biased towards 0 and 255, where the combiners have their special cases.
std::uint32_t RandomPixel(std::mt19937& rng) {
    std::uint32_t p = 0;
    for (int i = 0; i < 4; ++i) {
        const unsigned pick = rng() % 4;
        const std::uint32_t c = pick == 0 ? 0 : pick == 1 ? 255 : rng() & 0xFF;
        p |= c << (8 * i);
    }
    return p;
}

TestBitmap RandomBitmap(std::mt19937& rng, int w, int h) {
    TestBitmap b(w, h, 0, rng() % 4 == 0, static_cast<int>(rng() % 5));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < b.RowSpan(); ++x)
            b.Stored(x, y) = RandomPixel(rng);
    return b;
}

float RandomAlpha(std::mt19937& rng) {
    static const float kAlphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, 0.001f, 0.999f, 1.5f};
    if (rng() % 2) return kAlphas[rng() % 8];
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
}

BlendMode RandomMode(std::mt19937& rng) {
    BlendMode mode = rng() % 7; // 6 draws nothing
    if (rng() % 2) mode |= BLEND_SOURCE_ALPHA;
    return mode;
}

void RotatedBlits(Digest& digest, std::mt19937& rng, int count) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < count; ++i) {
        const int sw = 1 + static_cast<int>(rng() % 40), sh = 1 + static_cast<int>(rng() % 40);
        const TestBitmap src = RandomBitmap(rng, sw, sh);
        TestBitmap dest =
            RandomBitmap(rng, 1 + static_cast<int>(rng() % 60), 1 + static_cast<int>(rng() % 60));
        int dw = static_cast<int>(rng() % 70) - 5, dh = static_cast<int>(rng() % 70) - 5;
        if (rng() % 3 == 0) dw = sw, dh = sh;
        const int dx = static_cast<int>(rng() % 80) - 30, dy = static_cast<int>(rng() % 80) - 30;
        float angle = (unit(rng) - 0.5f) * 16.0f;
        if (rng() % 8 == 0) angle = static_cast<float>(rng() % 5) * 1.5707964f;
        const float srcX = (unit(rng) - 0.3f) * static_cast<float>(sw);
        const float srcY = (unit(rng) - 0.3f) * static_cast<float>(sh);
        float srcW = rng() % 2 ? static_cast<float>(sw) : unit(rng) * 2.0f * sw;
        float srcH = rng() % 2 ? static_cast<float>(sh) : unit(rng) * 2.0f * sh;
        bool whole = rng() % 2;
        if (rng() % 8 == 0) {
            // Steps so large that the 16.16 walk wraps within a row.
            static const float kHuge[] = {1e3f, 1e5f, 3e6f, 1e9f};
            srcW *= kHuge[rng() % 4];
            srcH *= kHuge[rng() % 4];
            whole = false;
        }
        const float offX = rng() % 2 ? 0.0f : (unit(rng) - 0.5f) * 10.0f;
        const float offY = rng() % 2 ? 0.0f : (unit(rng) - 0.5f) * 10.0f;
        BlendMode mode = RandomMode(rng);
        if (rng() % 4 != 0) mode |= BLEND_BILINEAR;
        BlitRotated(&dest, &src, dx, dy, dw, dh, whole ? 0.0f : srcX, whole ? 0.0f : srcY,
                    whole ? static_cast<float>(sw) : srcW, whole ? static_cast<float>(sh) : srcH,
                    angle, rng() % 3 == 0, RandomAlpha(rng), mode, offX, offY);
        digest.Add(dest);
    }
}

void KnobBlits(Digest& digest, std::mt19937& rng, int count) {
    // The editor's case: a whole knob at its own size, bilinear, source alpha.
    const TestBitmap knob = RandomBitmap(rng, 48, 48);
    TestBitmap dest = RandomBitmap(rng, 530, 210);
    for (int i = 0; i < count; ++i) {
        const float angle = std::uniform_real_distribution<float>(-7.0f, 7.0f)(rng);
        const int x = static_cast<int>(rng() % 560) - 30, y = static_cast<int>(rng() % 240) - 30;
        BlitRotated(&dest, &knob, x, y, 48, 48, 0, 0, 48, 48, angle, false,
                    rng() % 2 ? 1.0f : RandomAlpha(rng),
                    BLEND_BILINEAR | BLEND_SOURCE_ALPHA | (rng() % 3 == 0 ? BLEND_ADD : 0), 0, 0);
    }
    digest.Add(dest);
}

void Blits(Digest& digest, std::mt19937& rng, int count) {
    for (int i = 0; i < count; ++i) {
        const TestBitmap src =
            RandomBitmap(rng, 1 + static_cast<int>(rng() % 30), 1 + static_cast<int>(rng() % 30));
        TestBitmap dest =
            RandomBitmap(rng, 1 + static_cast<int>(rng() % 30), 1 + static_cast<int>(rng() % 30));
        BlendMode mode = RandomMode(rng);
        if (rng() % 10 == 0)
            mode = BlendChannelCopy(static_cast<int>(rng() % 4), static_cast<int>(rng() % 4));
        const IPlugRect rect{static_cast<int>(rng() % 20) - 5, static_cast<int>(rng() % 20) - 5,
                             static_cast<int>(rng() % 40), static_cast<int>(rng() % 40)};
        BlitBitmap(&dest, &src, static_cast<int>(rng() % 30) - 10,
                   static_cast<int>(rng() % 30) - 10, rng() % 3 == 0 ? nullptr : &rect,
                   RandomAlpha(rng), mode);
        digest.Add(dest);
        FillRectangle(&dest, static_cast<int>(rng() % 30) - 10, static_cast<int>(rng() % 30) - 10,
                      static_cast<int>(rng() % 40), static_cast<int>(rng() % 40), RandomPixel(rng),
                      RandomAlpha(rng), RandomMode(rng));
        digest.Add(dest);
    }
}

// Every colour type and depth libpng writes, random contents, some with tRNS, interlaced
// or not.
void Decodes(Digest& digest, std::mt19937& rng, int count) {
    struct Format {
        int type, depth;
    };
    static const Format kFormats[] = {{0, 1}, {0, 2},  {0, 4},  {0, 8}, {0, 16},
                                      {2, 8}, {2, 16}, {3, 1},  {3, 2}, {3, 4},
                                      {3, 8}, {4, 8},  {4, 16}, {6, 8}, {6, 16}};
    for (int i = 0; i < count; ++i) {
        const Format f = kFormats[i % 15];
        PngImage image;
        image.width = 1 + static_cast<int>(rng() % 40);
        image.height = 1 + static_cast<int>(rng() % 20);
        image.bitDepth = f.depth;
        image.colourType = f.type;
        image.interlaced = rng() % 3 == 0;
        const int channels = f.type == 2 ? 3 : f.type == 4 ? 2 : f.type == 6 ? 4 : 1;
        const int rowBytes = (image.width * channels * f.depth + 7) / 8;
        for (int y = 0; y < image.height; ++y) {
            std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
            for (auto& b : row)
                b = static_cast<std::uint8_t>(RandomPixel(rng));
            if (f.type == 3 && f.depth == 8)
                for (auto& b : row)
                    b = static_cast<std::uint8_t>(b % 16);
            image.rows.push_back(row);
        }
        if (f.type == 3) {
            const int entries = f.depth == 8 ? 16 : 1 << f.depth;
            for (int k = 0; k < entries * 3; ++k)
                image.palette.push_back(static_cast<std::uint8_t>(rng()));
            if (rng() % 2)
                for (int k = 0; k < entries; ++k)
                    image.paletteAlpha.push_back(static_cast<std::uint8_t>(rng()));
        }
        if (f.type == 0 && rng() % 2)
            image.transparentGrey = static_cast<int>(rng() % (1u << std::min(f.depth, 8)));
        const std::vector<std::uint8_t> bytes = EncodeFixture(image);
        TestBitmap into(1, 1);
        auto bitmap = LoadPngMemory(bytes.data(), bytes.size());
        digest.Add(bitmap ? 1u : 0u);
        if (!bitmap) continue;
        digest.Add(static_cast<std::uint32_t>(bitmap->Width()));
        digest.Add(static_cast<std::uint32_t>(bitmap->Height()));
        for (int y = 0; y < bitmap->Height(); ++y)
            for (int x = 0; x < bitmap->Width(); ++x)
                digest.Add(bitmap->Bits()[y * bitmap->RowSpan() + x]);
    }
}

} // namespace

int main(int argc, char** argv) {
    const int scale = argc > 1 ? std::stoi(argv[1]) : 1;
    struct Part {
        const char* name;
        void (*run)(Digest&, std::mt19937&, int);
        int count;
    };
    const Part parts[] = {{"rotated", RotatedBlits, 20000},
                          {"knob", KnobBlits, 5000},
                          {"blit+fill", Blits, 20000},
                          {"png", Decodes, 3000}};
    for (const Part& part : parts) {
        Digest digest;
        std::mt19937 rng(12345);
        part.run(digest, rng, part.count * scale);
        std::printf("%-10s %016llx\n", part.name, static_cast<unsigned long long>(digest.h));
    }
    return 0;
}
