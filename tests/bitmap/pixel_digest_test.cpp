// Every drawing and decoding path held to a committed digest of what it produces over
// seeded random inputs: blits and fills in every mode and weight, channel copies, rotated
// blits (nearest, bilinear, mirrored, clipped, wrapping steps), lines, blurs (apart, in
// place, overlapping, wider than the stack row) and PNG decoding. Any change to a single
// pixel changes a digest. A change meant to alter pixels updates the digest it names, and
// says why in its commit.
#include "bitmap/blit.h"
#include "bitmap/png_loader.h"
#include "png_fixtures.h"
#include "test_bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// FNV-1a over the bytes of 32-bit words.
struct Digest {
    std::uint64_t h = 1469598103934665603ull;
    void Add(std::uint32_t word) {
        for (int i = 0; i < 4; ++i) {
            h ^= (word >> (8 * i)) & 0xFF;
            h *= 1099511628211ull;
        }
    }
    // Every stored word, the padding beyond each row included: no routine may write there.
    void Add(const TestBitmap& b) {
        Add(static_cast<std::uint32_t>(b.Width()));
        Add(static_cast<std::uint32_t>(b.Height()));
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.RowSpan(); ++x)
                Add(b.Stored(x, y));
    }
    std::string Hex() const {
        char text[19];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
        return text;
    }
};

// Random choices from std::mt19937 alone, whose sequence the standard fixes, so that the
// digests do not depend on a library's distributions.
class Random {
public:
    std::uint32_t Next() { return rng_(); }
    int Int(int lo, int hi) {
        return lo + static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1));
    }
    bool OneIn(unsigned n) { return rng_() % n == 0; }
    float Unit() { return static_cast<float>(rng_() >> 8) * (1.0f / 16777216.0f); }

    // Channels leaning towards 0 and 255, where the combiners have their special cases.
    std::uint32_t Pixel() {
        std::uint32_t p = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned pick = rng_() % 4;
            const std::uint32_t c = pick == 0 ? 0 : pick == 1 ? 255 : rng_() & 0xFF;
            p |= c << (8 * i);
        }
        return p;
    }
    // Random contents in every stored word; some bottom-up, padded rows of 0 to 4 pixels.
    TestBitmap Bitmap(int w, int h) {
        TestBitmap b(w, h, 0, OneIn(4), Int(0, 4));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < b.RowSpan(); ++x)
                b.Stored(x, y) = Pixel();
        return b;
    }
    // The word-shortcut weights and the edges often, any weight otherwise.
    float Alpha() {
        static const float kAlphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, 0.001f, 0.999f, 1.5f};
        if (OneIn(2)) return kAlphas[Int(0, 7)];
        return Unit();
    }
    // Every operation, with and without the source-alpha flag; 6 draws nothing.
    BlendMode Mode() {
        BlendMode mode = static_cast<BlendMode>(Int(0, 6));
        if (OneIn(2)) mode |= BLEND_SOURCE_ALPHA;
        return mode;
    }

private:
    std::mt19937 rng_{12345};
};

void Blits(Digest& digest, Random& rng, int count) {
    for (int i = 0; i < count; ++i) {
        const TestBitmap src = rng.Bitmap(rng.Int(1, 30), rng.Int(1, 30));
        TestBitmap dest = rng.Bitmap(rng.Int(1, 30), rng.Int(1, 30));
        BlendMode mode = rng.Mode();
        if (rng.OneIn(10)) mode = BlendChannelCopy(rng.Int(0, 3), rng.Int(0, 3));
        const IPlugRect rect{rng.Int(-5, 14), rng.Int(-5, 14), rng.Int(0, 39), rng.Int(0, 39)};
        const int dx = rng.Int(-10, 19), dy = rng.Int(-10, 19);
        BlitBitmap(&dest, &src, dx, dy, rng.OneIn(3) ? nullptr : &rect, rng.Alpha(), mode);
        digest.Add(dest);
        const int fx = rng.Int(-10, 19), fy = rng.Int(-10, 19);
        const int fw = rng.Int(-2, 39), fh = rng.Int(-2, 39);
        FillRectangle(&dest, fx, fy, fw, fh, rng.Pixel(), rng.Alpha(), rng.Mode());
        digest.Add(dest);
    }
}

void RotatedBlits(Digest& digest, Random& rng, int count) {
    for (int i = 0; i < count; ++i) {
        const int sw = rng.Int(1, 40), sh = rng.Int(1, 40);
        const TestBitmap src = rng.Bitmap(sw, sh);
        TestBitmap dest = rng.Bitmap(rng.Int(1, 60), rng.Int(1, 60));
        int dw = rng.Int(-5, 64), dh = rng.Int(-5, 64);
        if (rng.OneIn(3)) dw = sw, dh = sh;
        const int dx = rng.Int(-30, 49), dy = rng.Int(-30, 49);
        float angle = (rng.Unit() - 0.5f) * 16.0f;
        if (rng.OneIn(8)) angle = static_cast<float>(rng.Int(0, 4)) * 1.5707964f;
        float srcX = (rng.Unit() - 0.3f) * static_cast<float>(sw);
        float srcY = (rng.Unit() - 0.3f) * static_cast<float>(sh);
        float srcW = rng.OneIn(2) ? static_cast<float>(sw) : rng.Unit() * 2.0f * sw;
        float srcH = rng.OneIn(2) ? static_cast<float>(sh) : rng.Unit() * 2.0f * sh;
        if (rng.OneIn(2))
            srcX = srcY = 0.0f, srcW = static_cast<float>(sw), srcH = static_cast<float>(sh);
        if (rng.OneIn(8)) {
            // Steps so large that the 16.16 walk wraps within a row.
            static const float kHuge[] = {1e3f, 1e5f, 3e6f, 1e9f};
            srcW *= kHuge[rng.Int(0, 3)];
            srcH *= kHuge[rng.Int(0, 3)];
        }
        const float offX = rng.OneIn(2) ? 0.0f : (rng.Unit() - 0.5f) * 10.0f;
        const float offY = rng.OneIn(2) ? 0.0f : (rng.Unit() - 0.5f) * 10.0f;
        BlendMode mode = rng.Mode();
        if (!rng.OneIn(4)) mode |= BLEND_BILINEAR;
        const bool clipToSource = rng.OneIn(3);
        BlitRotated(&dest, &src, dx, dy, dw, dh, srcX, srcY, srcW, srcH, angle, clipToSource,
                    rng.Alpha(), mode, offX, offY);
        digest.Add(dest);
    }
}

// The editor's case: a whole knob at its own size, bilinear, source alpha, over one panel.
void KnobBlits(Digest& digest, Random& rng, int count) {
    const TestBitmap knob = rng.Bitmap(48, 48);
    TestBitmap panel = rng.Bitmap(530, 210);
    for (int i = 0; i < count; ++i) {
        const float angle = (rng.Unit() - 0.5f) * 14.0f;
        const int x = rng.Int(-30, 529), y = rng.Int(-30, 209);
        const float alpha = rng.OneIn(2) ? 1.0f : rng.Alpha();
        const BlendMode mode = BLEND_BILINEAR | BLEND_SOURCE_ALPHA | (rng.OneIn(3) ? BLEND_ADD : 0);
        BlitRotated(&panel, &knob, x, y, 48, 48, 0, 0, 48, 48, angle, false, alpha, mode);
    }
    digest.Add(panel);
}

void Lines(Digest& digest, Random& rng, int count) {
    for (int i = 0; i < count; ++i) {
        TestBitmap dest = rng.Bitmap(rng.Int(1, 40), rng.Int(1, 40));
        int x1 = rng.Int(-20, 59), y1 = rng.Int(-20, 59), x2 = rng.Int(-20, 59),
            y2 = rng.Int(-20, 59);
        switch (rng.Int(0, 3)) {
        case 0:
            y2 = y1; // horizontal
            break;
        case 1:
            x2 = x1; // vertical
            break;
        case 2:
            y2 = y1 + (rng.OneIn(2) ? 1 : -1) * (x2 - x1); // diagonal
            break;
        default:
            break;
        }
        DrawLineSegment(&dest, x1, y1, x2, y2, rng.Pixel(), rng.Alpha(), rng.Mode(), rng.OneIn(2));
        digest.Add(dest);
    }
}

void Blurs(Digest& digest, Random& rng, int count) {
    for (int i = 0; i < count; ++i) {
        // Now and then wider than the row the in-place blur keeps on the stack.
        const bool wide = rng.OneIn(50);
        TestBitmap dest = rng.Bitmap(wide ? rng.Int(1025, 1100) : rng.Int(1, 30), rng.Int(1, 30));
        const int sx = rng.Int(-5, 24), sy = rng.Int(-5, 24);
        const int sw = wide ? rng.Int(1000, 1100) : rng.Int(-1, 34), sh = rng.Int(-1, 34);
        switch (rng.Int(0, 2)) {
        case 0: { // apart
            const TestBitmap src = rng.Bitmap(rng.Int(1, 30), rng.Int(1, 30));
            BlurRegion(&dest, &src, rng.Int(-10, 24), rng.Int(-10, 24), sx, sy, sw, sh);
            break;
        }
        case 1: // in place
            BlurRegion(&dest, &dest, sx, sy, sx, sy, sw, sh);
            break;
        default: // overlapping at another position
            BlurRegion(&dest, &dest, sx + rng.Int(-3, 3), sy + rng.Int(-3, 3), sx, sy, sw, sh);
            break;
        }
        digest.Add(dest);
    }
}

// Every colour type and depth libpng writes, random contents, some with tRNS, interlaced
// or not.
void Decodes(Digest& digest, Random& rng, int count) {
    struct Format {
        int type, depth;
    };
    static const Format kFormats[] = {{0, 1}, {0, 2},  {0, 4},  {0, 8}, {0, 16},
                                      {2, 8}, {2, 16}, {3, 1},  {3, 2}, {3, 4},
                                      {3, 8}, {4, 8},  {4, 16}, {6, 8}, {6, 16}};
    for (int i = 0; i < count; ++i) {
        const Format f = kFormats[i % 15];
        PngImage image;
        image.width = rng.Int(1, 40);
        image.height = rng.Int(1, 20);
        image.bitDepth = f.depth;
        image.colourType = f.type;
        image.interlaced = rng.OneIn(3);
        const int channels = f.type == 2 ? 3 : f.type == 4 ? 2 : f.type == 6 ? 4 : 1;
        const int rowBytes = (image.width * channels * f.depth + 7) / 8;
        for (int y = 0; y < image.height; ++y) {
            std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes));
            for (auto& b : row)
                b = static_cast<std::uint8_t>(f.type == 3 && f.depth == 8 ? rng.Next() % 16
                                                                          : rng.Pixel());
            image.rows.push_back(row);
        }
        if (f.type == 3) {
            const int entries = f.depth == 8 ? 16 : 1 << f.depth;
            for (int k = 0; k < entries * 3; ++k)
                image.palette.push_back(static_cast<std::uint8_t>(rng.Next()));
            if (rng.OneIn(2))
                for (int k = 0; k < entries; ++k)
                    image.paletteAlpha.push_back(static_cast<std::uint8_t>(rng.Next()));
        }
        if (f.type == 0 && rng.OneIn(2))
            image.transparentGrey = rng.Int(0, (1 << (f.depth < 8 ? f.depth : 8)) - 1);
        const std::vector<std::uint8_t> bytes = EncodeFixture(image);
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

struct Part {
    const char* name;
    void (*run)(Digest&, Random&, int);
    int count;
    const char* digest;
};

const Part kParts[] = {
    {"blit and fill", Blits, 4000, "4a4aca182233d379"},
    {"rotated", RotatedBlits, 3000, "376c11d3806aa68d"},
    {"knob", KnobBlits, 600, "081be19823da322b"},
    {"line", Lines, 3000, "91af2e97d53853d4"},
    {"blur", Blurs, 2000, "0b25b89f426e7413"},
    {"png", Decodes, 600, "5b44e969e70a02f6"},
};

} // namespace

TEST(PixelDigest, EveryPathDrawsWhatItDrewWhenTheDigestWasCommitted) {
    for (const Part& part : kParts) {
        Digest digest;
        Random rng;
        part.run(digest, rng, part.count);
        EXPECT_EQ(digest.Hex(), part.digest) << part.name;
    }
}
