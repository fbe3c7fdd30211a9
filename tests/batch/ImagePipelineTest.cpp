#include "batch/ImagePipeline.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "batch/BatchSummary.h"
#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

constexpr std::uint32_t kGrey = 0x406080;

//! A uniform 24-bit PNG of the given size.
void WritePng(const std::string& path, int width, int height, std::uint32_t rgb = kGrey) {
    const FreeImagePtr image(FreeImage_Allocate(width, height, 24));
    RGBQUAD colour{static_cast<BYTE>(rgb), static_cast<BYTE>(rgb >> 8), static_cast<BYTE>(rgb >> 16), 0};
    FreeImage_FillBackground(image.get(), &colour);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image.get(), path.c_str(), 0));
}

std::uint32_t PixelAt(FIBITMAP* image, int x, int y) {
    const FreeImagePtr rgb(FreeImage_ConvertTo24Bits(image));
    const BYTE* p =
        FreeImage_GetScanLine(rgb.get(), static_cast<int>(FreeImage_GetHeight(rgb.get())) - 1 - y) + 3 * x;
    return std::uint32_t(p[FI_RGBA_RED]) << 16 | std::uint32_t(p[FI_RGBA_GREEN]) << 8 | p[FI_RGBA_BLUE];
}

struct PipelineFixture : ::testing::Test {
    test::ScratchDir dir;
    WorkingImage image;
    TTrueTypeFont font;
    WatermarkSettings watermark;
    OutputSettings output;
};

TEST_F(PipelineFixture, ASuccessfulItemIsWatermarkedWithoutGuideLines) {
    WritePng(dir.file("a.png"), 400, 300);
    watermark.showGuideLines = true;
    watermark.opacityPosition = 50;
    output.formatChoice = "PNG";
    std::filesystem::create_directory(dir.path() / "out");
    output.outputFolder = dir.file("out");
    const PipelineResult result = ProcessImage(dir.file("a.png"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_EQ(result.failedStage, PipelineStage::None);
    EXPECT_EQ(result.sourcePath, dir.file("a.png"));
    EXPECT_EQ(result.targetPath, dir.file("out/a.png"));
    EXPECT_EQ(image.SourceImage, nullptr);
    const FreeImagePtr written(FreeImage_Load(FIF_PNG, result.targetPath.c_str(), 0));
    ASSERT_TRUE(written);
    // The caption sits in the middle; the margin lines (x = 30, y = 30) would cross the corner.
    EXPECT_NE(PixelAt(written.get(), 200, 150), kGrey);
    EXPECT_EQ(PixelAt(written.get(), 30, 5), kGrey);
    EXPECT_EQ(PixelAt(written.get(), 5, 30), kGrey);
    // The window keeps the composed picture for its preview.
    EXPECT_EQ(image.PreviewBitmap.Width(), 400);
    EXPECT_EQ(image.PreviewBitmap.Pixel(200, 150), image.ComposedBitmap.Pixel(200, 150));
}

// Without a preview the decoded pixels are composed in place; the files written must not differ
// by a byte from the window's route, over items of changing sizes sharing one working image.
TEST_F(PipelineFixture, WithoutAPreviewTheOutputsAreTheSameAndThePreviewIsLeftAlone) {
    WritePng(dir.file("a.png"), 64, 48);
    WritePng(dir.file("b.png"), 90, 30, 0xC0A020);
    WritePng(dir.file("c.png"), 64, 48, 0x102030);
    WritePng(dir.file("mark.png"), 20, 12, 0xFF0000);
    const std::vector<std::string> sources = {dir.file("a.png"), dir.file("b.png"), dir.file("c.png"),
                                              dir.file("a.png")};
    image.PreviewBitmap.SetSize(3, 2);
    image.PreviewBitmap.Clear(0xFF445566u);
    for (const bool picture : {false, true}) {
        WatermarkSettings w;
        w.opacityPosition = 35;
        if (picture) {
            w.mode = kModeImage;
            w.picturePath = dir.file("mark.png");
        }
        const std::string tag = picture ? "picture" : "text";
        std::filesystem::create_directory(dir.path() / ("window-" + tag));
        std::filesystem::create_directory(dir.path() / ("batch-" + tag));
        WorkingImage windowImage;
        PipelineOptions noPreview;
        noPreview.showInPreview = false;
        for (const std::string& source : sources) {
            OutputSettings o;
            o.formatChoice = "BMP";
            o.existingFilePolicy = ExistingFilePolicy::Overwrite;
            o.outputFolder = dir.file("window-" + tag);
            const PipelineResult shown = ProcessImage(source, w, o, windowImage, font);
            ASSERT_EQ(shown.status, ItemStatus::Successful) << shown.reason;
            o.outputFolder = dir.file("batch-" + tag);
            const PipelineResult unseen = ProcessImage(source, w, o, image, font, noPreview);
            ASSERT_EQ(unseen.status, ItemStatus::Successful) << unseen.reason;
            EXPECT_EQ(test::ReadFileBytes(unseen.targetPath), test::ReadFileBytes(shown.targetPath))
                << tag << " " << source;
            EXPECT_EQ(image.SourceImage, nullptr);
        }
    }
    ASSERT_EQ(image.PreviewBitmap.Width(), 3);
    EXPECT_EQ(image.PreviewBitmap.Pixel(2, 1), 0xFF445566u);
}

// A GIF's transparent colour: kept as alpha by a PNG output (a logo keeps its see-through
// background), while a JPEG output is what it always was: the decode of an opaque picture.
TEST_F(PipelineFixture, AGifsTransparentColourReachesAPngOutputAndLeavesAJpegAsItWas) {
    {
        const FreeImagePtr gif(FreeImage_Allocate(80, 60, 8));
        RGBQUAD* palette = FreeImage_GetPalette(gif.get());
        palette[1] = RGBQUAD{200, 100, 50, 0};
        for (unsigned y = 0; y < 60; ++y) {
            for (unsigned x = 0; x < 80; ++x) {
                BYTE index = x < 40 ? 0 : 1;
                FreeImage_SetPixelIndex(gif.get(), x, y, &index);
            }
        }
        FreeImage_SetTransparentIndex(gif.get(), 0);
        ASSERT_TRUE(FreeImage_Save(FIF_GIF, gif.get(), dir.file("logo.gif").c_str(), 0));
    }
    watermark.caption = u"";
    std::filesystem::create_directory(dir.path() / "out");
    output.outputFolder = dir.file("out");
    output.formatChoice = "PNG";
    ASSERT_EQ(ProcessImage(dir.file("logo.gif"), watermark, output, image, font).status, ItemStatus::Successful);
    const FreeImagePtr png(FreeImage_Load(FIF_PNG, dir.file("out/logo.png").c_str(), 0));
    ASSERT_TRUE(png);
    ASSERT_EQ(FreeImage_GetBPP(png.get()), 32u);
    EXPECT_EQ(FreeImage_GetScanLine(png.get(), 30)[4 * 10 + FI_RGBA_ALPHA], 0);
    EXPECT_EQ(FreeImage_GetScanLine(png.get(), 30)[4 * 60 + FI_RGBA_ALPHA], 255);

    output.formatChoice = "JPEG";
    ASSERT_EQ(ProcessImage(dir.file("logo.gif"), watermark, output, image, font).status, ItemStatus::Successful);
    // The same picture decoded without its transparency, as every output did before.
    const FreeImagePtr opaque(FreeImage_ConvertTo24Bits(FreeImagePtr(FreeImage_Load(FIF_GIF, dir.file("logo.gif").c_str(), 0)).get()));
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, opaque.get(), dir.file("opaque.png").c_str(), 0));
    output.outputFolder = dir.file("out/ref");
    std::filesystem::create_directory(dir.path() / "out/ref");
    ASSERT_EQ(ProcessImage(dir.file("opaque.png"), watermark, output, image, font).status, ItemStatus::Successful);
    EXPECT_EQ(test::ReadFileBytes(dir.file("out/logo.jpg")), test::ReadFileBytes(dir.file("out/ref/opaque.jpg")));
}

TEST_F(PipelineFixture, EveryKindOfFailureIsUnsuccessfulWithItsStageAndReason) {
    WritePng(dir.file("good.png"), 64, 48);
    test::WriteFileBytes(dir.file("text.jpg"), "this is not a picture");
    struct Case {
        const char* name;
        std::string source;
        std::function<void(WatermarkSettings&, OutputSettings&)> setUp;
        PipelineStage stage;
        std::string reason;
    };
    const Case cases[] = {
        {"undecodable", dir.file("text.jpg"), [](WatermarkSettings&, OutputSettings&) {},
         PipelineStage::Decode, dir.file("text.jpg")},
        {"missing", dir.file("none.png"), [](WatermarkSettings&, OutputSettings&) {}, PipelineStage::Decode,
         dir.file("none.png")},
        {"picture missing", dir.file("good.png"),
         [&](WatermarkSettings& w, OutputSettings&) {
             w.mode = kModeImage;
             w.picturePath = dir.file("no-such-picture.png");
         },
         PipelineStage::Render, ""},
        {"resolution letters", dir.file("good.png"),
         [](WatermarkSettings&, OutputSettings& o) { o.resolutionChoice = "abc"; }, PipelineStage::Output,
         "'abc' is not a valid integer value"},
        {"lost in resizing", dir.file("good.png"),
         [](WatermarkSettings&, OutputSettings& o) {
             o.resize = true;
             o.proportional = false;
             o.heightText = "0";
         },
         PipelineStage::Output, ""},
    };
    for (const auto& c : cases) {
        WatermarkSettings w;
        OutputSettings o;
        o.existingFilePolicy = ExistingFilePolicy::Overwrite;
        o.outputFolder = dir.path().string();
        o.formatChoice = "BMP";
        c.setUp(w, o);
        const PipelineResult result = ProcessImage(c.source, w, o, image, font);
        EXPECT_EQ(result.status, ItemStatus::Unsuccessful) << c.name;
        EXPECT_EQ(result.failedStage, c.stage) << c.name;
        EXPECT_FALSE(result.reason.empty()) << c.name;
        if (!c.reason.empty()) {
            EXPECT_EQ(result.reason, c.reason) << c.name;
        }
        EXPECT_TRUE(CountsAsError(result)) << c.name;
        EXPECT_EQ(image.SourceImage, nullptr) << c.name;
        EXPECT_FALSE(std::filesystem::exists(dir.file("good.bmp"))) << c.name;
    }
}

TEST_F(PipelineFixture, AnExistingTargetUnderSkipIsSkippedAndCounted) {
    WritePng(dir.file("a.png"), 32, 32);
    const std::string before = test::ReadFileBytes(dir.file("a.png"));
    const PipelineResult result = ProcessImage(dir.file("a.png"), watermark, output, image, font);
    EXPECT_EQ(result.status, ItemStatus::Skipped);
    EXPECT_EQ(result.targetPath, dir.file("a.png"));
    EXPECT_TRUE(CountsAsError(result));
    EXPECT_EQ(test::ReadFileBytes(dir.file("a.png")), before);
}

TEST(BatchSummaryTest, EndOfRunMessageAndStatusValues) {
    EXPECT_EQ(BatchErrorMessage(2), "2 error(s) occurred during the watermarking process!\r\nProbably disk "
                                    "write error or skipped image.");
    const std::pair<ItemStatus, const char*> cases[] = {{ItemStatus::Waiting, "Waiting"},
                                                        {ItemStatus::InProgress, "InProgress"},
                                                        {ItemStatus::Successful, "Successful"},
                                                        {ItemStatus::Unsuccessful, "Unsuccessful"},
                                                        {ItemStatus::Skipped, "Skipped"}};
    int value = 0;
    for (const auto& [status, name] : cases) {
        EXPECT_EQ(static_cast<int>(status), value++);
        EXPECT_STREQ(ItemStatusName(status), name);
    }
}

} // namespace
} // namespace tessoly
