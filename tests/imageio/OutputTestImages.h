#pragma once
// Helpers of the output tests: composed pictures, library images, reading outputs back and
// listing what a run left in its folder.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "imageio/FreeImageHandle.h"
#include "imageio/WorkingImage.h"
#include "render/Bitmap32.h"

namespace tessoly::test {

//! A deterministic colourful pattern with varying alpha.
inline void FillPattern(TBitmap32& bitmap, int width, int height) {
    bitmap.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t a = static_cast<std::uint32_t>((x * 7 + y * 3) % 256);
            const std::uint32_t r = static_cast<std::uint32_t>((x * 5) % 256);
            const std::uint32_t g = static_cast<std::uint32_t>((y * 9) % 256);
            const std::uint32_t b = static_cast<std::uint32_t>((x + y) % 256);
            bitmap.SetPixel(x, y, a << 24 | r << 16 | g << 8 | b);
        }
    }
}

//! A 24-bit library image of the given size and resolution, standing in for a decoded source.
inline FIBITMAP* MakeSourceImage(int width, int height, unsigned dotsPerMetre) {
    FIBITMAP* image = FreeImage_Allocate(width, height, 24);
    FreeImage_SetDotsPerMeterX(image, dotsPerMetre);
    FreeImage_SetDotsPerMeterY(image, dotsPerMetre);
    return image;
}

//! Prepares image as the pipeline leaves it before the output stage.
inline void PrepareWorkingImage(WorkingImage& image, int width, int height, const std::string& path,
                                int sourceFormat = FIF_JPEG, unsigned sourceDotsPerMetre = 2835) {
    FillPattern(image.ComposedBitmap, width, height);
    image.SourceImage = MakeSourceImage(width, height, sourceDotsPerMetre);
    image.SourceFormat = sourceFormat;
    image.CurrentImagePath = path;
}

inline FreeImagePtr LoadOutput(const std::string& path, FREE_IMAGE_FORMAT* format = nullptr) {
    const FREE_IMAGE_FORMAT fif = FreeImage_GetFileType(path.c_str(), 0);
    if (format)
        *format = fif;
    if (fif == FIF_UNKNOWN)
        return nullptr;
    return FreeImagePtr(FreeImage_Load(fif, path.c_str(), 0));
}

//! The pixel (x, y), top row 0, of a 24-bit library image as 0xRRGGBB.
inline std::uint32_t Pixel24(FIBITMAP* image, int x, int y) {
    const BYTE* p =
        FreeImage_GetScanLine(image, static_cast<int>(FreeImage_GetHeight(image)) - 1 - y) + x * 3;
    return std::uint32_t(p[FI_RGBA_RED]) << 16 | std::uint32_t(p[FI_RGBA_GREEN]) << 8 | p[FI_RGBA_BLUE];
}

} // namespace tessoly::test
