#pragma once
// HEIC and AVIF fixtures made in the test through libheif's own encoders (x265, libaom).

#include <cstdint>
#include <string>
#include <vector>

namespace tessoly::test {

struct HeifFixture {
    int width = 0, height = 0;
    //! 0xAARRGGBB pixels, top row first, width * height of them.
    std::vector<std::uint32_t> pixels;
    //! AV1 (AVIF) instead of HEVC (HEIC).
    bool av1 = false;
    //! Keep the alpha channel.
    bool alpha = false;
    //! The transform stored in the file as irot/imir, in Exif's numbering 1..8.
    int orientation = 1;
    //! Exif orientation tag to store in an Exif block (0: no Exif block).
    int exifOrientation = 0;
    //! ICC profile bytes to store (empty: none).
    std::string iccProfile;
};

//! Writes the fixture to path; false with nothing written when libheif refuses.
bool WriteHeifFixture(const std::string& path, const HeifFixture& fixture);
//! A small big-endian Exif block (TIFF header, one directory) holding the orientation tag.
std::string ExifWithOrientation(int orientation);

} // namespace tessoly::test
