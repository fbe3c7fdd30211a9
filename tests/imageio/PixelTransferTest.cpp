// The one-pass pixel transfer against the reference route it replaces: FreeImage_ConvertTo32Bits
// into a library image, then every alpha forced to 255 (kept for 32-bit sources) and the rows
// flipped. Library images of every depth are filled with arbitrary bytes, so every palette index,
// bit field and padding byte the rows can hold is seen.

#include "imageio/PixelTransfer.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "imageio/DecodeFixtures.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/SourceDecoder.h"

namespace tessoly::test {
namespace {

//! Deterministic arbitrary bytes.
class Bytes {
public:
    explicit Bytes(std::uint32_t seed) : state_(seed) {}
    BYTE Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<BYTE>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

//! Every byte of every row (padding included) and every palette entry arbitrary.
void FillArbitrary(FIBITMAP* dib, std::uint32_t seed) {
    Bytes bytes(seed);
    const unsigned pitch = FreeImage_GetPitch(dib);
    for (unsigned k = 0; k < FreeImage_GetHeight(dib); ++k) {
        BYTE* row = FreeImage_GetScanLine(dib, static_cast<int>(k));
        for (unsigned i = 0; i < pitch; ++i)
            row[i] = bytes.Next();
    }
    if (RGBQUAD* palette = FreeImage_GetPalette(dib)) {
        for (unsigned i = 0; i < FreeImage_GetColorsUsed(dib); ++i)
            palette[i] = {bytes.Next(), bytes.Next(), bytes.Next(), bytes.Next()};
    }
}

//! What the decoder gave before the one-pass transfer: the library's 32-bit conversion.
TBitmap32 ReferenceTransfer(FIBITMAP* dib) {
    const FreeImagePtr converted(FreeImage_ConvertTo32Bits(dib));
    const bool keepAlpha = FreeImage_GetBPP(dib) == 32;
    const int width = static_cast<int>(FreeImage_GetWidth(dib)),
              height = static_cast<int>(FreeImage_GetHeight(dib));
    TBitmap32 out(width, height);
    for (int k = 0; k < height; ++k) {
        const BYTE* src = FreeImage_GetScanLine(converted.get(), k);
        for (int x = 0; x < width; ++x, src += 4) {
            out.SetPixel(x, height - 1 - k,
                         Color32(keepAlpha ? src[FI_RGBA_ALPHA] : 255u, src[FI_RGBA_RED], src[FI_RGBA_GREEN],
                                 src[FI_RGBA_BLUE]));
        }
    }
    return out;
}

void ExpectSameBitmap(const TBitmap32& got, const TBitmap32& want, const std::string& what) {
    ASSERT_EQ(got.Width(), want.Width()) << what;
    ASSERT_EQ(got.Height(), want.Height()) << what;
    for (int y = 0; y < want.Height(); ++y) {
        for (int x = 0; x < want.Width(); ++x)
            ASSERT_EQ(got.Pixel(x, y), want.Pixel(x, y)) << what << " at (" << x << ", " << y << ")";
    }
}

struct LayoutCase {
    const char* name;
    int bpp;
    unsigned redMask, greenMask, blueMask;
};

// 16-bit images other than exactly 5-6-5 are read as 5-5-5, by the library and by the transfer.
const LayoutCase kLayouts[] = {
    {"1-bit palette", 1, 0, 0, 0},
    {"4-bit palette", 4, 0, 0, 0},
    {"8-bit palette", 8, 0, 0, 0},
    {"16-bit 5-5-5", 16, FI16_555_RED_MASK, FI16_555_GREEN_MASK, FI16_555_BLUE_MASK},
    {"16-bit 5-6-5", 16, FI16_565_RED_MASK, FI16_565_GREEN_MASK, FI16_565_BLUE_MASK},
    {"16-bit 4-4-4", 16, 0x0F00, 0x00F0, 0x000F},
    {"24-bit", 24, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK},
    {"32-bit", 32, FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK},
};

// Widths 1 to 37 cover every bit and nibble position of a byte, every row padding and every
// tail of the four-pixel vector steps.
TEST(PixelTransferTest, EveryDepthGivesTheColoursOfTheLibrarysConversion) {
    FreeImageLibrary library;
    for (const LayoutCase& layout : kLayouts) {
        for (int width = 1; width <= 37; ++width) {
            const FreeImagePtr dib(
                FreeImage_Allocate(width, 3, layout.bpp, layout.redMask, layout.greenMask, layout.blueMask));
            ASSERT_TRUE(dib) << layout.name;
            FillArbitrary(dib.get(), static_cast<std::uint32_t>(width * 131 + layout.bpp));
            ASSERT_TRUE(TransfersDirectly(dib.get())) << layout.name;
            TBitmap32 got(width, 3);
            TransferLibraryPixels(dib.get(), got);
            ExpectSameBitmap(got, ReferenceTransfer(dib.get()),
                             std::string(layout.name) + ", width " + std::to_string(width));
        }
    }
}

TEST(PixelTransferTest, EverySixteenBitValueDecodesAsTheLibraryDecodesIt) {
    FreeImageLibrary library;
    for (const bool is565 : {false, true}) {
        const FreeImagePtr dib(is565 ? FreeImage_Allocate(256, 256, 16, FI16_565_RED_MASK,
                                                          FI16_565_GREEN_MASK, FI16_565_BLUE_MASK)
                                     : FreeImage_Allocate(256, 256, 16, FI16_555_RED_MASK,
                                                          FI16_555_GREEN_MASK, FI16_555_BLUE_MASK));
        for (unsigned k = 0; k < 256; ++k) {
            auto* row = reinterpret_cast<WORD*>(FreeImage_GetScanLine(dib.get(), static_cast<int>(k)));
            for (unsigned x = 0; x < 256; ++x)
                row[x] = static_cast<WORD>(k * 256 + x);
        }
        TBitmap32 got(256, 256);
        TransferLibraryPixels(dib.get(), got);
        ExpectSameBitmap(got, ReferenceTransfer(dib.get()), is565 ? "5-6-5" : "5-5-5");
    }
}

TEST(PixelTransferTest, TheVectorWideningMatchesThePlainOne) {
    Bytes bytes(7);
    for (int width = 1; width <= 70; ++width) {
        std::vector<unsigned char> row(3 * static_cast<std::size_t>(width));
        for (unsigned char& b : row)
            b = bytes.Next();
        std::vector<TColor32> vector(static_cast<std::size_t>(width) + 1, 0x12345678u);
        std::vector<TColor32> plain(static_cast<std::size_t>(width) + 1, 0x12345678u);
        ExpandRow24(row.data(), vector.data(), width, true);
        ExpandRow24(row.data(), plain.data(), width, false);
        EXPECT_EQ(vector, plain) << "width " << width;
        // Nothing is written past the row.
        EXPECT_EQ(vector.back(), 0x12345678u) << "width " << width;
        EXPECT_EQ(plain[0], Color32(255, row[2], row[1], row[0]));
    }
}

TEST(PixelTransferTest, TypesOtherThanPlainBitmapsGoThroughTheLibrary) {
    FreeImageLibrary library;
    const FreeImagePtr rgb16(FreeImage_AllocateT(FIT_RGB16, 2, 2));
    const FreeImagePtr grey16(FreeImage_AllocateT(FIT_UINT16, 2, 2));
    EXPECT_FALSE(TransfersDirectly(rgb16.get()));
    EXPECT_FALSE(TransfersDirectly(grey16.get()));
}

// A batch with no preview: SourceBitmap alone is filled; on failure nothing but the format moves.
TEST_F(DecodeTest, SourceOnlyLeavesThePreviewAlone) {
    image_.PreviewBitmap.SetSize(2, 1);
    image_.PreviewBitmap.Clear(0xFF112233u);
    Picture first = Gradient(7, 5);
    first.pixels[3] = Color32(100, 1, 2, 3); // keeps the PNG at 32 bits, alpha and all
    const Picture second = Gradient(9, 4);
    SaveDib(MakeDib32(first), FIF_PNG, dir_.file("first.png"));
    SaveDib(MakeDib32(second), FIF_TARGA, dir_.file("second.tga"));
    test::WriteFileBytes(dir_.file("broken.png"), "\x89PNG\r\n\x1a\n and nothing else");

    ASSERT_TRUE(DecodeSourceImage(image_, dir_.file("first.png"), DecodeTargets::SourceOnly));
    ExpectPixels(image_.SourceBitmap, first);
    EXPECT_EQ(image_.CurrentImagePath, dir_.file("first.png"));
    EXPECT_EQ(image_.SourceBitsPerPixel, 32);
    EXPECT_NE(image_.SourceImage, nullptr);

    EXPECT_FALSE(DecodeSourceImage(image_, dir_.file("broken.png"), DecodeTargets::SourceOnly));
    EXPECT_EQ(image_.SourceFormat, FIF_PNG);
    EXPECT_EQ(image_.SourceImage, nullptr);
    ExpectPixels(image_.SourceBitmap, first);
    EXPECT_EQ(image_.CurrentImagePath, dir_.file("first.png"));

    ASSERT_TRUE(DecodeSourceImage(image_, dir_.file("second.tga"), DecodeTargets::SourceOnly));
    ExpectPixels(image_.SourceBitmap, second);
    EXPECT_EQ(image_.SourceFormat, FIF_TARGA);

    ASSERT_EQ(image_.PreviewBitmap.Width(), 2);
    ASSERT_EQ(image_.PreviewBitmap.Height(), 1);
    EXPECT_EQ(image_.PreviewBitmap.Pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(image_.PreviewBitmap.Pixel(1, 0), 0xFF112233u);
}

} // namespace
} // namespace tessoly::test
