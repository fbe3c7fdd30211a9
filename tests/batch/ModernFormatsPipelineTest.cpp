// The formats of today through the whole item: a HEIC source written as JPEG, and JPEG sources
// written as WebP (lossy and lossless) and AVIF, each read back with the mark in place and the
// untouched corner close to the source.

#include <cstdlib>
#include <gtest/gtest.h>

#include <FreeImage.h>

#include "batch/ImagePipeline.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/FreeImageLibrary.h"
#include "imageio/SourceDecoder.h"
#include "imageio/SourceFormat.h"
#include "support/HeifFixtures.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

constexpr TColor32 kSource = 0xFF406080;

bool Near(TColor32 a, TColor32 b, int tolerance) {
    return std::abs(int(RedOf(a)) - int(RedOf(b))) <= tolerance &&
           std::abs(int(GreenOf(a)) - int(GreenOf(b))) <= tolerance &&
           std::abs(int(BlueOf(a)) - int(BlueOf(b))) <= tolerance;
}

struct ModernFormats : ::testing::Test {
    FreeImageLibrary library;
    test::ScratchDir dir;
    WorkingImage image;
    TTrueTypeFont font;
    WatermarkSettings watermark;
    OutputSettings output;

    void SetUp() override {
        watermark.opacityPosition = 50;
        output.outputFolder = dir.file("out");
        std::filesystem::create_directory(dir.path() / "out");
    }
    //! The written file decoded again, as a source would be.
    void ExpectMarkedOutput(const PipelineResult& result, int format, int tolerance) {
        ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
        WorkingImage back;
        ASSERT_TRUE(DecodeSourceImage(back, result.targetPath)) << result.targetPath;
        EXPECT_EQ(back.SourceFormat, format);
        ASSERT_EQ(back.SourceBitmap.Width(), 400);
        ASSERT_EQ(back.SourceBitmap.Height(), 300);
        EXPECT_TRUE(Near(back.SourceBitmap.Pixel(5, 5), kSource, tolerance));
        // The caption is drawn white with a black outline across the middle.
        bool marked = false;
        for (int x = 100; x < 300 && !marked; ++x)
            marked = !Near(back.SourceBitmap.Pixel(x, 150), kSource, 40);
        EXPECT_TRUE(marked);
        ReleaseSourceImage(back);
    }
};

TEST_F(ModernFormats, JpegSourcesWrittenAsWebpAndAvifKeepTheMark) {
    const FreeImagePtr source(FreeImage_Allocate(400, 300, 24));
    RGBQUAD colour{0x80, 0x60, 0x40, 0};
    FreeImage_FillBackground(source.get(), &colour);
    for (const char* name : {"a.jpg", "b.jpg"})
        ASSERT_TRUE(FreeImage_Save(FIF_JPEG, source.get(), dir.file(name).c_str(), 95));
    struct Case {
        const char* source;
        const char* format;
        bool lossless;
        const char* target;
        int code;
        int tolerance;
    };
    const Case cases[] = {
        {"a.jpg", "WebP", false, "out/a.webp", FIF_WEBP, 12},
        {"b.jpg", "WebP", true, "out/b.webp", FIF_WEBP, 3},
        {"a.jpg", "AVIF", false, "out/a.avif", kFormatAvif, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        output.formatChoice = c.format;
        output.webpLossless = c.lossless;
        const PipelineResult result = ProcessImage(dir.file(c.source), watermark, output, image, font);
        EXPECT_EQ(result.targetPath, dir.file(c.target));
        ExpectMarkedOutput(result, c.code, c.tolerance);
    }
}

TEST_F(ModernFormats, HeicSourceWrittenAsJpegAndAvifUnchanged) {
    test::HeifFixture heic;
    heic.width = 400;
    heic.height = 300;
    heic.pixels.assign(400 * 300, kSource);
    ASSERT_TRUE(test::WriteHeifFixture(dir.file("p.heic"), heic));
    heic.av1 = true;
    ASSERT_TRUE(test::WriteHeifFixture(dir.file("q.avif"), heic));

    // "Unchanged": HEIF is not written, so JPEG; an AVIF source stays AVIF.
    PipelineResult result = ProcessImage(dir.file("p.heic"), watermark, output, image, font);
    EXPECT_EQ(result.targetPath, dir.file("out/p.jpg"));
    ExpectMarkedOutput(result, FIF_JPEG, 12);
    result = ProcessImage(dir.file("q.avif"), watermark, output, image, font);
    EXPECT_EQ(result.targetPath, dir.file("out/q.avif"));
    ExpectMarkedOutput(result, kFormatAvif, 12);
}

} // namespace
} // namespace tessoly

namespace tessoly {
namespace {

TEST_F(ModernFormats, AGreySourceStaysOneChannelUnlessTheMarkHasColour) {
    FreeImagePtr grey(FreeImage_Allocate(400, 300, 8));
    RGBQUAD* palette = FreeImage_GetPalette(grey.get());
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    for (unsigned y = 0; y < 300; ++y)
        std::fill_n(FreeImage_GetScanLine(grey.get(), int(y)), 400, BYTE(y % 200));
    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, grey.get(), dir.file("g.jpg").c_str(), 90));
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, grey.get(), dir.file("h.png").c_str(), 0));
    struct Case {
        const char* source;
        TColor32 textColour;
        const char* format;
        unsigned bpp;
    };
    const Case cases[] = {
        {"g.jpg", 0xFFFFFFFF, "Unchanged", 8}, {"h.png", 0xFFFFFFFF, "TIFF", 8},
        {"h.png", 0xFFFFFFFF, "WebP", 24},     {"g.jpg", 0xFFE02020, "Unchanged", 24},
    };
    output.existingFilePolicy = ExistingFilePolicy::Overwrite;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " " + c.format);
        watermark.textColour = c.textColour;
        output.formatChoice = c.format;
        const PipelineResult result = ProcessImage(dir.file(c.source), watermark, output, image, font);
        ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
        const FREE_IMAGE_FORMAT written = FreeImage_GetFileType(result.targetPath.c_str(), 0);
        const FreeImagePtr back(FreeImage_Load(written, result.targetPath.c_str(), 0));
        ASSERT_TRUE(back);
        EXPECT_EQ(FreeImage_GetBPP(back.get()), c.bpp);
    }
}

} // namespace
} // namespace tessoly
