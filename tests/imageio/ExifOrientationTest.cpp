// Exif orientation: reading the tag, the exact pixel moves of the fast tiled turn against the
// Exif standard's table, the band-by-band transfer against a whole-picture transfer, and the
// decoder turning real orientation 1..8 JPEGs upright (or leaving them as stored when asked).

#include "imageio/ExifOrientation.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

#include <FreeImage.h>

#include "imageio/DecodeFixtures.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/PixelTransfer.h"
#include "imageio/SourceDecoder.h"
#include "support/ExifJpegFixture.h"

namespace tessoly::test {
namespace {

//! A picture in which every pixel is different, so any misplaced pixel shows.
TBitmap32 NumberedPixels(int width, int height) {
    TBitmap32 b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.SetPixel(x, y, static_cast<TColor32>(0xFF000000u | std::uint32_t(y) << 12 | std::uint32_t(x)));
    return b;
}

//! A viewed picture by the standard's table, pixel by pixel.
TBitmap32 ViewedByTable(const TBitmap32& stored, int orientation) {
    const bool swap = orientation >= 5;
    TBitmap32 viewed(swap ? stored.Height() : stored.Width(), swap ? stored.Width() : stored.Height());
    for (int sy = 0; sy < stored.Height(); ++sy) {
        for (int sx = 0; sx < stored.Width(); ++sx) {
            int vx = 0, vy = 0;
            ViewedPosition(orientation, stored.Width(), stored.Height(), sx, sy, vx, vy);
            viewed.SetPixel(vx, vy, stored.Pixel(sx, sy));
        }
    }
    return viewed;
}

void ExpectSameBitmap(const TBitmap32& actual, const TBitmap32& expected, const std::string& what) {
    ASSERT_EQ(actual.Width(), expected.Width()) << what;
    ASSERT_EQ(actual.Height(), expected.Height()) << what;
    for (int y = 0; y < expected.Height(); ++y)
        for (int x = 0; x < expected.Width(); ++x)
            ASSERT_EQ(actual.Pixel(x, y), expected.Pixel(x, y)) << what << " at " << x << "," << y;
}

TEST(ExifOrientationTest, TurnsEveryPixelWhereTheStandardSays) {
    // Sizes below, at and across the tile and band sizes, square and not.
    const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {32, 32}, {33, 65}, {100, 37}, {64, 96}};
    for (const auto& size : sizes) {
        const TBitmap32 stored = NumberedPixels(size[0], size[1]);
        for (int orientation = 1; orientation <= 8; ++orientation) {
            TBitmap32 upright;
            OrientUpright(stored, orientation, upright);
            ExpectSameBitmap(upright, ViewedByTable(stored, orientation),
                             std::to_string(size[0]) + "x" + std::to_string(size[1]) + " orientation " +
                                 std::to_string(orientation));
        }
    }
}

TEST(ExifOrientationTest, BandTransferGivesTheWholePictureTurned) {
    // Each depth the decoder hands over directly; heights that leave a short last band.
    const struct {
        unsigned bpp;
        int width, height;
    } cases[] = {{24, 75, 70}, {24, 5, 3}, {24, 1, 9}, {32, 40, 33}, {8, 31, 64}, {1, 19, 97}, {4, 30, 5}};
    for (const auto& c : cases) {
        FreeImagePtr dib(FreeImage_Allocate(c.width, c.height, c.bpp));
        std::uint32_t state = 7;
        for (int k = 0; k < c.height; ++k) {
            BYTE* row = FreeImage_GetScanLine(dib.get(), k);
            for (unsigned i = 0; i < FreeImage_GetPitch(dib.get()); ++i) {
                state = state * 1664525u + 1013904223u;
                row[i] = static_cast<BYTE>(state >> 24);
            }
        }
        if (RGBQUAD* palette = FreeImage_GetPalette(dib.get())) {
            for (unsigned i = 0; i < FreeImage_GetColorsUsed(dib.get()); ++i)
                palette[i] = {BYTE(i * 3), BYTE(255 - i), BYTE(i * 7), 0};
        }
        TBitmap32 stored(c.width, c.height);
        TransferLibraryPixels(dib.get(), stored, true);
        for (int orientation = 2; orientation <= 8; ++orientation) {
            const std::string what = std::to_string(c.bpp) + " bpp orientation " + std::to_string(orientation);
            UprightTransfer transfer;
            ASSERT_TRUE(transfer.Prepare(dib.get(), orientation)) << what;
            unsigned w = unsigned(c.width), h = unsigned(c.height);
            UprightSize(orientation, w, h);
            TBitmap32 upright(static_cast<int>(w), static_cast<int>(h));
            transfer.Run(upright, true);
            ExpectSameBitmap(upright, ViewedByTable(stored, orientation), what);
        }
    }
}

//! A 64 x 48 picture of twelve solid 16 x 16 blocks, each its own colour.
FreeImagePtr BlockPicture() {
    FreeImagePtr dib(FreeImage_Allocate(64, 48, 24));
    for (int y = 0; y < 48; ++y) {
        BYTE* row = FreeImage_GetScanLine(dib.get(), 47 - y);
        for (int x = 0; x < 64; ++x) {
            const int block = (y / 16) * 4 + x / 16;
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(20 + block * 20);
            row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(block % 2 ? 220 : 30);
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(250 - block * 18);
        }
    }
    return dib;
}

//! Is colour within a JPEG's rounding of the block's colour?
bool NearBlockColour(TColor32 colour, int block) {
    const auto near = [](int a, int b) { return a - b <= 12 && b - a <= 12; };
    return near(RedOf(colour), 20 + block * 20) && near(GreenOf(colour), block % 2 ? 220 : 30) &&
           near(BlueOf(colour), 250 - block * 18);
}

class OrientedDecodeTest : public DecodeTest, public testing::WithParamInterface<int> {};

TEST_P(OrientedDecodeTest, DecodesUprightOrAsStored) {
    const int orientation = GetParam();
    const std::string path = dir_.file("o" + std::to_string(orientation) + ".jpg");
    WriteOrientedJpeg(path, BlockPicture().get(), orientation);

    const FreeImagePtr header(FreeImage_Load(FIF_JPEG, path.c_str(), FIF_LOAD_NOPIXELS));
    ASSERT_TRUE(header);
    EXPECT_EQ(ExifOrientation(header.get()), orientation);
    unsigned w = 0, h = 0;
    ViewedSize(header.get(), true, w, h);
    EXPECT_EQ(w, orientation >= 5 ? 48u : 64u);
    EXPECT_EQ(h, orientation >= 5 ? 64u : 48u);

    for (const DecodeTargets targets : {DecodeTargets::PreviewAndSource, DecodeTargets::SourceOnly}) {
        for (const bool apply : {true, false}) {
            ASSERT_TRUE(DecodeSourceImage(image_, path, targets, apply));
            const int shown = apply ? orientation : 1;
            const TBitmap32& source = image_.SourceBitmap;
            ASSERT_EQ(source.Width(), shown >= 5 ? 48 : 64);
            ASSERT_EQ(source.Height(), shown >= 5 ? 64 : 48);
            EXPECT_EQ(image_.SourceOrientation, orientation);
            EXPECT_EQ(image_.OrientationApplied, apply && orientation != 1);
            // The library image stays as stored, for the output stage's metadata.
            EXPECT_EQ(FreeImage_GetWidth(image_.SourceImage), 64u);
            for (int block = 0; block < 12; ++block) {
                int vx = 0, vy = 0;
                ViewedPosition(shown, 64, 48, (block % 4) * 16 + 8, (block / 4) * 16 + 8, vx, vy);
                EXPECT_TRUE(NearBlockColour(source.Pixel(vx, vy), block))
                    << "block " << block << " apply " << apply << " at " << vx << "," << vy;
            }
            if (targets == DecodeTargets::PreviewAndSource) {
                EXPECT_EQ(image_.PreviewBitmap.Width(), source.Width());
                EXPECT_EQ(PropertiesText(image_).substr(0, 9), shown >= 5 ? " 48 x 64 " : " 64 x 48 ");
            }
            ReleaseSourceImage(image_);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Orientations, OrientedDecodeTest, testing::Range(1, 9));

TEST_F(DecodeTest, MissingOrOddOrientationTagsReadAsOne) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::string plain = EncodeJpeg(BlockPicture().get());
    const Case cases[] = {
        {"none", plain},
        {"zero", WithExifOrientation(plain, 0)},
        {"nine", WithExifOrientation(plain, 9)},
    };
    for (const Case& c : cases) {
        const std::string path = dir_.file(std::string(c.name) + ".jpg");
        WriteFileBytes(path, c.bytes);
        ASSERT_TRUE(DecodeSourceImage(image_, path)) << c.name;
        EXPECT_EQ(image_.SourceOrientation, 1) << c.name;
        EXPECT_FALSE(image_.OrientationApplied) << c.name;
        EXPECT_EQ(image_.SourceBitmap.Width(), 64) << c.name;
        ReleaseSourceImage(image_);
    }
    EXPECT_EQ(ExifOrientation(nullptr), 1);
}

} // namespace
} // namespace tessoly::test
