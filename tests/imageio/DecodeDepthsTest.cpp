// Decoding of every source depth and format: the pixels that reach SourceBitmap and the
// properties line, with pictures made by FreeImage (or by hand for PCX and PSD) in the test.

#include <functional>

#include "imageio/DecodeFixtures.h"
#include "imageio/ImageFacts.h"
#include "imageio/SourceDecoder.h"
#include "imageio/SourceFacts.h"

namespace tessoly::test {
namespace {

//! A palette image of the given depth: indices[y * width + x] into palette, library rows flipped.
FIBITMAP* MakePaletteDib(int width, int height, int bpp, const std::vector<std::uint8_t>& indices,
                         const std::vector<TColor32>& palette) {
    FIBITMAP* dib = FreeImage_Allocate(width, height, bpp);
    RGBQUAD* entries = FreeImage_GetPalette(dib);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        entries[i].rgbRed = static_cast<BYTE>(RedOf(palette[i]));
        entries[i].rgbGreen = static_cast<BYTE>(GreenOf(palette[i]));
        entries[i].rgbBlue = static_cast<BYTE>(BlueOf(palette[i]));
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            BYTE index = indices[static_cast<std::size_t>(y * width + x)];
            FreeImage_SetPixelIndex(dib, static_cast<unsigned>(x), static_cast<unsigned>(height - 1 - y),
                                    &index);
        }
    }
    return dib;
}

//! The picture a palette image shows: palette colours, opaque.
Picture PaletteColours(int width, int height, const std::vector<std::uint8_t>& indices,
                       const std::vector<TColor32>& palette) {
    Picture p{width, height, {}};
    for (const std::uint8_t i : indices)
        p.pixels.push_back(SetAlpha(palette[i], 255));
    return p;
}

std::vector<std::uint8_t> Indices(int width, int height, int colours) {
    std::vector<std::uint8_t> v;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            v.push_back(static_cast<std::uint8_t>((x + 3 * y) % colours));
    }
    return v;
}

std::vector<TColor32> Palette(int colours) {
    std::vector<TColor32> p;
    for (int i = 0; i < colours; ++i) {
        p.push_back(Color32(255, static_cast<unsigned>(i * 97 % 256), static_cast<unsigned>(255 - i),
                            static_cast<unsigned>(i * 31 % 256)));
    }
    return p;
}

//! One decoding case: writes its file into dir and says what the decoder must produce.
struct DepthCase {
    const char* name;
    std::function<void(const std::string& path, Picture& expected)> make;
    const char* properties;
};

class DecodeDepths : public DecodeTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DecodeDepths, GivesTheExactPixelsAndPropertiesLine) {
    const DepthCase& c = GetParam();
    const std::string path = dir_.file(c.name);
    Picture expected;
    c.make(path, expected);
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    ASSERT_NE(image_.SourceImage, nullptr);
    EXPECT_EQ(image_.CurrentImagePath, path);
    EXPECT_EQ(PropertiesText(image_), c.properties);
    ExpectPixels(image_.SourceBitmap, expected);
    ExpectPixels(image_.PreviewBitmap, expected);
    ReleaseSourceImage(image_);
    EXPECT_EQ(image_.SourceImage, nullptr);
}

// The list's facts come from the header where it can tell them; they must be those of the decode.
TEST_P(DecodeDepths, HeaderFactsAreThoseOfTheFullDecode) {
    const DepthCase& c = GetParam();
    const std::string path = dir_.file(c.name);
    Picture expected;
    c.make(path, expected);
    const SourceFacts header = ReadSourceFacts(path);
    const SourceFacts decoded = DecodeSourceFacts(path);
    ASSERT_NE(decoded.width, 0u);
    EXPECT_EQ(header.format, decoded.format);
    EXPECT_EQ(header.width, decoded.width);
    EXPECT_EQ(header.height, decoded.height);
    EXPECT_EQ(header.dotsPerMetreX, decoded.dotsPerMetreX);
    EXPECT_EQ(header.dotsPerMetreY, decoded.dotsPerMetreY);
}

const DepthCase kDepthCases[] = {
    {"palette1.bmp",
     [](const std::string& path, Picture& expected) {
         const std::vector<TColor32> palette = {Color32(0, 200, 10, 20), Color32(0, 5, 100, 250)};
         const auto indices = Indices(5, 3, 2);
         FIBITMAP* dib = MakePaletteDib(5, 3, 1, indices, palette);
         FreeImage_SetDotsPerMeterX(dib, 0); // stored 0 shows as 72
         SaveDib(dib, FIF_BMP, path);
         expected = PaletteColours(5, 3, indices, palette);
     },
     " 5 x 3  |  1 BPP  |  72 DPI  |  BMP"},
    {"palette4.bmp",
     [](const std::string& path, Picture& expected) {
         const auto palette = Palette(16);
         const auto indices = Indices(7, 4, 16);
         FIBITMAP* dib = MakePaletteDib(7, 4, 4, indices, palette);
         FreeImage_SetDotsPerMeterX(dib, 3780);
         SaveDib(dib, FIF_BMP, path);
         expected = PaletteColours(7, 4, indices, palette);
     },
     " 7 x 4  |  4 BPP  |  96 DPI  |  BMP"},
    {"palette8-transparent.png",
     [](const std::string& path, Picture& expected) {
         const auto palette = Palette(256);
         const auto indices = Indices(9, 5, 256);
         FIBITMAP* dib = MakePaletteDib(9, 5, 8, indices, palette);
         BYTE transparency[256];
         for (int i = 0; i < 256; ++i)
             transparency[i] = static_cast<BYTE>(i % 3 == 0 ? 0 : 128);
         FreeImage_SetTransparencyTable(dib, transparency, 256); // dropped: every alpha is 255
         FreeImage_SetDotsPerMeterX(dib, 11811);
         FreeImage_SetDotsPerMeterY(dib, 11811);
         SaveDib(dib, FIF_PNG, path);
         expected = PaletteColours(9, 5, indices, palette);
     },
     " 9 x 5  |  8 BPP  |  300 DPI  |  PNG"},
    {"palette8.gif",
     [](const std::string& path, Picture& expected) {
         const auto palette = Palette(256);
         const auto indices = Indices(6, 6, 200);
         SaveDib(MakePaletteDib(6, 6, 8, indices, palette), FIF_GIF, path);
         expected = PaletteColours(6, 6, indices, palette);
     },
     " 6 x 6  |  8 BPP  |  72 DPI  |  GIF"},
    {"palette8.pcx",
     [](const std::string& path, Picture& expected) {
         const auto palette = Palette(256);
         const auto indices = Indices(5, 3, 256);
         WriteFileBytes(path, MakePcx8(5, 3, indices, palette, 300));
         expected = PaletteColours(5, 3, indices, palette);
     },
     " 5 x 3  |  8 BPP  |  300 DPI  |  PCX"},
    {"grey8.png",
     [](const std::string& path, Picture& expected) {
         std::vector<std::uint8_t> levels;
         std::vector<TColor32> ramp;
         for (int i = 0; i < 256; ++i)
             ramp.push_back(Color32(255, i, i, i));
         for (int i = 0; i < 12; ++i)
             levels.push_back(static_cast<std::uint8_t>(i * 23));
         SaveDib(MakePaletteDib(4, 3, 8, levels, ramp), FIF_PNG, path);
         expected = PaletteColours(4, 3, levels, ramp);
     },
     " 4 x 3  |  8 BPP  |  72 DPI  |  PNG"},
    {"rgb555.bmp",
     [](const std::string& path, Picture& expected) {
         // Channel values 0 and 255 survive 5-bit fields exactly.
         expected = {4,
                     2,
                     {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFFFFFF00, 0xFF00FFFF,
                      0xFFFF00FF}};
         FIBITMAP* dib32 = MakeDib32(expected);
         FIBITMAP* dib = FreeImage_ConvertTo16Bits555(dib32);
         FreeImage_Unload(dib32);
         SaveDib(dib, FIF_BMP, path);
     },
     " 4 x 2  |  16 BPP  |  72 DPI  |  BMP"},
    {"rgb565.bmp",
     [](const std::string& path, Picture& expected) {
         expected = {4,
                     2,
                     {0xFF00FFFF, 0xFFFF00FF, 0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                      0xFFFFFF00}};
         FIBITMAP* dib32 = MakeDib32(expected);
         FIBITMAP* dib = FreeImage_ConvertTo16Bits565(dib32);
         FreeImage_Unload(dib32);
         SaveDib(dib, FIF_BMP, path);
     },
     " 4 x 2  |  16 BPP  |  72 DPI  |  BMP"},
    {"rgb24.png",
     [](const std::string& path, Picture& expected) {
         expected = Gradient(17, 9);
         FIBITMAP* dib32 = MakeDib32(expected);
         FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
         FreeImage_Unload(dib32);
         SaveDib(dib, FIF_PNG, path);
     },
     " 17 x 9  |  24 BPP  |  72 DPI  |  PNG"},
    {"rgb24.tga",
     [](const std::string& path, Picture& expected) {
         expected = Gradient(6, 5);
         FIBITMAP* dib32 = MakeDib32(expected);
         FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
         FreeImage_Unload(dib32);
         SaveDib(dib, FIF_TARGA, path);
     },
     " 6 x 5  |  24 BPP  |  72 DPI  |  TARGA"},
    {"rgb24.tif",
     [](const std::string& path, Picture& expected) {
         expected = Gradient(5, 7);
         FIBITMAP* dib32 = MakeDib32(expected);
         FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
         FreeImage_Unload(dib32);
         SaveDib(dib, FIF_TIFF, path, TIFF_NONE);
     },
     " 5 x 7  |  24 BPP  |  72 DPI  |  TIFF"},
    {"rgb24.psd",
     [](const std::string& path, Picture& expected) {
         expected = Gradient(3, 2);
         WriteFileBytes(path, MakePsdRgb(expected));
     },
     " 3 x 2  |  24 BPP  |  72 DPI  |  PSD"},
    {"rgba32.png",
     [](const std::string& path, Picture& expected) {
         // A distinctive bottom row and a transparent column: the library's first scan line must
         // end up as the bitmap's last row, and alpha must survive.
         expected = Gradient(5, 4);
         for (int x = 0; x < 5; ++x)
             expected.pixels[15 + x] = Color32(255, 1, 2, 3);
         for (int y = 0; y < 4; ++y)
             expected.pixels[y * 5] = Color32(0, 40, 50, 60);
         expected.pixels[2] = Color32(128, 200, 100, 0);
         SaveDib(MakeDib32(expected), FIF_PNG, path);
     },
     " 5 x 4  |  32 BPP  |  72 DPI  |  PNG"},
    {"rgba32.tga",
     [](const std::string& path, Picture& expected) {
         expected = Gradient(3, 3);
         expected.pixels[0] = Color32(17, 255, 0, 0);
         expected.pixels[8] = Color32(0, 0, 0, 255);
         SaveDib(MakeDib32(expected), FIF_TARGA, path);
     },
     " 3 x 3  |  32 BPP  |  72 DPI  |  TARGA"},
    {"rgb48.png",
     [](const std::string& path, Picture& expected) {
         // 16 bits per channel: the high byte of each channel, opaque.
         FIBITMAP* dib = FreeImage_AllocateT(FIT_RGB16, 3, 2);
         expected = {3, 2, {}};
         for (int y = 0; y < 2; ++y) {
             auto* row = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(dib, 1 - y));
             for (int x = 0; x < 3; ++x) {
                 row[x] = {static_cast<WORD>(0x1234 * (x + 1) + y), static_cast<WORD>(0xFF00 - 0x3000 * x),
                           static_cast<WORD>(0x00FF + 0x4000 * y)};
                 expected.pixels.push_back(
                     Color32(255, row[x].red >> 8, row[x].green >> 8, row[x].blue >> 8));
             }
         }
         SaveDib(dib, FIF_PNG, path);
     },
     " 3 x 2  |  48 BPP  |  72 DPI  |  PNG"},
    {"rgba64.tif",
     [](const std::string& path, Picture& expected) {
         // 16 bits per channel with alpha: alpha kept, like a 32-bit source.
         FIBITMAP* dib = FreeImage_AllocateT(FIT_RGBA16, 2, 2);
         expected = {2, 2, {}};
         for (int y = 0; y < 2; ++y) {
             auto* row = reinterpret_cast<FIRGBA16*>(FreeImage_GetScanLine(dib, 1 - y));
             for (int x = 0; x < 2; ++x) {
                 row[x] = {static_cast<WORD>(0xA000 + x), static_cast<WORD>(0x5000 * y),
                           static_cast<WORD>(0x7FFF), static_cast<WORD>(x == y ? 0xFFFF : 0x2345)};
                 expected.pixels.push_back(
                     Color32(row[x].alpha >> 8, row[x].red >> 8, row[x].green >> 8, row[x].blue >> 8));
             }
         }
         SaveDib(dib, FIF_TIFF, path, TIFF_NONE);
     },
     " 2 x 2  |  64 BPP  |  72 DPI  |  TIFF"},
    {"grey16.png",
     [](const std::string& path, Picture& expected) {
         FIBITMAP* dib = FreeImage_AllocateT(FIT_UINT16, 4, 1);
         auto* row = reinterpret_cast<WORD*>(FreeImage_GetScanLine(dib, 0));
         const WORD values[4] = {0x0000, 0x00FF, 0x8001, 0xFFFF};
         expected = {4, 1, {}};
         for (int x = 0; x < 4; ++x) {
             row[x] = values[x];
             const unsigned v = values[x] >> 8;
             expected.pixels.push_back(Color32(255, v, v, v));
         }
         SaveDib(dib, FIF_PNG, path);
     },
     " 4 x 1  |  16 BPP  |  72 DPI  |  PNG"},
    {"icon.ico",
     [](const std::string& path, Picture& expected) {
         expected = Gradient(16, 16);
         SaveDib(MakeDib32(expected), FIF_ICO, path);
     },
     " 16 x 16  |  32 BPP  |  72 DPI  |  Unknown"},
};

INSTANTIATE_TEST_SUITE_P(AllDepths, DecodeDepths, ::testing::ValuesIn(kDepthCases),
                         [](const ::testing::TestParamInfo<DepthCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return name;
                         });

// Lossy formats: the size, depth, format name and opacity are exact, the colours close.
TEST_F(DecodeTest, Jpeg24IsOpaqueWithCloseColours) {
    const Picture picture = Gradient(64, 48);
    FIBITMAP* dib32 = MakeDib32(picture);
    FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
    FreeImage_Unload(dib32);
    const std::string path = dir_.file("photo.jpeg");
    SaveDib(dib, FIF_JPEG, path, JPEG_QUALITYSUPERB | JPEG_SUBSAMPLING_444);
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(PropertiesText(image_), " 64 x 48  |  24 BPP  |  72 DPI  |  JPEG");
    EXPECT_EQ(image_.SourceFormat, FIF_JPEG);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const TColor32 got = image_.SourceBitmap.Pixel(x, y), want = picture.pixels[y * 64 + x];
            ASSERT_EQ(AlphaOf(got), 255u);
            ASSERT_NEAR(int(RedOf(got)), int(RedOf(want)), 8) << x << "," << y;
            ASSERT_NEAR(int(GreenOf(got)), int(GreenOf(want)), 8) << x << "," << y;
            ASSERT_NEAR(int(BlueOf(got)), int(BlueOf(want)), 8) << x << "," << y;
        }
    }
}

TEST_F(DecodeTest, CmykJpegBecomesOpaqueRgb) {
    // 8 x 8, Adobe CMYK: the left half full cyan ink, the right half no ink.
    const std::string path = (DataDir() / "decode" / "cmyk.jpg").string();
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(PropertiesText(image_), " 8 x 8  |  24 BPP  |  72 DPI  |  JPEG");
    const TColor32 cyan = image_.SourceBitmap.Pixel(1, 4), white = image_.SourceBitmap.Pixel(6, 4);
    EXPECT_EQ(AlphaOf(cyan), 255u);
    EXPECT_NEAR(int(RedOf(cyan)), 0, 6);
    EXPECT_NEAR(int(GreenOf(cyan)), 255, 6);
    EXPECT_NEAR(int(BlueOf(cyan)), 255, 6);
    EXPECT_NEAR(int(RedOf(white)), 255, 6);
}

TEST_F(DecodeTest, JpegTwoThousandNamedAndSized) {
    // The encoder's six resolution levels need at least 32 pixels a side.
    const Picture picture = Gradient(40, 33);
    FIBITMAP* dib32 = MakeDib32(picture);
    FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
    FreeImage_Unload(dib32);
    const std::string path = dir_.file("picture.jp2");
    SaveDib(dib, FIF_JP2, path, 1); // rate 1: lossless
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(image_.SourceFormat, FIF_JP2);
    EXPECT_EQ(PropertiesText(image_).substr(0, 23), " 40 x 33  |  24 BPP  | ");
    EXPECT_TRUE(PropertiesText(image_).ends_with("|  JPEG-2K"));
    ExpectPixels(image_.SourceBitmap, picture);
}

TEST_F(DecodeTest, KeepsTheBitmapsDrawSettingsAndLeavesTheComposedBitmapAlone) {
    image_.PreviewBitmap.DrawMode = dmBlend;
    image_.PreviewBitmap.MasterAlpha = 77;
    image_.ComposedBitmap.SetSize(2, 2);
    const std::string path = dir_.file("a.png");
    SaveDib(MakeDib32(Gradient(3, 3)), FIF_PNG, path);
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(image_.PreviewBitmap.DrawMode, dmBlend);
    EXPECT_EQ(image_.PreviewBitmap.MasterAlpha, 77);
    EXPECT_EQ(image_.ComposedBitmap.Width(), 2);
}

// Same-sized images reuse the bitmaps' storage; every decode must still replace every pixel.
TEST_F(DecodeTest, SuccessiveImagesReplaceEveryPixel) {
    Picture first = Gradient(6, 4), second = Gradient(6, 4), third = Gradient(3, 8);
    for (TColor32& c : second.pixels)
        c = Color32(255, 255 - RedOf(c), GreenOf(c) / 2, 200);
    const Picture* pictures[] = {&first, &second, &third, &first};
    for (const Picture* picture : pictures) {
        const std::string path = dir_.file("p" + std::to_string(picture->width) + ".png");
        SaveDib(MakeDib32(*picture), FIF_PNG, path);
        ASSERT_TRUE(DecodeSourceImage(image_, path));
        ExpectPixels(image_.SourceBitmap, *picture);
        ExpectPixels(image_.PreviewBitmap, *picture);
    }
}

TEST_F(DecodeTest, DetectsTheFormatFromContentNotExtension) {
    const std::string path = dir_.file("really-a-png.jpg");
    SaveDib(MakeDib32(Gradient(2, 2)), FIF_PNG, path);
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(image_.SourceFormat, FIF_PNG);
    EXPECT_TRUE(PropertiesText(image_).ends_with("|  PNG"));
}

} // namespace
} // namespace tessoly::test
