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

TEST(LoadPngMemory, RgbWithoutTransparencyIsOpaque) {
    PngImage image;
    image.width = 2;
    image.height = 1;
    image.colourType = PNG_COLOR_TYPE_RGB;
    image.rows = {{1, 2, 3, 250, 251, 252}};
    auto bitmap = LoadPngMemory(EncodeFixture(image).data(), EncodeFixture(image).size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFF010203u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFFFAFBFCu);
}

TEST(LoadPngMemory, PaletteWithTransparency) {
    PngImage image;
    image.width = 4;
    image.height = 1;
    image.bitDepth = 2;
    image.colourType = PNG_COLOR_TYPE_PALETTE;
    image.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    image.paletteAlpha = {0, 128, 255}; // the fourth entry is opaque
    image.rows = {{0b00011011}};        // indices 0, 1, 2, 3
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x00FF0000u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x8000FF00u);
    EXPECT_EQ(Pixel(*bitmap, 2, 0), 0xFF0000FFu);
    EXPECT_EQ(Pixel(*bitmap, 3, 0), 0xFF090909u);
}

TEST(LoadPngMemory, PaletteWithoutTransparencyIsOpaque) {
    PngImage image;
    image.width = 3;
    image.height = 1;
    image.bitDepth = 8;
    image.colourType = PNG_COLOR_TYPE_PALETTE;
    image.palette = {255, 0, 0, 0, 255, 0, 1, 2, 3};
    image.rows = {{2, 0, 1}};
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFF010203u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(*bitmap, 2, 0), 0xFF00FF00u);
}

TEST(LoadPngMemory, OneBitGrey) {
    PngImage image;
    image.width = 8;
    image.height = 1;
    image.bitDepth = 1;
    image.colourType = PNG_COLOR_TYPE_GRAY;
    image.rows = {{0b10100101}};
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    const std::uint32_t expected[8] = {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFF000000,
                                       0xFF000000, 0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Pixel(*bitmap, x, 0), expected[x]) << x;
}

TEST(LoadPngMemory, TwoBitGreyIsScaledToEightBits) {
    PngImage image;
    image.width = 4;
    image.height = 1;
    image.bitDepth = 2;
    image.colourType = PNG_COLOR_TYPE_GRAY;
    image.rows = {{0b00011011}};
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFF000000u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFF555555u);
    EXPECT_EQ(Pixel(*bitmap, 2, 0), 0xFFAAAAAAu);
    EXPECT_EQ(Pixel(*bitmap, 3, 0), 0xFFFFFFFFu);
}

TEST(LoadPngMemory, GreyWithTransparentLevel) {
    PngImage image;
    image.width = 2;
    image.height = 1;
    image.colourType = PNG_COLOR_TYPE_GRAY;
    image.transparentGrey = 0x40;
    image.rows = {{0x40, 0x41}};
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x00404040u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFF414141u);
}

TEST(LoadPngMemory, GreyWithAlpha) {
    PngImage image;
    image.width = 2;
    image.height = 1;
    image.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    image.rows = {{0x40, 0x80, 0xC0, 0xFF}};
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x80404040u);
    EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFFC0C0C0u);
}

TEST(LoadPngMemory, SixteenBitKeepsTheHighByte) {
    PngImage image;
    image.width = 1;
    image.height = 2;
    image.bitDepth = 16;
    image.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    image.rows = {{0x12, 0xFF, 0x34, 0x80, 0x56, 0x7F, 0x78, 0x01},
                  {0xFF, 0xFF, 0x00, 0xFF, 0x80, 0x00, 0x7F, 0xFF}};
    const Bytes png = EncodeFixture(image);
    auto bitmap = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0x78123456u);
    EXPECT_EQ(Pixel(*bitmap, 0, 1), 0x7FFF0080u);

    PngImage grey16;
    grey16.width = 2;
    grey16.height = 1;
    grey16.bitDepth = 16;
    grey16.colourType = PNG_COLOR_TYPE_GRAY;
    grey16.rows = {{0x12, 0x34, 0xAB, 0xCD}};
    const Bytes greyPng = EncodeFixture(grey16);
    auto grey = LoadPngMemory(greyPng.data(), greyPng.size());
    ASSERT_TRUE(grey);
    EXPECT_EQ(Pixel(*grey, 0, 0), 0xFF121212u);
    EXPECT_EQ(Pixel(*grey, 1, 0), 0xFFABABABu);
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
