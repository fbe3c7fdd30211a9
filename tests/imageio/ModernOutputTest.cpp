// WebP and AVIF outputs: through the output stage the pixels the right way up and the source's
// Exif carried into the file; the encoders write the colour profile of the image they are given.

#include <gtest/gtest.h>

#include "OutputTestImages.h"
#include "imageio/FreeImageLibrary.h"
#include "imageio/HeifCodec.h"
#include "imageio/OutputWriter.h"
#include "imageio/SourceDecoder.h"
#include "imageio/SourceFormat.h"
#include "imageio/WebpEncode.h"
#include "support/HeifFixtures.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

TEST(ModernOutputTest, WebpAndAvifKeepTheRowsOrderProfileAndExif) {
    FreeImageLibrary library;
    test::ScratchDir dir;
    const std::string exif = test::ExifWithOrientation(3);
    struct Case {
        const char* format;
        bool lossless;
        int code;
        const char* target;
    };
    for (const Case c : {Case{"WebP", true, FIF_WEBP, "a.webp"}, Case{"WebP", false, FIF_WEBP, "b.webp"},
                         Case{"AVIF", false, kFormatAvif, "c.avif"}}) {
        SCOPED_TRACE(c.target);
        WorkingImage image;
        test::PrepareWorkingImage(image, 64, 48, dir.file(c.target), FIF_JPEG);
        // Top half red, bottom half blue, so a picture written upside down shows.
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                image.ComposedBitmap.SetPixel(x, y, y < 24 ? 0xFFE00000u : 0xFF0000E0u);
        FITAG* tag = FreeImage_CreateTag();
        FreeImage_SetTagKey(tag, "ExifRaw");
        FreeImage_SetTagType(tag, FIDT_BYTE);
        FreeImage_SetTagCount(tag, DWORD(exif.size()));
        FreeImage_SetTagLength(tag, DWORD(exif.size()));
        FreeImage_SetTagValue(tag, exif.data());
        FreeImage_SetMetadata(FIMD_EXIF_RAW, image.SourceImage, "ExifRaw", tag);
        FreeImage_DeleteTag(tag);
        OutputSettings settings;
        settings.formatChoice = c.format;
        settings.webpLossless = c.lossless;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
        ReleaseSourceImage(image);

        WorkingImage back;
        ASSERT_TRUE(DecodeSourceImage(back, dir.file(c.target)));
        EXPECT_EQ(back.SourceFormat, c.code);
        EXPECT_GT(RedOf(back.SourceBitmap.Pixel(10, 5)), 180u);
        EXPECT_GT(BlueOf(back.SourceBitmap.Pixel(10, 43)), 180u);
        if (c.code == kFormatAvif) {
            // Read back through the same Exif parsing a HEIF source gets.
            EXPECT_EQ(back.SourceOrientation, 3);
        }
        ReleaseSourceImage(back);
    }
}

TEST(ModernOutputTest, TheEncodersWriteTheColourProfile) {
    FreeImageLibrary library;
    test::ScratchDir dir;
    const std::string profile(300, '\x21');
    const FreeImagePtr dib(FreeImage_Allocate(40, 30, 24));
    FreeImage_CreateICCProfile(dib.get(), const_cast<char*>(profile.data()), long(profile.size()));
    for (const bool avif : {false, true}) {
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(avif ? EncodeAvif(dib.get(), 60, bytes, error) : EncodeWebp(dib.get(), 60, false, bytes, error))
            << error;
        const std::string path = dir.file(avif ? "p.avif" : "p.webp");
        test::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
        WorkingImage back;
        ASSERT_TRUE(DecodeSourceImage(back, path));
        const FIICCPROFILE* read = FreeImage_GetICCProfile(back.SourceImage);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(std::string(static_cast<const char*>(read->data), std::size_t(read->size)), profile) << path;
        ReleaseSourceImage(back);
    }
}

} // namespace
} // namespace tessoly
