// The source's ICC profile in the outputs: byte for byte where the format holds one, for colour
// outputs only, and never one that cannot describe RGB pixels.

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "OutputMetadataReadBack.h"
#include "OutputTestImages.h"
#include "imageio/SourceDecoder.h"
#include "imageio/OutputWriter.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using namespace test;

//! A small ICC profile of RGB data as a wide-gamut camera profile looks: a valid header (its
//! size, "acsp", RGB data, XYZ connection space, D50) and a white point and description tag.
std::vector<BYTE> WideGamutProfile(const char* colourSpace = "RGB ") {
    std::vector<BYTE> p(128, 0);
    auto be32 = [&p](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            p[at + i] = static_cast<BYTE>(v >> (24 - 8 * i));
    };
    std::memcpy(&p[4], "tsly", 4);
    p[8] = 2;
    p[9] = 0x10;
    std::memcpy(&p[12], "mntr", 4);
    std::memcpy(&p[16], colourSpace, 4);
    std::memcpy(&p[20], "XYZ ", 4);
    std::memcpy(&p[36], "acsp", 4);
    be32(68, 0x0000F6D6); // D50
    be32(72, 0x00010000);
    be32(76, 0x0000D32D);
    const char text[] = "Tessoly wide RGB test profile";
    const std::uint32_t tagsAt = 128 + 4 + 2 * 12;
    const std::uint32_t textBytes = (8 + sizeof text + 3) & ~3u;
    p.resize(tagsAt + 20 + textBytes, 0);
    be32(128, 2);
    std::memcpy(&p[132], "wtpt", 4);
    be32(136, tagsAt);
    be32(140, 20);
    std::memcpy(&p[144], "cprt", 4);
    be32(148, tagsAt + 20);
    be32(152, 8 + sizeof text);
    std::memcpy(&p[tagsAt], "XYZ ", 4);
    be32(tagsAt + 8, 0x0000F351);
    be32(tagsAt + 12, 0x00010000);
    be32(tagsAt + 16, 0x000116CC);
    std::memcpy(&p[tagsAt + 20], "text", 4);
    std::memcpy(&p[tagsAt + 28], text, sizeof text);
    be32(0, static_cast<std::uint32_t>(p.size()));
    return p;
}

//! A JPEG source with an embedded profile, loaded as the decoder loads it.
FIBITMAP* LoadProfiledJpeg(const std::string& path, const std::vector<BYTE>& profile) {
    const FreeImagePtr picture(FreeImage_Allocate(40, 30, 24));
    FreeImage_CreateICCProfile(picture.get(), const_cast<BYTE*>(profile.data()), static_cast<long>(profile.size()));
    EXPECT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), path.c_str(), 90));
    return FreeImage_Load(FIF_JPEG, path.c_str(), 0);
}

TEST(OutputMetadataTest, TheColourProfileReachesJpegPngAndTiffByteForByteWithOrWithoutMetadata) {
    test::ScratchDir src;
    test::ScratchDir out;
    const std::vector<BYTE> profile = WideGamutProfile();
    WorkingImage image;
    image.SourceImage = LoadProfiledJpeg(src.file("wide.jpg"), profile);
    ASSERT_EQ(ProfileOf(image.SourceImage), profile); // the fixture carries it
    image.SourceFormat = FIF_JPEG;
    image.CurrentImagePath = src.file("wide.jpg");
    test::FillPattern(image.ComposedBitmap, 40, 30);
    struct Case {
        const char* format;
        const char* file;
        bool keepMetadata;
        const char* colourMode;
        bool carried;
    };
    const Case cases[] = {
        {"JPEG", "wide.jpg", true, "RGB", true},         {"PNG", "wide.png", true, "RGB", true},
        {"TIFF", "wide.tif", true, "RGB", true},         {"JPEG", "wide.jpg", false, "RGB", true},
        {"PNG", "wide.png", false, "RGB", true},         {"TIFF", "wide.tif", false, "RGB", true},
        {"JPEG", "wide.jpg", true, "Greyscale", false},  {"PNG", "wide.png", true, "Monochrome", false},
    };
    for (const Case& c : cases) {
        OutputSettings settings;
        settings.outputFolder = out.path().string();
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        settings.formatChoice = c.format;
        settings.keepMetadata = c.keepMetadata;
        settings.colourMode = c.colourMode;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
        const FreeImagePtr written = test::LoadOutput(out.file(c.file));
        ASSERT_TRUE(written) << c.file;
        const std::vector<BYTE> carried = std::string(c.format) == "PNG"
                                              ? PngProfile(test::ReadFileBytes(out.file(c.file)))
                                              : ProfileOf(written.get());
        EXPECT_EQ(carried, c.carried ? profile : std::vector<BYTE>())
            << c.format << " metadata " << c.keepMetadata << " " << c.colourMode;
    }
}

TEST(OutputMetadataTest, APngSourcesProfileIsReadAndCarriedToo) {
    test::ScratchDir src;
    test::ScratchDir out;
    const std::vector<BYTE> profile = WideGamutProfile();
    const std::string png = src.file("p3.png");
    {
        const FreeImagePtr picture(FreeImage_Allocate(40, 30, 24));
        FreeImage_CreateICCProfile(picture.get(), const_cast<BYTE*>(profile.data()), static_cast<long>(profile.size()));
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, picture.get(), png.c_str(), 0));
    }
    WorkingImage image;
    ASSERT_TRUE(DecodeSourceImage(image, png, DecodeTargets::SourceOnly));
    image.ComposedBitmap.Assign(image.SourceBitmap);
    for (const auto& [format, file] : {std::pair{"JPEG", "p3.jpg"}, std::pair{"PNG", "p3.png"}}) {
        OutputSettings settings;
        settings.outputFolder = out.path().string();
        settings.formatChoice = format;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        const std::string bytes = test::ReadFileBytes(out.file(file));
        const FreeImagePtr written = test::LoadOutput(out.file(file));
        EXPECT_EQ(std::string(format) == "PNG" ? PngProfile(bytes) : ProfileOf(written.get()), profile) << format;
    }
}

TEST(OutputMetadataTest, AProfileOfOtherThanRgbDataIsNotPutOnRgbPixels) {
    test::ScratchDir src;
    test::ScratchDir out;
    WorkingImage image;
    image.SourceImage = LoadProfiledJpeg(src.file("cmyk.jpg"), WideGamutProfile("CMYK"));
    ASSERT_FALSE(ProfileOf(image.SourceImage).empty());
    image.SourceFormat = FIF_JPEG;
    image.CurrentImagePath = src.file("cmyk.jpg");
    test::FillPattern(image.ComposedBitmap, 40, 30);
    OutputSettings settings;
    settings.outputFolder = out.path().string();
    ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
    const FreeImagePtr written = test::LoadOutput(out.file("cmyk.jpg"));
    ASSERT_TRUE(written);
    EXPECT_TRUE(ProfileOf(written.get()).empty());
}

} // namespace
} // namespace tessoly
