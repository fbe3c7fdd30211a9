// A mark measured on the image, with the output resized: it is composed at the output size, so
// the file equals the one made from a source already at that size (resized the same way), with
// the output rotation after it. A mark in pixels keeps the compose-then-resize order.

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

#include <FreeImage.h>

#include "batch/ImagePipeline.h"
#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

//! A 24-bit PNG with a colour ramp, so that any resampling shows.
void WriteRamp(const std::string& path, int width, int height) {
    const FreeImagePtr image(FreeImage_Allocate(width, height, 24));
    for (int y = 0; y < height; ++y) {
        BYTE* row = FreeImage_GetScanLine(image.get(), y);
        for (int x = 0; x < width; ++x) {
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>((x * 255) / width);
            row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>((y * 255) / height);
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(((x ^ y) * 7) & 0xFF);
        }
    }
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image.get(), path.c_str(), 0));
}

//! The PNG at path resized (bicubic) to width x height, written to target.
void WriteResized(const std::string& path, const std::string& target, int width, int height) {
    const FreeImagePtr image(FreeImage_Load(FIF_PNG, path.c_str(), 0));
    const FreeImagePtr scaled(FreeImage_Rescale(image.get(), width, height, FILTER_BICUBIC));
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, scaled.get(), target.c_str(), 0));
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct ResizeCase {
    const char* name;
    const char* rotation;
    const char* width;
    const char* height;
    //! The size before the rotation that the output has.
    int outWidth;
    int outHeight;
};

class RelativeResize : public ::testing::TestWithParam<ResizeCase> {};

TEST_P(RelativeResize, TheMarkIsComposedAtTheOutputSize) {
    const ResizeCase c = GetParam();
    test::ScratchDir dir;
    WriteRamp(dir.file("big.png"), 1200, 800);
    WriteResized(dir.file("big.png"), dir.file("small.png"), c.outWidth, c.outHeight);
    std::filesystem::create_directory(dir.path() / "a");
    std::filesystem::create_directory(dir.path() / "b");

    WatermarkSettings watermark;
    watermark.fontSize = 6;
    watermark.fontSizeUnit = SizeUnit::PercentOfImage;
    watermark.hMargin = 3;
    watermark.hMarginUnit = SizeUnit::PercentOfImage;
    watermark.position = WatermarkPosition::BottomRight;
    OutputSettings output;
    output.formatChoice = "PNG";
    output.rotation = c.rotation;
    output.resize = true;
    output.widthText = c.width;
    output.heightText = c.height;
    output.outputFolder = dir.file("a");
    WorkingImage image;
    TTrueTypeFont font;
    const PipelineResult resized = ProcessImage(dir.file("big.png"), watermark, output, image, font);
    ASSERT_EQ(resized.status, ItemStatus::Successful) << resized.reason;

    output.resize = false;
    output.outputFolder = dir.file("b");
    const PipelineResult direct = ProcessImage(dir.file("small.png"), watermark, output, image, font);
    ASSERT_EQ(direct.status, ItemStatus::Successful) << direct.reason;
    EXPECT_EQ(Bytes(resized.targetPath), Bytes(direct.targetPath));
}

INSTANTIATE_TEST_SUITE_P(Outputs, RelativeResize,
                         ::testing::Values(ResizeCase{"Width", kRotationNone, "600", "0", 600, 400},
                                           ResizeCase{"Height", kRotationNone, "0", "200", 300, 200},
                                           ResizeCase{"QuarterTurn", kRotation90CW, "400", "0", 600, 400}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RelativeResize, APixelMarkIsStillComposedBeforeTheResize) {
    test::ScratchDir dir;
    WriteRamp(dir.file("big.png"), 1200, 800);
    WriteResized(dir.file("big.png"), dir.file("small.png"), 600, 400);
    std::filesystem::create_directory(dir.path() / "a");
    std::filesystem::create_directory(dir.path() / "b");
    WatermarkSettings watermark;
    OutputSettings output;
    output.formatChoice = "PNG";
    output.resize = true;
    output.widthText = "600";
    output.outputFolder = dir.file("a");
    WorkingImage image;
    TTrueTypeFont font;
    const PipelineResult resized = ProcessImage(dir.file("big.png"), watermark, output, image, font);
    output.resize = false;
    output.outputFolder = dir.file("b");
    const PipelineResult direct = ProcessImage(dir.file("small.png"), watermark, output, image, font);
    ASSERT_EQ(resized.status, ItemStatus::Successful) << resized.reason;
    // The 80-pixel caption shrinks with the photo: not what composing at 600 x 400 gives.
    EXPECT_NE(Bytes(resized.targetPath), Bytes(direct.targetPath));
}

TEST(RelativeResize, ABadWidthIsStillTheOutputStagesFailure) {
    test::ScratchDir dir;
    WriteRamp(dir.file("big.png"), 120, 80);
    WatermarkSettings watermark;
    watermark.vMarginUnit = SizeUnit::PercentOfImage;
    OutputSettings output;
    output.formatChoice = "PNG";
    output.resize = true;
    output.proportional = false;
    output.widthText = "0";
    output.heightText = "50";
    std::filesystem::create_directory(dir.path() / "a");
    output.outputFolder = dir.file("a");
    WorkingImage image;
    TTrueTypeFont font;
    const PipelineResult result = ProcessImage(dir.file("big.png"), watermark, output, image, font);
    EXPECT_EQ(result.status, ItemStatus::Unsuccessful);
    EXPECT_EQ(result.failedStage, PipelineStage::Output);
}

} // namespace
} // namespace tessoly
