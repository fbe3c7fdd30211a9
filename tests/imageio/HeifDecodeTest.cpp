// HEIF, AVIF and WebP sources: decoded with their facts, turned upright by the file's own
// transform (and never again by its Exif tag), with profile and Exif attached; cut-short and
// hostile files refused by the header checks. Fixtures are encoded in the test.

#include <cstdlib>

#include "imageio/DecodeFixtures.h"
#include "imageio/HeaderSanity.h"
#include "imageio/HeifCodec.h"
#include "imageio/SourceDecoder.h"
#include "imageio/SourceFormat.h"
#include "support/HeifFixtures.h"

namespace tessoly::test {
namespace {

constexpr TColor32 kRed = 0xFFE01010, kBlue = 0xFF1010E0, kGreen = 0xFF10E010, kGrey = 0xFF808080;

//! 64 x 32: a red top-left quadrant, a green top-right one, the bottom half blue.
HeifFixture Quadrants(bool av1) {
    HeifFixture f;
    f.width = 64;
    f.height = 32;
    f.av1 = av1;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            f.pixels.push_back(y >= 16 ? kBlue : x < 32 ? kRed : kGreen);
    return f;
}

bool Near(TColor32 a, TColor32 b, int tolerance = 24) {
    return std::abs(int(RedOf(a)) - int(RedOf(b))) <= tolerance &&
           std::abs(int(GreenOf(a)) - int(GreenOf(b))) <= tolerance &&
           std::abs(int(BlueOf(a)) - int(BlueOf(b))) <= tolerance && AlphaOf(a) == AlphaOf(b);
}

class HeifDecodeTest : public DecodeTest {};

TEST_F(HeifDecodeTest, HeicAndAvifDecodeWithTheirFacts) {
    struct Case {
        bool av1;
        int format;
        const char* name;
    };
    for (const Case c : {Case{false, kFormatHeif, "HEIF"}, Case{true, kFormatAvif, "AVIF"}}) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.file(std::string("photo.") + (c.av1 ? "avif" : "heic"));
        ASSERT_TRUE(WriteHeifFixture(path, Quadrants(c.av1)));
        EXPECT_EQ(DetectSourceFormat(path), c.format);
        ASSERT_TRUE(DecodeSourceImage(image_, path));
        EXPECT_EQ(image_.SourceFormat, c.format);
        EXPECT_EQ(PropertiesText(image_), std::string(" 64 x 32  |  24 BPP  |  72 DPI  |  ") + c.name);
        EXPECT_TRUE(Near(image_.SourceBitmap.Pixel(4, 4), kRed));
        EXPECT_TRUE(Near(image_.SourceBitmap.Pixel(60, 4), kGreen));
        EXPECT_TRUE(Near(image_.SourceBitmap.Pixel(30, 28), kBlue));
        EXPECT_TRUE(image_.OrientationApplied);
        EXPECT_EQ(image_.SourceOrientation, 1);
        ReleaseSourceImage(image_);
    }
}

TEST_F(HeifDecodeTest, AlphaIsKeptAs32Bits) {
    HeifFixture f = Quadrants(true);
    f.alpha = true;
    for (std::size_t i = 0; i < f.pixels.size() / 2; ++i)
        f.pixels[i] = SetAlpha(f.pixels[i], 0);
    const std::string path = dir_.file("clear.avif");
    ASSERT_TRUE(WriteHeifFixture(path, f));
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(image_.SourceBitsPerPixel, 32);
    EXPECT_EQ(AlphaOf(image_.SourceBitmap.Pixel(4, 4)), 0u);
    EXPECT_EQ(AlphaOf(image_.SourceBitmap.Pixel(4, 28)), 255u);
}

TEST_F(HeifDecodeTest, RotationTransformIsAppliedOnceAndTheExifTagKept) {
    // Stored turned: the file's irot box asks for a quarter turn clockwise (Exif 6), and its Exif
    // says the same, as cameras write both. The picture comes out upright and 32 x 64.
    HeifFixture f = Quadrants(false);
    f.orientation = 6;
    f.exifOrientation = 6;
    const std::string path = dir_.file("turned.heic");
    ASSERT_TRUE(WriteHeifFixture(path, f));
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    ASSERT_EQ(image_.SourceBitmap.Width(), 32);
    ASSERT_EQ(image_.SourceBitmap.Height(), 64);
    // Turned clockwise, the stored top-left (red) lands top-right, the bottom (blue) on the left.
    EXPECT_TRUE(Near(image_.SourceBitmap.Pixel(28, 4), kRed));
    EXPECT_TRUE(Near(image_.SourceBitmap.Pixel(28, 60), kGreen));
    EXPECT_TRUE(Near(image_.SourceBitmap.Pixel(4, 30), kBlue));
    EXPECT_EQ(image_.SourceOrientation, 6);
    EXPECT_TRUE(image_.OrientationApplied);
    FITAG* tag = nullptr;
    EXPECT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_MAIN, image_.SourceImage, "Orientation", &tag));
    EXPECT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_RAW, image_.SourceImage, "ExifRaw", &tag));
}

TEST_F(HeifDecodeTest, ColourProfileIsAttached) {
    HeifFixture f = Quadrants(false);
    f.iccProfile = std::string(200, '\x11');
    const std::string path = dir_.file("profiled.heic");
    ASSERT_TRUE(WriteHeifFixture(path, f));
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(image_.SourceImage);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(profile->data), profile->size), f.iccProfile);
}

TEST_F(HeifDecodeTest, WebpIsReadAndNamed) {
    const Picture picture = Gradient(40, 20);
    const std::string path = dir_.file("web.webp");
    SaveDib(MakeDib32(picture), FIF_WEBP, path, WEBP_LOSSLESS);
    ASSERT_TRUE(DecodeSourceImage(image_, path));
    EXPECT_EQ(image_.SourceFormat, FIF_WEBP);
    EXPECT_NE(PropertiesText(image_).find("|  WebP"), std::string::npos) << PropertiesText(image_);
    EXPECT_EQ(image_.SourceBitmap.Pixel(39, 19), picture.pixels.back());
}

TEST_F(HeifDecodeTest, CutShortAndHostileFilesAreRefused) {
    const std::string good = dir_.file("good.heic");
    ASSERT_TRUE(WriteHeifFixture(good, Quadrants(false)));
    const std::string bytes = ReadFileBytes(good);
    const std::string goodWebp = dir_.file("good.webp");
    SaveDib(MakeDib32(Gradient(40, 20)), FIF_WEBP, goodWebp, 90);
    const std::string webp = ReadFileBytes(goodWebp);

    // Every ispe box claims 60000 x 60000: over the pixel cap.
    std::string huge = bytes;
    ASSERT_NE(huge.find("ispe"), std::string::npos);
    for (std::size_t ispe = huge.find("ispe"); ispe != std::string::npos; ispe = huge.find("ispe", ispe + 4)) {
        for (std::size_t at : {ispe + 8, ispe + 12}) {
            huge[at] = 0;
            huge[at + 1] = 0;
            huge[at + 2] = char(0xEA);
            huge[at + 3] = char(0x60);
        }
    }
    // A VP8X canvas of 70000 x 70000 in front of the real frame.
    std::string bigWebp = webp.substr(0, 12) + "VP8X" + std::string("\x0A\0\0\0", 4) + std::string(4, '\0') +
                          "\x6F\x11\x01\x6F\x11\x01" + webp.substr(12);
    const std::uint32_t riff = std::uint32_t(bigWebp.size() - 8);
    for (int i = 0; i < 4; ++i)
        bigWebp[4 + i] = char(riff >> (8 * i));

    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"heic cut in its coded data", bytes.substr(0, bytes.size() - 40)},
        {"heic cut in its boxes", bytes.substr(0, 200)},
        {"heic claiming a huge picture", huge},
        {"ftyp alone", bytes.substr(0, 24)},
        {"webp cut short", webp.substr(0, webp.size() - 10)},
        {"webp claiming a huge canvas", bigWebp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir_.file("bad");
        WriteFileBytes(path, c.content);
        const int format = DetectSourceFormat(path);
        EXPECT_FALSE(SourceHeaderIsPlausible(path, format));
        EXPECT_FALSE(DecodeSourceImage(image_, path));
        EXPECT_EQ(image_.SourceImage, nullptr);
    }
}

TEST(HeifBrand, TheFtypBrandNamesTheFormat) {
    const auto ftyp = [](const std::string& major, const std::string& compatible) {
        std::string box = std::string("\0\0\0", 3) + char(16 + compatible.size()) + "ftyp" + major + "\0\0\0\0" +
                          compatible;
        return HeifFormatFromHeader(reinterpret_cast<const std::uint8_t*>(box.data()), box.size());
    };
    EXPECT_EQ(ftyp("heic", "mif1heic"), kFormatHeif);
    EXPECT_EQ(ftyp("mif1", "mif1heic"), kFormatHeif);
    EXPECT_EQ(ftyp("avif", "mif1avif"), kFormatAvif);
    EXPECT_EQ(ftyp("mif1", "mif1avif"), kFormatAvif);
    EXPECT_EQ(ftyp("isom", "isomavc1"), -1); // an MP4 film
    EXPECT_EQ(ftyp("qt  ", ""), -1);
}

} // namespace
} // namespace tessoly::test
