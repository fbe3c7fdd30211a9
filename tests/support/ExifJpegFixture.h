#pragma once
// JPEG files that carry an Exif orientation, for the orientation tests. FreeImage writes Exif only
// as a raw block it has read, so the segment is built here: an APP1 "Exif" segment holding a
// little-endian TIFF header and one IFD with the Orientation tag alone, spliced in after the JFIF
// segment of a JPEG that FreeImage encoded.
//
// Where a stored pixel is seen comes from the Exif standard's own table (which side of the
// picture the stored row 0 and column 0 show), not from the program's code.

#include <gtest/gtest.h>
#include <string>

#include <FreeImage.h>

#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

namespace tessoly::test {

//! The side of the picture a viewer shows.
enum class Side { Top, Bottom, Left, Right };

//! Exif orientation 1..8: the side the stored row 0 shows, and the side the stored column 0 shows.
struct OrientationSides {
    int orientation;
    Side row0;
    Side column0;
};
inline constexpr OrientationSides kOrientationSides[] = {
    {1, Side::Top, Side::Left},    {2, Side::Top, Side::Right},  {3, Side::Bottom, Side::Right},
    {4, Side::Bottom, Side::Left}, {5, Side::Left, Side::Top},   {6, Side::Right, Side::Top},
    {7, Side::Right, Side::Bottom}, {8, Side::Left, Side::Bottom},
};

//! Where a viewer shows stored pixel (sx, sy) of a storedWidth x storedHeight picture.
inline void ViewedPosition(int orientation, int storedWidth, int storedHeight, int sx, int sy, int& vx,
                           int& vy) {
    const OrientationSides& sides = kOrientationSides[orientation - 1];
    if (sides.row0 == Side::Top || sides.row0 == Side::Bottom) {
        vy = sides.row0 == Side::Top ? sy : storedHeight - 1 - sy;
        vx = sides.column0 == Side::Left ? sx : storedWidth - 1 - sx;
    } else {
        vx = sides.row0 == Side::Left ? sy : storedHeight - 1 - sy;
        vy = sides.column0 == Side::Top ? sx : storedWidth - 1 - sx;
    }
}

//! The APP1 segment, marker and length included, that states orientation.
inline std::string ExifOrientationSegment(int orientation) {
    const std::string body = std::string("Exif\0\0", 6) +
                             std::string("II*\0\x08\0\0\0", 8) + // TIFF header, IFD0 at offset 8
                             std::string("\x01\0", 2) +          // one entry
                             std::string("\x12\x01\x03\0\x01\0\0\0", 8) + // Orientation, SHORT, 1 value
                             std::string(1, static_cast<char>(orientation)) + std::string(3, '\0') +
                             std::string(4, '\0'); // no next IFD
    const std::size_t length = body.size() + 2;
    return std::string("\xFF\xE1", 2) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF) + body;
}

//! jpeg with the orientation segment after its start marker and its JFIF segment, if any.
inline std::string WithExifOrientation(const std::string& jpeg, int orientation) {
    std::size_t at = 2;
    if (jpeg.size() > 6 && static_cast<unsigned char>(jpeg[2]) == 0xFF &&
        static_cast<unsigned char>(jpeg[3]) == 0xE0) {
        at = 4 + ((static_cast<unsigned char>(jpeg[4]) << 8) | static_cast<unsigned char>(jpeg[5]));
    }
    return jpeg.substr(0, at) + ExifOrientationSegment(orientation) + jpeg.substr(at);
}

//! dib as a JPEG of the best quality with full-resolution colour, so solid blocks stay solid.
inline std::string EncodeJpeg(FIBITMAP* dib) {
    FreeImageMemoryPtr memory(FreeImage_OpenMemory(nullptr, 0));
    EXPECT_TRUE(FreeImage_SaveToMemory(FIF_JPEG, dib, memory.get(), JPEG_QUALITYSUPERB | JPEG_SUBSAMPLING_444));
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory.get(), &data, &size);
    return std::string(reinterpret_cast<const char*>(data), size);
}

//! Writes dib as a JPEG whose Exif says orientation.
inline void WriteOrientedJpeg(const std::string& path, FIBITMAP* dib, int orientation) {
    WriteFileBytes(path, WithExifOrientation(EncodeJpeg(dib), orientation));
}

//! A width x height grey (128) picture with a red block x block square at the stored top-left.
inline FreeImagePtr CornerPicture(int width, int height, int block) {
    FreeImagePtr dib(FreeImage_Allocate(width, height, 24));
    for (int y = 0; y < height; ++y) {
        // Library rows run bottom row first.
        BYTE* row = FreeImage_GetScanLine(dib.get(), height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const bool red = x < block && y < block;
            row[3 * x + FI_RGBA_RED] = red ? 230 : 128;
            row[3 * x + FI_RGBA_GREEN] = red ? 20 : 128;
            row[3 * x + FI_RGBA_BLUE] = red ? 20 : 128;
        }
    }
    return dib;
}

} // namespace tessoly::test
