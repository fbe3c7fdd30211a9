#pragma once
// Test pictures for the decoder, made with FreeImage itself or written byte by byte for the
// formats FreeImage cannot save (PCX, PSD) and for the corrupt headers.

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "imageio/FreeImageLibrary.h"
#include "imageio/WorkingImage.h"
#include "render/Color32.h"
#include "support/TestSupport.h"

namespace tessoly::test {

//! Pixels top row first, as TBitmap32 holds them.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<TColor32> pixels;
};

//! A 32-bit library image (alpha included) holding picture, library rows bottom row first.
FIBITMAP* MakeDib32(const Picture& picture);
//! Saves dib (unloading it) and fails the test when the library cannot.
void SaveDib(FIBITMAP* dib, FREE_IMAGE_FORMAT format, const std::string& path, int flags = 0);
//! A width x height picture whose colour depends on x and y only, opaque.
Picture Gradient(int width, int height);
//! Asserts that bitmap holds exactly picture.
void ExpectPixels(const TBitmap32& bitmap, const Picture& picture);

//! Hand-written 8-bit palette PCX (run-length coded) with indices[y * width + x] into palette.
std::string MakePcx8(int width, int height, const std::vector<std::uint8_t>& indices,
                     const std::vector<TColor32>& palette, int dpi);
//! Hand-written uncompressed 8-bit RGB PSD of picture (alpha ignored).
std::string MakePsdRgb(const Picture& picture);

//! A decoder test: the library held, a scratch folder and a working image.
class DecodeTest : public ::testing::Test {
protected:
    FreeImageLibrary library_;
    ScratchDir dir_;
    WorkingImage image_;
};

} // namespace tessoly::test
