#include "bitmap/heap_bitmap.h"
#include "bitmap/image_loaders.h"
#include "bitmap/png_loader.h"
#include "png_fixtures.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t Pixel(const PixelBitmap& b, int x, int y) {
    return b.Bits()[y * b.RowSpan() + x];
}

PngImage Rgba2x2() {
    PngImage image;
    image.width = 2;
    image.height = 2;
    image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    image.rows = {{0x10, 0x20, 0x30, 0x80, 0xFF, 0x00, 0x00, 0xFF},
                  {0x00, 0x00, 0xFF, 0x00, 0x01, 0x02, 0x03, 0x04}};
    return image;
}

// Unique per test, since tests run in parallel processes.
std::string TempName(const char* stem) {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    return std::string("velmorande_") + info->test_suite_name() + "_" + info->name() + "_" + stem;
}

TEST(LoadPngMemory, RgbaBecomesPixelWordsWithStraightAlpha) {
    const Bytes png = EncodeFixture(Rgba2x2());
    ASSERT_FALSE(png.empty());
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 2);
    EXPECT_EQ(bitmap->Height(), 2);
    EXPECT_EQ(bitmap->RowSpan(), 4); // a HeapBitmap with rows aligned to 4
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x80102030u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*bitmap, 0, 1), 0x000000FFu);
    EXPECT_EQ(Pixel(*bitmap, 1, 1), 0x04010203u);

    // In memory: B, G, R, A.
    const auto* bytes = reinterpret_cast<const unsigned char*>(bitmap->Bits());
    EXPECT_EQ(bytes[0], 0x30);
    EXPECT_EQ(bytes[1], 0x20);
    EXPECT_EQ(bytes[2], 0x10);
    EXPECT_EQ(bytes[3], 0x80);
}

// Every colour type at the depths that need their own handling, and what each becomes:
// pixel words 0xAARRGGBB with straight alpha, opaque without transparency, grey spread to
// the three colours, low depths scaled to eight bits, sixteen bits cut to their high byte,
// tRNS turned into alpha.
TEST(LoadPngMemory, EveryFormatDecodesToPixelWords) {
    struct Case {
        const char* name;
        PngImage image;
        std::vector<std::uint32_t> pixels; // row by row
    };
    using Rows = std::vector<std::vector<std::uint8_t>>;
    auto png = [](int width, int height, int depth, int type, Rows rows) {
        PngImage image;
        image.width = width;
        image.height = height;
        image.bitDepth = depth;
        image.colourType = type;
        image.rows = std::move(rows);
        return image;
    };
    PngImage palette2 = png(4, 1, 2, PNG_COLOR_TYPE_PALETTE, {{0b00011011}}); // 0, 1, 2, 3
    palette2.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    palette2.paletteAlpha = {0, 128, 255}; // the fourth entry is opaque
    PngImage palette8 = png(3, 1, 8, PNG_COLOR_TYPE_PALETTE, {{2, 0, 1}});
    palette8.palette = {255, 0, 0, 0, 255, 0, 1, 2, 3};
    PngImage greyKey = png(2, 1, 8, PNG_COLOR_TYPE_GRAY, {{0x40, 0x41}});
    greyKey.transparentGrey = 0x40;

    const Case cases[] = {
        {"RGB without transparency is opaque",
         png(2, 1, 8, PNG_COLOR_TYPE_RGB, {{1, 2, 3, 250, 251, 252}}),
         {0xFF010203, 0xFFFAFBFC}},
        {"2-bit palette with transparency",
         palette2,
         {0x00FF0000, 0x8000FF00, 0xFF0000FF, 0xFF090909}},
        {"palette without transparency is opaque", palette8, {0xFF010203, 0xFFFF0000, 0xFF00FF00}},
        {"1-bit grey",
         png(8, 1, 1, PNG_COLOR_TYPE_GRAY, {{0b10100101}}),
         {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFF000000,
          0xFFFFFFFF}},
        {"2-bit grey is scaled to eight bits",
         png(4, 1, 2, PNG_COLOR_TYPE_GRAY, {{0b00011011}}),
         {0xFF000000, 0xFF555555, 0xFFAAAAAA, 0xFFFFFFFF}},
        {"grey with a transparent level", greyKey, {0x00404040, 0xFF414141}},
        {"grey with alpha",
         png(2, 1, 8, PNG_COLOR_TYPE_GRAY_ALPHA, {{0x40, 0x80, 0xC0, 0xFF}}),
         {0x80404040, 0xFFC0C0C0}},
        {"16-bit RGBA keeps the high byte",
         png(1, 2, 16, PNG_COLOR_TYPE_RGB_ALPHA,
             {{0x12, 0xFF, 0x34, 0x80, 0x56, 0x7F, 0x78, 0x01},
              {0xFF, 0xFF, 0x00, 0xFF, 0x80, 0x00, 0x7F, 0xFF}}),
         {0x78123456, 0x7FFF0080}},
        {"16-bit grey keeps the high byte",
         png(2, 1, 16, PNG_COLOR_TYPE_GRAY, {{0x12, 0x34, 0xAB, 0xCD}}),
         {0xFF121212, 0xFFABABAB}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes png = EncodeFixture(c.image);
        auto bitmap = LoadPngMemory(png.data(), png.size());
        ASSERT_TRUE(bitmap);
        ASSERT_EQ(bitmap->Width(), c.image.width);
        ASSERT_EQ(bitmap->Height(), c.image.height);
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < bitmap->Height(); ++y)
            for (int x = 0; x < bitmap->Width(); ++x)
                pixels.push_back(Pixel(*bitmap, x, y));
        EXPECT_EQ(pixels, c.pixels);
    }
}

TEST(LoadPngMemory, InterlacedGivesTheSamePixels) {
    PngImage image;
    image.width = 9;
    image.height = 7;
    image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int y = 0; y < image.height; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < image.width; ++x)
            row.insert(row.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                   static_cast<std::uint8_t>(x * y), 200});
        image.rows.push_back(row);
    }
    image.interlaced = true;
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            EXPECT_EQ(Pixel(*bitmap, x, y), 0xC8000000u | (x << 16) | (y << 8) | (x * y));
}

TEST(LoadPngMemory, ResizesTheCallersBitmap) {
    PngImage image;
    image.width = 20;
    image.height = 15;
    image.colourType = PNG_COLOR_TYPE_RGB;
    image.rows.assign(15, std::vector<std::uint8_t>(60, 0x33));
    image.rows[14][57] = 0x44;
    const Bytes png = EncodeFixture(image);
    HeapBitmap into(10, 10, 4);
    ASSERT_TRUE(LoadPngMemory(png.data(), png.size(), into));
    EXPECT_EQ(into.Width(), 20);
    EXPECT_EQ(into.Height(), 15);
    EXPECT_EQ(Pixel(into, 0, 0), 0xFF333333u);
    EXPECT_EQ(Pixel(into, 19, 14), 0xFF443333u);
}

TEST(LoadPngMemory, TruncatedDataFailsCleanly) {
    const Bytes png = EncodeFixture(Rgba2x2());
    const std::size_t iend = std::string(png.begin(), png.end()).find("IEND") - 4;
    for (std::size_t keep :
         {std::size_t{8}, std::size_t{20}, std::size_t{33}, std::size_t{40}, iend - 9, iend - 1}) {
        // An exact-size copy, so that any read beyond it would be caught.
        const Bytes cut(png.begin(), png.begin() + static_cast<long>(keep));
        EXPECT_FALSE(LoadPngMemory(cut.data(), cut.size())) << keep;
        HeapBitmap into(1, 1, 4);
        EXPECT_FALSE(LoadPngMemory(cut.data(), cut.size(), into)) << keep;
    }
    // The end chunk is never read: with all image data present, the image is complete.
    const Bytes noEnd(png.begin(), png.begin() + static_cast<long>(iend));
    EXPECT_TRUE(LoadPngMemory(noEnd.data(), noEnd.size()));
}

TEST(LoadPngMemory, RejectsWhatIsNotPng) {
    const Bytes png = EncodeFixture(Rgba2x2());
    EXPECT_FALSE(LoadPngMemory(nullptr, 100));
    EXPECT_FALSE(LoadPngMemory(png.data(), 7));
    const char text[] = "not a png file at all";
    EXPECT_FALSE(LoadPngMemory(text, sizeof text));
    Bytes corrupt = png;
    corrupt[20] ^= 0x01; // inside IHDR: its CRC no longer matches
    EXPECT_FALSE(LoadPngMemory(corrupt.data(), corrupt.size()));
    HeapBitmap into(3, 3, 4);
    EXPECT_FALSE(LoadPngMemory(text, sizeof text, into));
    EXPECT_EQ(into.Width(), 3); // refused before decoding: untouched
}

// The PNG with one more chunk spliced in after IHDR; its CRC is right unless the
// declared length is a lie.
Bytes WithChunkAfterHeader(const Bytes& png, const char* type, const Bytes& data,
                           std::uint32_t declaredLength) {
    Bytes chunk = {static_cast<std::uint8_t>(declaredLength >> 24),
                   static_cast<std::uint8_t>(declaredLength >> 16),
                   static_cast<std::uint8_t>(declaredLength >> 8),
                   static_cast<std::uint8_t>(declaredLength)};
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    const auto crc =
        static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4)));
    chunk.insert(chunk.end(),
                 {static_cast<std::uint8_t>(crc >> 24), static_cast<std::uint8_t>(crc >> 16),
                  static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)});
    // Signature and IHDR, the new chunk, the rest.
    Bytes out(png.size() + chunk.size());
    std::copy(png.begin(), png.begin() + 33, out.begin());
    std::copy(chunk.begin(), chunk.end(), out.begin() + 33);
    std::copy(png.begin() + 33, png.end(), out.begin() + 33 + static_cast<long>(chunk.size()));
    return out;
}

TEST(LoadPngMemory, SkipsLargeAncillaryChunks) {
    const Bytes png = EncodeFixture(Rgba2x2());
    Bytes text(200000, 'x');
    text[5] = 0; // keyword "xxxxx"
    const Bytes withText =
        WithChunkAfterHeader(png, "tEXt", text, static_cast<std::uint32_t>(text.size()));
    auto bitmap = LoadPngMemory(withText.data(), withText.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x80102030u);
}

// A stream over a byte block that counts what the decoder asks of it.
struct CountingStream {
    const Bytes* data;
    std::size_t position = 0;
    std::uint64_t requested = 0;

    static std::size_t Read(void* context, std::uint8_t* out, std::size_t length) {
        auto* self = static_cast<CountingStream*>(context);
        self->requested += length;
        const std::size_t n = std::min(length, self->data->size() - self->position);
        std::copy_n(self->data->begin() + static_cast<long>(self->position), n, out);
        self->position += n;
        return n;
    }
};

TEST(LoadPngStream, ReadsTheImage) {
    const Bytes png = EncodeFixture(Rgba2x2());
    CountingStream stream{&png};
    auto bitmap = LoadPngStream(CountingStream::Read, &stream);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 1, 1), 0x04010203u);
    EXPECT_FALSE(LoadPngStream(nullptr, &stream));
}

TEST(LoadPngStream, ChunkClaimingMoreThanTheDataFailsWithoutReadingIt) {
    // Chunks claiming 1.6 GB in a file of a hundred bytes, one the decoder knows (a
    // compressed text) and one it does not: refused as soon as the data runs out, having
    // asked for hardly more than there is.
    const Bytes png = EncodeFixture(Rgba2x2());
    for (const char* type : {"zTXt", "grOW"}) {
        const Bytes lying =
            WithChunkAfterHeader(png, type, Bytes{'k', 0, 0, 0x78, 0xDA}, 0x63606462);
        CountingStream stream{&lying};
        EXPECT_FALSE(LoadPngStream(CountingStream::Read, &stream)) << type;
        EXPECT_LT(stream.requested, 65536u) << type;
        EXPECT_EQ(stream.position, lying.size()) << type;

        // The memory loader reads the same way.
        EXPECT_FALSE(LoadPngMemory(lying.data(), lying.size())) << type;
        HeapBitmap into(1, 1, 4);
        EXPECT_FALSE(LoadPngMemory(lying.data(), lying.size(), into)) << type;
    }
}

TEST(LoadPngFile, LoadsAndFails) {
    const TempFile file(TempName("image.png"));
    ASSERT_TRUE(file.Write(EncodeFixture(Rgba2x2())));
    auto bitmap = LoadPngFile(file.Path().c_str());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x80102030u);

    HeapBitmap into(1, 1, 4);
    EXPECT_TRUE(LoadPngFile(file.Path().c_str(), into));
    EXPECT_EQ(into.Width(), 2);
    EXPECT_EQ(Pixel(into, 1, 1), 0x04010203u);

    EXPECT_FALSE(LoadPngFile((file.Path() + ".missing").c_str()));
    EXPECT_FALSE(LoadPngFile(nullptr));
    const TempFile text(TempName("text.png"));
    ASSERT_TRUE(text.Write(Bytes{'h', 'e', 'l', 'l', 'o', '\n', 0, 0, 0, 0}));
    EXPECT_FALSE(LoadPngFile(text.Path().c_str()));
}

TEST(LoadPngFile, TruncatedFileFails) {
    const Bytes png = EncodeFixture(Rgba2x2());
    const TempFile file(TempName("cut.png"));
    ASSERT_TRUE(file.Write(Bytes(png.begin(), png.end() - 14)));
    EXPECT_FALSE(LoadPngFile(file.Path().c_str()));
}

TEST(LoadPngFile, NameInUtf8) {
    const TempFile file(TempName("b\xC3\xA4r.png"));
    ASSERT_TRUE(file.Write(EncodeFixture(Rgba2x2())));
    EXPECT_TRUE(LoadPngFile(file.Path().c_str()));
}

TEST(PngLoaderEntry, IsRegisteredAndChecksTheExtension) {
    LoaderEntry* png = nullptr;
    for (LoaderEntry* e = ImageLoaders(); e; e = e->next)
        if (std::strcmp(e->description(), "PNG files (*.PNG)") == 0) png = e;
    ASSERT_NE(png, nullptr);

    const Bytes bytes = EncodeFixture(Rgba2x2());
    const TempFile upper(TempName("PICTURE.PNG")), other(TempName("picture.png.bak"));
    ASSERT_TRUE(upper.Write(bytes));
    ASSERT_TRUE(other.Write(bytes));

    std::unique_ptr<PixelBitmap> loaded(png->load(upper.Path().c_str(), true, nullptr));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Width(), 2);
    EXPECT_EQ(png->load(other.Path().c_str(), true, nullptr), nullptr);
    std::unique_ptr<PixelBitmap> unchecked(png->load(other.Path().c_str(), false, nullptr));
    EXPECT_TRUE(unchecked);

    HeapBitmap into(1, 1, 4);
    EXPECT_EQ(png->load(upper.Path().c_str(), true, &into), &into);
    EXPECT_EQ(into.Width(), 2);
}

TEST(HasExtension, ComparesTheTailWithoutCase) {
    EXPECT_TRUE(HasExtension("knob.png", ".png"));
    EXPECT_TRUE(HasExtension("dir/KNOB.PNG", ".png"));
    EXPECT_TRUE(HasExtension(".Png", ".png"));
    EXPECT_FALSE(HasExtension("knob.png.bak", ".png"));
    EXPECT_FALSE(HasExtension("PNG", ".png"));
    EXPECT_FALSE(HasExtension("dir.png/knob", ".png"));
    EXPECT_FALSE(HasExtension("dir.png\\knob", ".png"));
    EXPECT_FALSE(HasExtension("knob.pn", ".png"));
    EXPECT_FALSE(HasExtension("", ".png"));
    EXPECT_FALSE(HasExtension(nullptr, ".png"));
}

} // namespace
