// 16-bit-per-channel sources through the whole item: written as PNG or TIFF they stay 16-bit,
// the pixels the mark does not reach come out bit for bit, and the mark is there.

#include <gtest/gtest.h>

#include <FreeImage.h>

#include "batch/ImagePipeline.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/FreeImageLibrary.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

//! A value per channel that no 8-bit value times 257 gives, so a trip through 8 bits shows.
WORD Deep(int x, int y, int channel) {
    return WORD((x * 211 + y * 97 + channel * 4099) % 65536) | 1;
}

FreeImagePtr DeepPicture(FREE_IMAGE_TYPE type) {
    FreeImagePtr dib(FreeImage_AllocateT(type, 300, 200));
    for (int y = 0; y < 200; ++y) {
        BYTE* row = FreeImage_GetScanLine(dib.get(), 199 - y);
        for (int x = 0; x < 300; ++x) {
            if (type == FIT_UINT16) {
                reinterpret_cast<WORD*>(row)[x] = Deep(x, y, 0);
            } else if (type == FIT_RGBA16) {
                FIRGBA16& p = reinterpret_cast<FIRGBA16*>(row)[x];
                p.red = Deep(x, y, 0);
                p.green = Deep(x, y, 1);
                p.blue = Deep(x, y, 2);
                p.alpha = WORD(x * 200);
            } else {
                FIRGB16& p = reinterpret_cast<FIRGB16*>(row)[x];
                p.red = Deep(x, y, 0);
                p.green = Deep(x, y, 1);
                p.blue = Deep(x, y, 2);
            }
        }
    }
    return dib;
}

struct DeepColour : ::testing::Test {
    FreeImageLibrary library;
    test::ScratchDir dir;
    WorkingImage image;
    TTrueTypeFont font;
    WatermarkSettings watermark;
    OutputSettings output;
};

TEST_F(DeepColour, SixteenBitSourcesStaySixteenBitWithTheirUntouchedPixelsExact) {
    struct Case {
        const char* source;
        FREE_IMAGE_FORMAT format;
        FREE_IMAGE_TYPE type;
        const char* choice;
        FREE_IMAGE_TYPE written;
    };
    const Case cases[] = {
        {"a.tif", FIF_TIFF, FIT_RGB16, "Unchanged", FIT_RGB16},
        {"b.png", FIF_PNG, FIT_RGB16, "TIFF", FIT_RGB16},
        {"c.png", FIF_PNG, FIT_UINT16, "PNG", FIT_UINT16},
        {"d.png", FIF_PNG, FIT_RGBA16, "Unchanged", FIT_RGB16},
    };
    watermark.opacityPosition = 50;
    output.outputFolder = dir.file("out");
    std::filesystem::create_directory(dir.path() / "out");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        const FreeImagePtr source = DeepPicture(c.type);
        ASSERT_TRUE(FreeImage_Save(c.format, source.get(), dir.file(c.source).c_str(), 0));
        output.formatChoice = c.choice;
        const PipelineResult result = ProcessImage(dir.file(c.source), watermark, output, image, font);
        ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
        const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(result.targetPath.c_str(), 0);
        const FreeImagePtr back(FreeImage_Load(format, result.targetPath.c_str(), 0));
        ASSERT_TRUE(back);
        ASSERT_EQ(FreeImage_GetImageType(back.get()), c.written);
        long exact = 0, changed = 0;
        for (int y = 0; y < 200; ++y) {
            const BYTE* row = FreeImage_GetScanLine(back.get(), 199 - y);
            for (int x = 0; x < 300; ++x) {
                const bool same = c.written == FIT_UINT16
                                      ? reinterpret_cast<const WORD*>(row)[x] == Deep(x, y, 0)
                                      : reinterpret_cast<const FIRGB16*>(row)[x].red == Deep(x, y, 0) &&
                                            reinterpret_cast<const FIRGB16*>(row)[x].green == Deep(x, y, 1) &&
                                            reinterpret_cast<const FIRGB16*>(row)[x].blue == Deep(x, y, 2);
                (same ? exact : changed) += 1;
                // The corners lie far from the centred caption.
                if ((x < 10 || x >= 290) && (y < 10 || y >= 190)) {
                    ASSERT_TRUE(same) << "at (" << x << ", " << y << ")";
                }
            }
        }
        EXPECT_GT(changed, 500); // the caption
        EXPECT_GT(exact, 300 * 200 / 2);
    }
}

} // namespace
} // namespace tessoly
