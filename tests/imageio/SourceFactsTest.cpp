// The facts the image list shows, read from headers: for every checked-in decode fixture, for
// JPEGs in the shapes cameras and scanners write (resolutions, grey, progressive, subsampled) and
// for JPEG-2000, the same as a full decode; and a header read never runs through the scan data.

#include "imageio/SourceFacts.h"

#include <filesystem>
#include <vector>

#include "imageio/DecodeFixtures.h"

namespace tessoly::test {
namespace {

void ExpectSameFacts(const std::string& path) {
    SCOPED_TRACE(path);
    const SourceFacts header = ReadSourceFacts(path);
    const SourceFacts decoded = DecodeSourceFacts(path);
    EXPECT_NE(decoded.width, 0u);
    EXPECT_EQ(header.format, decoded.format);
    EXPECT_EQ(header.width, decoded.width);
    EXPECT_EQ(header.height, decoded.height);
    EXPECT_EQ(header.dotsPerMetreX, decoded.dotsPerMetreX);
    EXPECT_EQ(header.dotsPerMetreY, decoded.dotsPerMetreY);
}

TEST_F(DecodeTest, HeaderFactsOfTheCheckedInFixturesAreThoseOfTheDecode) {
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(DataDir() / "decode")) {
        ExpectSameFacts(entry.path().string());
        ++seen;
    }
    EXPECT_GT(seen, 0);
}

TEST_F(DecodeTest, HeaderFactsOfJpegShapesAreThoseOfTheDecode) {
    struct Case {
        const char* name;
        unsigned dotsX, dotsY;
        int bpp;
        int flags;
    };
    const std::vector<Case> cases = {
        {"plain.jpg", 2835, 2835, 24, 0},
        {"axes.jpg", 2835, 3780, 24, 0},
        {"no-density.jpg", 0, 0, 24, 0},
        {"one-axis.jpg", 0, 2835, 24, 0},
        {"grey.jpg", 11811, 11811, 8, 0},
        {"progressive.jpg", 3780, 3780, 24, JPEG_PROGRESSIVE},
        {"subsampled.jpg", 3780, 3780, 24, JPEG_SUBSAMPLING_420},
    };
    for (const Case& c : cases) {
        FIBITMAP* dib32 = MakeDib32(Gradient(97, 61));
        FIBITMAP* dib = c.bpp == 8 ? FreeImage_ConvertToGreyscale(dib32) : FreeImage_ConvertTo24Bits(dib32);
        FreeImage_Unload(dib32);
        FreeImage_SetDotsPerMeterX(dib, c.dotsX);
        FreeImage_SetDotsPerMeterY(dib, c.dotsY);
        const std::string path = dir_.file(c.name);
        SaveDib(dib, FIF_JPEG, path, c.flags);
        ExpectSameFacts(path);
    }
}

// JPEG-2000 has no header-only load in the library: the size comes from the code stream's header.
TEST_F(DecodeTest, HeaderFactsOfJpeg2000AreThoseOfTheDecode) {
    for (const FREE_IMAGE_FORMAT format : {FIF_JP2, FIF_J2K}) {
        FIBITMAP* dib32 = MakeDib32(Gradient(83, 47));
        FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
        FreeImage_Unload(dib32);
        FreeImage_SetDotsPerMeterX(dib, 3780);
        FreeImage_SetDotsPerMeterY(dib, 3780);
        const std::string path = dir_.file(format == FIF_JP2 ? "picture.jp2" : "picture.j2k");
        SaveDib(dib, format, path, 1);
        ExpectSameFacts(path);
        EXPECT_EQ(ReadSourceFacts(path).width, 83u);
    }
}

// A GIF's size is its first frame's, which may be smaller than its logical screen.
TEST_F(DecodeTest, HeaderFactsOfAGifAreThoseOfItsFirstFrame) {
    // A 10 x 8 screen with a 1 x 1 frame at (2, 3): clear code, index 0, end code.
    const std::string bytes = std::string("GIF89a\x0A\x00\x08\x00\x80\x00\x00", 13) +
                              std::string("\x00\x00\x00\xFF\xFF\xFF", 6) +
                              std::string("\x2C\x02\x00\x03\x00\x01\x00\x01\x00\x00", 10) +
                              std::string("\x02\x02\x44\x01\x00\x3B", 6);
    const std::string path = dir_.file("frame.gif");
    WriteFileBytes(path, bytes);
    ExpectSameFacts(path);
    EXPECT_EQ(ReadSourceFacts(path).width, 1u);
}

// A photo whose scan data is damaged after its header: the decode refuses it, the header read
// still gives its size (the row is listed; the image fails when it is decoded).
TEST_F(DecodeTest, HeaderFactsIgnoreTheScanData) {
    const std::string path = dir_.file("damaged.jpg");
    FIBITMAP* dib32 = MakeDib32(Gradient(200, 120));
    FIBITMAP* dib = FreeImage_ConvertTo24Bits(dib32);
    FreeImage_Unload(dib32);
    SaveDib(dib, FIF_JPEG, path);
    std::string bytes = ReadFileBytes(path);
    bytes.resize(bytes.size() - 2); // no end marker
    WriteFileBytes(path, bytes);
    EXPECT_EQ(DecodeSourceFacts(path).width, 0u);
    const SourceFacts header = ReadSourceFacts(path);
    EXPECT_EQ(header.format, FIF_JPEG);
    EXPECT_EQ(header.width, 200u);
    EXPECT_EQ(header.height, 120u);
}

} // namespace
} // namespace tessoly::test
