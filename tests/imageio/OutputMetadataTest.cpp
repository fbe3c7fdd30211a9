#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "OutputTestImages.h"
#include "imageio/OutputWriter.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

void Put16(std::vector<BYTE>& b, unsigned v) {
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(std::vector<BYTE>& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

//! An APP1 Exif block as a camera writes it: IFD0 with Make and Model.
std::vector<BYTE> CameraExif() {
    std::vector<BYTE> b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0};
    Put32(b, 8);      // IFD0 offset
    Put16(b, 2);      // entries
    Put16(b, 0x010F); // Make, ASCII, 11 bytes at offset 38
    Put16(b, 2);
    Put32(b, 11);
    Put32(b, 38);
    Put16(b, 0x0110); // Model, ASCII, 4 bytes inline
    Put16(b, 2);
    Put32(b, 4);
    b.insert(b.end(), {'T', '-', '1', 0});
    Put32(b, 0); // no next IFD
    const char make[] = "TessolyCam";
    b.insert(b.end(), make, make + sizeof make);
    return b;
}

void SetTag(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key, WORD id, FREE_IMAGE_MDTYPE type,
            const void* value, DWORD length) {
    FITAG* tag = FreeImage_CreateTag();
    FreeImage_SetTagKey(tag, key);
    FreeImage_SetTagID(tag, id);
    FreeImage_SetTagType(tag, type);
    FreeImage_SetTagCount(tag, length);
    FreeImage_SetTagLength(tag, length);
    FreeImage_SetTagValue(tag, value);
    FreeImage_SetMetadata(model, image, key, tag);
    FreeImage_DeleteTag(tag);
}

std::string TagText(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(model, image, key, &tag) || tag == nullptr)
        return "";
    const char* value = static_cast<const char*>(FreeImage_GetTagValue(tag));
    return std::string(value, strnlen(value, FreeImage_GetTagLength(tag)));
}

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

} // namespace
} // namespace tessoly
