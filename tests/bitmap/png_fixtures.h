#pragma once

#include <cstdint>
#include <string>
#include <vector>

// PNG files built for the tests straight through libpng, independent of the code under
// test, in any colour type and bit depth.
struct PngImage {
    int width = 0;
    int height = 0;
    int bitDepth = 8;
    int colourType = 6; // PNG_COLOR_TYPE_*
    bool interlaced = false;
    std::vector<std::vector<std::uint8_t>> rows; // packed as the PNG stores them
    std::vector<std::uint8_t> palette;           // R, G, B triples
    std::vector<std::uint8_t> paletteAlpha;      // tRNS for palette images
    int transparentGrey = -1;                    // tRNS for grey images
};

std::vector<std::uint8_t> EncodeFixture(const PngImage& image);

// A file in the test's temporary directory, removed when the object goes.
class TempFile {
public:
    explicit TempFile(const std::string& name);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& Path() const { return path_; }
    bool Write(const std::vector<std::uint8_t>& bytes) const;

private:
    std::string path_;
};
