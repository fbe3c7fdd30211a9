// Animated GIFs and multi-page TIFFs through the whole item: the mark on every frame with the
// frame timing, loop count and disposal kept; written to a one-picture format, the first frame
// with a notice instead of a silent success.

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

#include <FreeImage.h>

#include "batch/ImagePipeline.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/FreeImageLibrary.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

const std::uint32_t kFrameColours[] = {0x204060, 0x602040, 0x406020};
const long kFrameTimes[] = {100, 250, 400};

void SetAnimationTag(FIBITMAP* dib, const char* key, FREE_IMAGE_MDTYPE type, DWORD size, const void* value) {
    FITAG* tag = FreeImage_CreateTag();
    FreeImage_SetTagKey(tag, key);
    FreeImage_SetTagType(tag, type);
    FreeImage_SetTagCount(tag, 1);
    FreeImage_SetTagLength(tag, size);
    FreeImage_SetTagValue(tag, value);
    FreeImage_SetMetadata(FIMD_ANIMATION, dib, key, tag);
    FreeImage_DeleteTag(tag);
}

//! Reads a one-value animation tag as a whole number, or -1 when it is missing.
long AnimationTag(FIBITMAP* dib, const char* key) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_ANIMATION, dib, key, &tag) || !tag)
        return -1;
    switch (FreeImage_GetTagType(tag)) {
    case FIDT_BYTE:
        return *static_cast<const BYTE*>(FreeImage_GetTagValue(tag));
    case FIDT_SHORT:
        return *static_cast<const WORD*>(FreeImage_GetTagValue(tag));
    default:
        return *static_cast<const DWORD*>(FreeImage_GetTagValue(tag));
    }
}

FIBITMAP* UniformPage(std::uint32_t rgb, bool palette) {
    FreeImagePtr page(FreeImage_Allocate(200, 120, 24));
    RGBQUAD colour{BYTE(rgb), BYTE(rgb >> 8), BYTE(rgb >> 16), 0};
    FreeImage_FillBackground(page.get(), &colour);
    return palette ? FreeImage_ColorQuantize(page.get(), FIQ_WUQUANT) : page.release();
}

//! A 3-frame GIF (each frame a uniform colour, its own time, disposal 2, loop count 3) or a
//! 3-page TIFF.
void WritePages(const std::string& path, FREE_IMAGE_FORMAT format) {
    FIMULTIBITMAP* file = FreeImage_OpenMultiBitmap(format, path.c_str(), TRUE, FALSE, TRUE, 0);
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 3; ++i) {
        FreeImagePtr page(UniformPage(kFrameColours[i], format == FIF_GIF));
        if (format == FIF_GIF) {
            const DWORD time = DWORD(kFrameTimes[i]);
            const BYTE disposal = 2;
            SetAnimationTag(page.get(), "FrameTime", FIDT_LONG, 4, &time);
            SetAnimationTag(page.get(), "DisposalMethod", FIDT_BYTE, 1, &disposal);
            if (i == 0) {
                const DWORD loop = 3;
                SetAnimationTag(page.get(), "Loop", FIDT_LONG, 4, &loop);
            }
        }
        FreeImage_AppendPage(file, page.get());
    }
    ASSERT_TRUE(FreeImage_CloseMultiBitmap(file, 0));
}

std::uint32_t Rgb(FIBITMAP* page, int x, int y) {
    FreeImagePtr rgb(FreeImage_ConvertTo24Bits(page));
    const BYTE* p = FreeImage_GetScanLine(rgb.get(), int(FreeImage_GetHeight(rgb.get())) - 1 - y) + 3 * x;
    return std::uint32_t(p[FI_RGBA_RED]) << 16 | std::uint32_t(p[FI_RGBA_GREEN]) << 8 | p[FI_RGBA_BLUE];
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance = 12) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
            return false;
    }
    return true;
}

struct AnimationPipeline : ::testing::Test {
    FreeImageLibrary library;
    test::ScratchDir dir;
    WorkingImage image;
    TTrueTypeFont font;
    WatermarkSettings watermark;
    OutputSettings output;
    void SetUp() override {
        watermark.opacityPosition = 50;
        watermark.fontSize = 30;
        output.outputFolder = dir.file("out");
        std::filesystem::create_directory(dir.path() / "out");
    }
    //! Every page of the written file is marked in its middle and keeps its colour in a corner.
    void ExpectEveryPageMarked(const std::string& path, FREE_IMAGE_FORMAT format) {
        FIMULTIBITMAP* written = FreeImage_OpenMultiBitmap(format, path.c_str(), FALSE, TRUE, TRUE, 0);
        ASSERT_NE(written, nullptr);
        ASSERT_EQ(FreeImage_GetPageCount(written), 3);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            FIBITMAP* page = FreeImage_LockPage(written, i);
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(FreeImage_GetWidth(page), 200u);
            EXPECT_TRUE(Near(Rgb(page, 2, 2), kFrameColours[i]));
            bool marked = false;
            for (int x = 40; x < 160 && !marked; ++x)
                marked = !Near(Rgb(page, x, 60), kFrameColours[i], 40);
            EXPECT_TRUE(marked);
            if (format == FIF_GIF) {
                EXPECT_EQ(AnimationTag(page, "FrameTime"), kFrameTimes[i]);
                EXPECT_EQ(AnimationTag(page, "DisposalMethod"), 2);
                if (i == 0) {
                    EXPECT_EQ(AnimationTag(page, "Loop"), 3);
                }
            }
            FreeImage_UnlockPage(written, page, FALSE);
        }
        FreeImage_CloseMultiBitmap(written, 0);
    }
};

TEST_F(AnimationPipeline, AnimatedGifKeepsEveryFrameItsTimingLoopAndDisposal) {
    WritePages(dir.file("a.gif"), FIF_GIF);
    const PipelineResult result = ProcessImage(dir.file("a.gif"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_EQ(result.targetPath, dir.file("out/a.gif"));
    EXPECT_TRUE(result.notice.empty());
    ExpectEveryPageMarked(result.targetPath, FIF_GIF);
}

TEST_F(AnimationPipeline, MultiPageTiffKeepsEveryPage) {
    WritePages(dir.file("scan.tif"), FIF_TIFF);
    const PipelineResult result = ProcessImage(dir.file("scan.tif"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_TRUE(result.notice.empty());
    ExpectEveryPageMarked(result.targetPath, FIF_TIFF);
}

TEST_F(AnimationPipeline, AOnePictureFormatGetsTheFirstFrameAndANotice) {
    WritePages(dir.file("a.gif"), FIF_GIF);
    output.formatChoice = "PNG";
    const PipelineResult result = ProcessImage(dir.file("a.gif"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_EQ(result.notice, "Only the first of 3 frames was written: PNG holds one picture");
    const FreeImagePtr written(FreeImage_Load(FIF_PNG, result.targetPath.c_str(), 0));
    ASSERT_TRUE(written);
    EXPECT_TRUE(Near(Rgb(written.get(), 2, 2), kFrameColours[0]));
    // A one-frame GIF is a single picture like any other.
    const FreeImagePtr still(UniformPage(kFrameColours[1], true));
    ASSERT_TRUE(FreeImage_Save(FIF_GIF, still.get(), dir.file("still.gif").c_str(), 0));
    EXPECT_TRUE(ProcessImage(dir.file("still.gif"), watermark, output, image, font).notice.empty());
}

TEST_F(AnimationPipeline, AnExistingTargetIsSkippedBeforeAnyFrameIsRead) {
    WritePages(dir.file("a.gif"), FIF_GIF);
    test::WriteFileBytes(dir.path() / "out" / "a.gif", "keep");
    const PipelineResult result = ProcessImage(dir.file("a.gif"), watermark, output, image, font);
    EXPECT_EQ(result.status, ItemStatus::Skipped);
    EXPECT_EQ(test::ReadFileBytes(dir.path() / "out" / "a.gif"), "keep");
}

TEST_F(AnimationPipeline, AHostileLaterFrameIsNeverDecoded) {
    WritePages(dir.file("a.gif"), FIF_GIF);
    // The second image descriptor (0x2C after the first frame's data) claims 60000 x 60000.
    std::string bytes = test::ReadFileBytes(dir.path() / "a.gif");
    std::size_t at = 0;
    for (int seen = 0; seen < 2; ++at) {
        at = bytes.find('\x2C', at);
        ASSERT_NE(at, std::string::npos);
        // A descriptor starts at offset 0, 0 of the 200 x 120 screen: 2C 00 00 00 00 C8 00.
        if (bytes.compare(at, 7, std::string("\x2C\0\0\0\0\xC8\0", 7)) == 0)
            ++seen;
        if (seen == 2)
            break;
    }
    bytes[at + 5] = '\x60';
    bytes[at + 6] = '\xEA';
    bytes[at + 7] = '\x60';
    bytes[at + 8] = '\xEA';
    test::WriteFileBytes(dir.path() / "a.gif", bytes);
    const PipelineResult result = ProcessImage(dir.file("a.gif"), watermark, output, image, font);
    // The first frame is sound and is written as a single picture, and the item says so.
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_EQ(result.notice, "Only the first frame was written: the others cannot be read");
    FIMULTIBITMAP* written = FreeImage_OpenMultiBitmap(FIF_GIF, result.targetPath.c_str(), FALSE, TRUE, TRUE, 0);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(FreeImage_GetPageCount(written), 1);
    FreeImage_CloseMultiBitmap(written, 0);
}

} // namespace
} // namespace tessoly
