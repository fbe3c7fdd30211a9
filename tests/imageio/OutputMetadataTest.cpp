#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "OutputMetadataReadBack.h"
#include "OutputTestImages.h"
#include "imageio/OutputWriter.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using namespace test;

//! Writes a camera-style JPEG with Exif, IPTC and 240 DPI, and loads it as the decoder does.
FIBITMAP* LoadCameraJpeg(const std::string& path) {
    const FreeImagePtr picture(FreeImage_Allocate(48, 32, 24));
    FreeImage_SetDotsPerMeterX(picture.get(), 9449);
    FreeImage_SetDotsPerMeterY(picture.get(), 9449);
    const std::vector<BYTE> exif = CameraExif();
    SetTag(picture.get(), FIMD_EXIF_RAW, "ExifRaw", 0, FIDT_BYTE, exif.data(),
           static_cast<DWORD>(exif.size()));
    const char caption[] = "Harbour at dawn";
    SetTag(picture.get(), FIMD_IPTC, "Caption-Abstract", 0x0278, FIDT_ASCII, caption, sizeof caption);
    const char byline[] = "A. Photographer";
    SetTag(picture.get(), FIMD_IPTC, "By-line", 0x0250, FIDT_ASCII, byline, sizeof byline);
    EXPECT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), path.c_str(), 90));
    return FreeImage_Load(FIF_JPEG, path.c_str(), 0);
}

TEST(OutputMetadataTest, ExifIptcAndResolutionOfACameraJpegAreCarriedIntoTheOutput) {
    test::ScratchDir src;
    test::ScratchDir out;
    WorkingImage image;
    image.SourceImage = LoadCameraJpeg(src.file("cam.jpg"));
    ASSERT_NE(image.SourceImage, nullptr);
    // The fixture itself must carry what the test looks for.
    ASSERT_EQ(TagText(image.SourceImage, FIMD_EXIF_MAIN, "Make"), "TessolyCam");
    ASSERT_EQ(TagText(image.SourceImage, FIMD_IPTC, "Caption-Abstract"), "Harbour at dawn");
    image.SourceFormat = FIF_JPEG;
    image.CurrentImagePath = src.file("cam.jpg");
    test::FillPattern(image.ComposedBitmap, 48, 32);

    OutputSettings settings;
    settings.outputFolder = out.path().string();
    const OutputOutcome kept = SaveOutputImage(image, settings);
    ASSERT_FALSE(kept.OutputFailed) << kept.reason;
    const FreeImagePtr withMetadata = test::LoadOutput(out.file("cam.jpg"));
    ASSERT_TRUE(withMetadata);
    EXPECT_EQ(TagText(withMetadata.get(), FIMD_EXIF_MAIN, "Make"), "TessolyCam");
    EXPECT_EQ(TagText(withMetadata.get(), FIMD_EXIF_MAIN, "Model"), "T-1");
    EXPECT_EQ(TagText(withMetadata.get(), FIMD_IPTC, "Caption-Abstract"), "Harbour at dawn");
    EXPECT_EQ(TagText(withMetadata.get(), FIMD_IPTC, "By-line"), "A. Photographer");
    // JPEG stores whole DPI: 240 DPI, 9449 dots per metre, comes back as 9449.
    EXPECT_EQ(FreeImage_GetDotsPerMeterX(withMetadata.get()), 9449u);

    settings.keepMetadata = false;
    settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
    const OutputOutcome dropped = SaveOutputImage(image, settings);
    ASSERT_FALSE(dropped.OutputFailed) << dropped.reason;
    const FreeImagePtr without = test::LoadOutput(out.file("cam.jpg"));
    EXPECT_EQ(TagText(without.get(), FIMD_EXIF_MAIN, "Make"), "");
    EXPECT_EQ(TagText(without.get(), FIMD_IPTC, "Caption-Abstract"), "");
}

TEST(OutputMetadataTest, AMalformedExifBlockIsDroppedNotWrittenBroken) {
    test::ScratchDir dir;
    WorkingImage image;
    test::PrepareWorkingImage(image, 16, 16, dir.file("s.jpg"));
    std::vector<BYTE> exif = CameraExif();
    exif[10] = 0xF0; // IFD0 far past the block's end
    SetTag(image.SourceImage, FIMD_EXIF_RAW, "ExifRaw", 0, FIDT_BYTE, exif.data(), static_cast<DWORD>(exif.size()));
    for (const auto& [format, file] : {std::pair{"JPEG", "s.jpg"}, std::pair{"PNG", "s.png"}}) {
        OutputSettings settings;
        settings.formatChoice = format;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        const std::string bytes = test::ReadFileBytes(dir.file(file));
        EXPECT_EQ(bytes.find(std::string("Exif\0\0", 6)), std::string::npos) << format;
        EXPECT_EQ(bytes.find("eXIf"), std::string::npos) << format;
    }
}

TEST(OutputMetadataTest, KeywordsKeepTheirOrder) {
    test::ScratchDir src;
    test::ScratchDir out;
    // Keywords recorded as three IPTC records in this order, as a photo manager writes them.
    const std::string jpeg = src.file("k.jpg");
    {
        const FreeImagePtr picture(FreeImage_Allocate(8, 8, 24));
        // The library's writer stores a list in reverse: given reversed, the file has the order.
        const char reversed[] = "harbour;dawn;boats";
        SetTag(picture.get(), FIMD_IPTC, "Keywords", 0x0219, FIDT_ASCII, reversed, sizeof reversed);
        ASSERT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), jpeg.c_str(), 90));
    }
    const std::string bytes = test::ReadFileBytes(jpeg);
    ASSERT_LT(bytes.find("boats"), bytes.find("dawn"));
    ASSERT_LT(bytes.find("dawn"), bytes.find("harbour"));
    WorkingImage image;
    image.SourceImage = FreeImage_Load(FIF_JPEG, jpeg.c_str(), 0);
    image.SourceFormat = FIF_JPEG;
    image.CurrentImagePath = jpeg;
    test::FillPattern(image.ComposedBitmap, 8, 8);
    for (const auto& [format, file] :
         {std::pair{"JPEG", "k.jpg"}, std::pair{"TIFF", "k.tif"}, std::pair{"PNG", "k.png"}}) {
        OutputSettings settings;
        settings.outputFolder = out.path().string();
        settings.formatChoice = format;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        std::string written = test::ReadFileBytes(out.file(file));
        if (std::string(format) == "PNG")
            written = PngRawIptc(written);
        EXPECT_NE(written.find("boats"), std::string::npos) << format;
        EXPECT_LT(written.find("boats"), written.find("dawn")) << format;
        EXPECT_LT(written.find("dawn"), written.find("harbour")) << format;
    }
}

TEST(OutputMetadataTest, AJpegWithoutMetadataStatesTheSourceResolutionOr72Dpi) {
    test::ScratchDir dir;
    for (const auto& [sourceDpm, expectedDpi] : {std::pair{11811u, 300}, std::pair{0u, 72}}) {
        WorkingImage image;
        test::PrepareWorkingImage(image, 16, 16, dir.file("s.png"), FIF_PNG, sourceDpm);
        OutputSettings settings;
        settings.formatChoice = "JPEG";
        settings.keepMetadata = false;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        // The JFIF header: units 1 (dots per inch), then the horizontal and vertical density.
        const std::string bytes = test::ReadFileBytes(dir.file("s.jpg"));
        ASSERT_EQ(bytes.compare(6, 5, std::string("JFIF\0", 5)), 0);
        EXPECT_EQ(bytes[13], 1);
        EXPECT_EQ((static_cast<BYTE>(bytes[14]) << 8) | static_cast<BYTE>(bytes[15]), expectedDpi);
        EXPECT_EQ((static_cast<BYTE>(bytes[16]) << 8) | static_cast<BYTE>(bytes[17]), expectedDpi);
    }
}

} // namespace
} // namespace tessoly
