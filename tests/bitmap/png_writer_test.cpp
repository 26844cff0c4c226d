#include "bitmap/heap_bitmap.h"
#include "bitmap/png_loader.h"
#include "bitmap/png_writer.h"
#include "png_fixtures.h"

#include <gtest/gtest.h>
#include <png.h>

namespace {

TEST(EncodePng, WritesStraightRgba) {
    HeapBitmap bitmap(3, 2, 4);
    const std::uint32_t pixels[6] = {0x80102030, 0xFFFF0000, 0x00000000,
                                     0x01020304, 0xFFFFFFFF, 0x7F00FF00};
    for (int i = 0; i < 6; ++i)
        bitmap.Bits()[(i / 3) * bitmap.RowSpan() + i % 3] = pixels[i];
    const std::vector<std::uint8_t> png = EncodePng(bitmap);
    ASSERT_FALSE(png.empty());

    // Decoded by libpng itself, as RGBA bytes.
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 2u);
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    const std::vector<std::uint8_t> expected = {0x10, 0x20, 0x30, 0x80, 0xFF, 0,    0,    0xFF,
                                                0,    0,    0,    0,    0x02, 0x03, 0x04, 0x01,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0,    0xFF, 0,    0x7F};
    EXPECT_EQ(rgba, expected);

    // And read back by the loader.
    auto back = LoadPngMemory(png.data(), png.size());
    ASSERT_TRUE(back);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(back->Bits()[(i / 3) * back->RowSpan() + i % 3], pixels[i]);
}

TEST(EncodePng, RgbDropsAlpha) {
    HeapBitmap bitmap(2, 1, 4);
    bitmap.Bits()[0] = 0x80102030;
    bitmap.Bits()[1] = 0x00FFEEDD;
    const std::vector<std::uint8_t> png = EncodePng(bitmap, PngChannels::Rgb);
    ASSERT_FALSE(png.empty());

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
    EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u); // stored without an alpha channel
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(rgb, (std::vector<std::uint8_t>{0x10, 0x20, 0x30, 0xFF, 0xEE, 0xDD}));
}

TEST(EncodePng, NothingToWrite) {
    HeapBitmap empty(0, 0, 4);
    EXPECT_TRUE(EncodePng(empty).empty());
    EXPECT_FALSE(WritePngFile(empty, "unused.png"));
}

TEST(WritePngFile, WritesAFileTheLoaderReads) {
    HeapBitmap bitmap(2, 2, 4);
    for (int i = 0; i < 4; ++i)
        bitmap.Bits()[(i / 2) * bitmap.RowSpan() + i % 2] = 0xFF000000u + i;
    const TempFile file("velmorande_writer_test_" +
                        std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".png");
    ASSERT_TRUE(WritePngFile(bitmap, file.Path().c_str()));
    auto back = LoadPngFile(file.Path().c_str());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Bits()[back->RowSpan() + 1], 0xFF000003u);
    EXPECT_FALSE(WritePngFile(bitmap, "/nonexistent-dir/x.png"));
}

} // namespace
