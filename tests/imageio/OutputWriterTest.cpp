#include "imageio/OutputWriter.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

#include "OutputTestImages.h"
#include "imageio/OutputConversion.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::FolderNames;
using test::LoadOutput;
using test::Pixel24;
using test::PrepareWorkingImage;

TEST(OutputWriterTest, UnchangedWritesTheSourceFormatForEverySourceFormat) {
    struct Case {
        FREE_IMAGE_FORMAT source;
        const char* sourceName;
        const char* target;
        FREE_IMAGE_FORMAT written;
    };
    const Case cases[] = {
        {FIF_BMP, "a.bmp", "a.bmp", FIF_BMP},    {FIF_JPEG, "b.jpeg", "b.jpg", FIF_JPEG},
        {FIF_PNG, "c.png", "c.png", FIF_PNG},    {FIF_TARGA, "d.tga", "d.tga", FIF_TARGA},
        {FIF_TIFF, "e.tiff", "e.tif", FIF_TIFF}, {FIF_GIF, "f.gif", "f.gif", FIF_GIF},
        {FIF_JP2, "g.jp2", "g.jp2", FIF_JP2},    {FIF_PCX, "h.pcx", "h.jpg", FIF_JPEG},
        {FIF_PSD, "i.psd", "i.jpg", FIF_JPEG},
    };
    test::ScratchDir src;
    test::ScratchDir out;
    OutputSettings settings;
    settings.outputFolder = out.path().string();
    for (const auto& c : cases) {
        WorkingImage image;
        // OpenJPEG needs 32 pixels a side for its default resolution levels.
        PrepareWorkingImage(image, 64, 48, src.file(c.sourceName), c.source);
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        ASSERT_FALSE(outcome.OutputFailed) << c.sourceName << ": " << outcome.reason;
        EXPECT_EQ(outcome.targetPath, out.file(c.target));
        FREE_IMAGE_FORMAT written = FIF_UNKNOWN;
        const FreeImagePtr loaded = LoadOutput(out.file(c.target), &written);
        ASSERT_TRUE(loaded) << c.target;
        EXPECT_EQ(written, c.written) << c.target;
        EXPECT_EQ(FreeImage_GetWidth(loaded.get()), 64u);
        EXPECT_EQ(FreeImage_GetHeight(loaded.get()), 48u);
    }
}

TEST(OutputWriterTest, TypedLowerCasePngIsWrittenAsJpeg) {
    test::ScratchDir dir;
    WorkingImage image;
    PrepareWorkingImage(image, 20, 10, dir.file("x.bmp"), FIF_BMP);
    OutputSettings settings;
    settings.formatChoice = "png";
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
    EXPECT_EQ(outcome.targetPath, dir.file("x.jpg"));
    FREE_IMAGE_FORMAT written = FIF_UNKNOWN;
    EXPECT_TRUE(LoadOutput(dir.file("x.jpg"), &written));
    EXPECT_EQ(written, FIF_JPEG);
}

TEST(OutputWriterTest, ResolutionComesAfterTheMetadataCopy) {
    struct Case {
        const char* resolution;
        bool keepMetadata;
        std::uint32_t expected;
    };
    // The source declares 72 DPI (2835 dots per metre). Without the metadata copy "Src" still
    // states the source's resolution.
    const Case cases[] = {{"300", true, 11811}, {"300", false, 11811}, {"Src", true, 2835},
                          {"Src", false, 2835}, {"96", true, 3780},    {"0", true, 0}};
    for (const auto& c : cases) {
        test::ScratchDir dir;
        WorkingImage image;
        PrepareWorkingImage(image, 16, 16, dir.file("s.png"), FIF_PNG, 2835);
        OutputSettings settings;
        settings.formatChoice = "BMP";
        settings.resolutionChoice = c.resolution;
        settings.keepMetadata = c.keepMetadata;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
        // The BMP info header holds what was declared, 0 included (loaders put 72 DPI in for 0).
        const std::string bytes = test::ReadFileBytes(dir.file("s.bmp"));
        ASSERT_GE(bytes.size(), 46u);
        std::uint32_t x = 0, y = 0;
        std::memcpy(&x, bytes.data() + 38, 4);
        std::memcpy(&y, bytes.data() + 42, 4);
        EXPECT_EQ(x, c.expected) << c.resolution << " " << c.keepMetadata;
        EXPECT_EQ(y, c.expected) << c.resolution << " " << c.keepMetadata;
    }
}

TEST(OutputWriterTest, ResolutionSurvivesEveryLaterStep) {
    test::ScratchDir dir;
    WorkingImage image;
    PrepareWorkingImage(image, 64, 48, dir.file("s.bmp"), FIF_BMP);
    OutputSettings settings;
    settings.formatChoice = "PNG";
    settings.resolutionChoice = "300";
    settings.colourMode = "Greyscale";
    settings.rotation = kRotation90CW;
    settings.resize = true;
    settings.widthText = "20";
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
    const FreeImagePtr loaded = LoadOutput(dir.file("s.png"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(FreeImage_GetDotsPerMeterX(loaded.get()), 11811u);
}

TEST(OutputWriterTest, BadTextsInTheOutputStageAreFailuresWithTheirReason) {
    struct Case {
        const char* resolution;
        bool proportional;
        const char* width;
        const char* height;
        const char* reason;
    };
    const Case cases[] = {
        {"abc", true, "800", "0", "'abc' is not a valid integer value"},
        {"-5", true, "800", "0", "'-5' is not a valid resolution"},
        {"999999999", true, "800", "0", "'999999999' is not a valid resolution"},
        {"Src", false, "12x", "10", "'12x' is not a valid integer value"},
        {"Src", false, "10", "", "'' is not a valid integer value"},
        {"Src", true, "wide", "0", "'wide' is not a valid integer value"},
        {"Src", true, "0", "tall", "'tall' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        test::ScratchDir dir;
        WorkingImage image;
        PrepareWorkingImage(image, 16, 16, dir.file("s.bmp"), FIF_BMP);
        OutputSettings settings;
        settings.resolutionChoice = c.resolution;
        settings.resize = true;
        settings.proportional = c.proportional;
        settings.widthText = c.width;
        settings.heightText = c.height;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        EXPECT_TRUE(outcome.OutputFailed) << c.reason;
        EXPECT_FALSE(outcome.OutputSkipped);
        EXPECT_EQ(outcome.reason, c.reason);
        EXPECT_TRUE(FolderNames(dir.path()).empty()) << c.reason;
    }
}

TEST(OutputWriterTest, ProportionalTextsThatAreNeverReadAreNotErrors) {
    // Neither text is "0": no resize, so neither is read.
    test::ScratchDir dir;
    WorkingImage image;
    PrepareWorkingImage(image, 16, 12, dir.file("s.bmp"), FIF_BMP);
    OutputSettings settings;
    settings.formatChoice = "PNG";
    settings.resize = true;
    settings.widthText = "abc";
    settings.heightText = "def";
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
    const FreeImagePtr loaded = LoadOutput(dir.file("s.png"));
    EXPECT_EQ(FreeImage_GetWidth(loaded.get()), 16u);
}

TEST(OutputWriterTest, RotationComesBeforeResizing) {
    struct Case {
        int width, height;
        const char* rotation;
        bool proportional;
        const char* widthText;
        const char* heightText;
        unsigned outWidth, outHeight;
    };
    const Case cases[] = {
        {1000, 667, kRotationNone, true, "800", "0", 800, 534},
        {1000, 667, kRotation90CW, true, "800", "0", 800, 1199},
        {1000, 667, kRotation90CCW, true, "0", "500", 334, 500}, // 333.5 to even
        {1000, 667, kRotation180, true, "0", "0", 1000, 667},
        {200, 100, kRotationNone, true, "5", "0", 5, 2},
        {200, 100, kRotationNone, true, "0", "5", 10, 5},
        {200, 100, kRotationNone, true, "30", "40", 200, 100},
        {200, 100, kRotation90CW, false, "30", "40", 30, 40},
    };
    for (const auto& c : cases) {
        test::ScratchDir dir;
        WorkingImage image;
        PrepareWorkingImage(image, c.width, c.height, dir.file("r.png"), FIF_PNG);
        OutputSettings settings;
        settings.rotation = c.rotation;
        settings.resize = true;
        settings.proportional = c.proportional;
        settings.widthText = c.widthText;
        settings.heightText = c.heightText;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
        const FreeImagePtr loaded = LoadOutput(dir.file("r.png"));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(FreeImage_GetWidth(loaded.get()), c.outWidth)
            << c.width << "x" << c.height << " " << c.rotation;
        EXPECT_EQ(FreeImage_GetHeight(loaded.get()), c.outHeight)
            << c.width << "x" << c.height << " " << c.rotation;
    }
}

TEST(OutputWriterTest, QuarterTurnsGoTheNamedWay) {
    struct Case {
        const char* rotation;
        int x, y; // where the red top-left pixel of a 4 x 2 picture ends up
    };
    const Case cases[] = {{kRotation90CW, 1, 0}, {kRotation90CCW, 0, 3}, {kRotation180, 3, 1}};
    for (const auto& c : cases) {
        test::ScratchDir dir;
        WorkingImage image;
        PrepareWorkingImage(image, 4, 2, dir.file("q.png"), FIF_PNG);
        image.ComposedBitmap.Clear(0xFF000000u);
        image.ComposedBitmap.SetPixel(0, 0, 0xFFFF0000u);
        OutputSettings settings;
        settings.rotation = c.rotation;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        const FreeImagePtr loaded = LoadOutput(dir.file("q.png"));
        EXPECT_EQ(Pixel24(loaded.get(), c.x, c.y), 0xFF0000u) << c.rotation;
    }
}

TEST(OutputWriterTest, ProportionalOffWithAZeroSideIsAFailureAndWritesNothing) {
    test::ScratchDir dir;
    WorkingImage image;
    PrepareWorkingImage(image, 30, 20, dir.file("z.png"), FIF_PNG);
    test::WriteFileBytes(dir.file("z.png"), "the source");
    OutputSettings settings;
    settings.resize = true;
    settings.proportional = false;
    settings.widthText = "800";
    settings.heightText = "0";
    settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    EXPECT_TRUE(outcome.OutputFailed);
    EXPECT_FALSE(outcome.OutputSkipped);
    EXPECT_FALSE(outcome.reason.empty());
    // The source itself was the target under Overwrite: it is untouched.
    EXPECT_EQ(test::ReadFileBytes(dir.file("z.png")), "the source");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"z.png"});
}

TEST(OutputWriterTest, ALostImageIsStillSkippedWhenTheTargetExists) {
    test::ScratchDir dir;
    WorkingImage image;
    PrepareWorkingImage(image, 30, 20, dir.file("z.png"), FIF_PNG);
    test::WriteFileBytes(dir.file("z.png"), "the source");
    OutputSettings settings;
    settings.resize = true;
    settings.proportional = false;
    settings.heightText = "0";
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    EXPECT_TRUE(outcome.OutputSkipped);
    EXPECT_TRUE(outcome.OutputFailed);
}

TEST(OutputWriterTest, ColourModesGiveGreyOrThresholdedPixelsIn24Bits) {
    struct Case {
        const char* mode;
        const char* format;
        const char* file;
    };
    const Case cases[] = {
        {"Greyscale", "PNG", "c.png"}, {"Monochrome", "PNG", "c.png"}, {"Monochrome", "GIF", "c.gif"}};
    for (const auto& c : cases) {
        test::ScratchDir dir;
        WorkingImage image;
        PrepareWorkingImage(image, 64, 32, dir.file("c.bmp"), FIF_BMP);
        OutputSettings settings;
        settings.colourMode = c.mode;
        settings.formatChoice = c.format;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
        const FreeImagePtr loaded = LoadOutput(dir.file(c.file));
        ASSERT_TRUE(loaded) << c.file;
        const bool gif = std::string(c.format) == "GIF";
        EXPECT_EQ(FreeImage_GetBPP(loaded.get()), gif ? 8u : 24u) << c.file;
        const FreeImagePtr rgb(FreeImage_ConvertTo24Bits(loaded.get()));
        bool sawDark = false, sawLight = false;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                const std::uint32_t p = Pixel24(rgb.get(), x, y);
                const std::uint32_t r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
                ASSERT_TRUE(r == g && g == b) << c.file << " at " << x << "," << y;
                if (std::string(c.mode) == "Monochrome") {
                    ASSERT_TRUE(r == 0 || r == 255) << c.file;
                }
                sawDark |= r < 100;
                sawLight |= r > 155;
            }
        }
        EXPECT_TRUE(sawDark && sawLight) << c.file;
    }
}

TEST(OutputWriterTest, MonochromeThresholdIs150) {
    // Grey 149 becomes black, grey 150 white; the composed picture is grey already.
    test::ScratchDir dir;
    WorkingImage image;
    PrepareWorkingImage(image, 2, 1, dir.file("t.bmp"), FIF_BMP);
    image.ComposedBitmap.SetPixel(0, 0, 0xFF959595u);
    image.ComposedBitmap.SetPixel(1, 0, 0xFF969696u);
    OutputSettings settings;
    settings.colourMode = "Monochrome";
    settings.formatChoice = "PNG";
    ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
    const FreeImagePtr loaded = LoadOutput(dir.file("t.png"));
    EXPECT_EQ(Pixel24(loaded.get(), 0, 0), 0x000000u);
    EXPECT_EQ(Pixel24(loaded.get(), 1, 0), 0xFFFFFFu);
}

TEST(OutputWriterTest, AlphaIsDroppedAndTransparentPixelsKeepTheirColour) {
    test::ScratchDir dir;
    WorkingImage image;
    PrepareWorkingImage(image, 3, 1, dir.file("a.png"), FIF_PNG);
    image.ComposedBitmap.SetPixel(0, 0, 0x00123456u);
    image.ComposedBitmap.SetPixel(1, 0, 0x80ABCDEFu);
    image.ComposedBitmap.SetPixel(2, 0, 0xFF010203u);
    OutputSettings settings;
    settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
    ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
    const FreeImagePtr loaded = LoadOutput(dir.file("a.png"));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(FreeImage_GetBPP(loaded.get()), 24u);
    EXPECT_EQ(Pixel24(loaded.get(), 0, 0), 0x123456u);
    EXPECT_EQ(Pixel24(loaded.get(), 1, 0), 0xABCDEFu);
    EXPECT_EQ(Pixel24(loaded.get(), 2, 0), 0x010203u);
}

TEST(OutputWriterTest, JpegQualityAndJpeg2000RateReachTheEncoder) {
    test::ScratchDir dir;
    auto sizeAt = [&](const char* format, int quality, const char* file) {
        WorkingImage image;
        PrepareWorkingImage(image, 128, 96, dir.file("q.bmp"), FIF_BMP);
        // Noise, so that no rate is generous enough to hold the picture unchanged.
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x)
                image.ComposedBitmap.SetPixel(x, y,
                                              0xFF000000u | ((x * 2654435761u) ^ (y * 2246822519u)) >> 8);
        OutputSettings settings;
        settings.formatChoice = format;
        settings.jpegQuality = quality;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        EXPECT_FALSE(outcome.OutputFailed) << outcome.reason;
        FREE_IMAGE_FORMAT written = FIF_UNKNOWN;
        EXPECT_TRUE(LoadOutput(dir.file(file), &written));
        EXPECT_EQ(written, std::string(format) == "JPEG" ? FIF_JPEG : FIF_JP2);
        return std::filesystem::file_size(dir.file(file));
    };
    // Quality 1 gives rate 26:1, quality 100 rate 1:1 (near lossless).
    EXPECT_LT(sizeAt("JPEG-2000", 1, "q.jp2") * 4, sizeAt("JPEG-2000", 100, "q.jp2"));
    EXPECT_LT(sizeAt("JPEG", 10, "q.jpg") * 2, sizeAt("JPEG", 100, "q.jpg"));
}

TEST(OutputWriterTest, SkipRenameOverwriteOfTheSourceItself) {
    test::ScratchDir dir;
    const std::string source = dir.file("a.jpg");
    test::WriteFileBytes(source, "original bytes");
    struct Case {
        ExistingFilePolicy policy;
        bool skipped;
        const char* target;
    };
    const Case cases[] = {{ExistingFilePolicy::Skip, true, "a.jpg"},
                          {ExistingFilePolicy::Rename, false, "a_Renamed_by_TLY.jpg"}};
    for (const auto& c : cases) {
        WorkingImage image;
        PrepareWorkingImage(image, 8, 8, source, FIF_JPEG);
        OutputSettings settings;
        settings.existingFilePolicy = c.policy;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        EXPECT_EQ(outcome.OutputSkipped, c.skipped);
        EXPECT_EQ(outcome.OutputFailed, c.skipped);
        EXPECT_EQ(outcome.targetPath, dir.file(c.target));
        EXPECT_EQ(test::ReadFileBytes(source), "original bytes");
    }
    WorkingImage image;
    PrepareWorkingImage(image, 8, 8, source, FIF_JPEG);
    OutputSettings settings;
    settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
    const OutputOutcome outcome = SaveOutputImage(image, settings);
    ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
    EXPECT_EQ(outcome.targetPath, source);
    EXPECT_TRUE(LoadOutput(source));
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"a.jpg", "a_Renamed_by_TLY.jpg"}));
}

TEST(OutputWriterTest, VectorPackingMatchesTheScalarPackingForEveryRowWidth) {
    TBitmap32 row;
    test::FillPattern(row, 41, 1);
    for (int width = 1; width <= 41; ++width) {
        std::vector<unsigned char> fast(3 * width + 16, 0xEE), plain(3 * width + 16, 0xEE);
        PackRowTo24Bits(row.ScanLine(0), fast.data(), width, true);
        PackRowTo24Bits(row.ScanLine(0), plain.data(), width, false);
        EXPECT_EQ(fast, plain) << width;
        // Nothing is written past the row, and each pixel is blue, green, red.
        EXPECT_EQ(fast[3 * width], 0xEE) << width;
        const TColor32 last = row.Pixel(width - 1, 0);
        EXPECT_EQ(plain[3 * width - 1], static_cast<unsigned char>(last >> 16)) << width;
        EXPECT_EQ(plain[3 * width - 3], static_cast<unsigned char>(last)) << width;
    }
}

TEST(OutputWriterTest, TheShortRouteMatchesTheReferenceRouteThroughA32BitImage) {
    struct Case {
        const char* colourMode;
        const char* rotation;
        bool resize;
        bool proportional;
        const char* width;
        const char* height;
        const char* format;
    };
    const Case cases[] = {
        {"RGB", kRotationNone, false, true, "800", "0", "JPEG"},
        {"Greyscale", kRotation90CW, false, true, "800", "0", "PNG"},
        {"Monochrome", kRotation180, false, true, "800", "0", "PNG"},
        {"RGB", kRotation90CCW, true, true, "45", "0", "PNG"},
        {"RGB", kRotationNone, true, false, "70", "31", "PNG"},
        {"Greyscale", kRotationNone, true, true, "0", "17", "PNG"},
        {"RGB", kRotationNone, false, true, "800", "0", "GIF"},
        {"Monochrome", kRotationNone, false, true, "800", "0", "GIF"},
    };
    TBitmap32 composed;
    test::FillPattern(composed, 97, 61);
    for (const auto& c : cases) {
        OutputSettings settings;
        settings.colourMode = c.colourMode;
        settings.rotation = c.rotation;
        settings.resize = c.resize;
        settings.proportional = c.proportional;
        settings.widthText = c.width;
        settings.heightText = c.height;
        settings.formatChoice = c.format;
        const ConvertedOutput fast = ConvertForOutput(composed, nullptr, FIF_BMP, settings, 24);
        const ConvertedOutput reference = ConvertForOutput(composed, nullptr, FIF_BMP, settings, 32);
        ASSERT_TRUE(fast.image && reference.image);
        const unsigned w = FreeImage_GetWidth(fast.image.get()), h = FreeImage_GetHeight(fast.image.get());
        ASSERT_EQ(w, FreeImage_GetWidth(reference.image.get()));
        ASSERT_EQ(h, FreeImage_GetHeight(reference.image.get()));
        ASSERT_EQ(FreeImage_GetBPP(fast.image.get()), FreeImage_GetBPP(reference.image.get()));
        const FreeImagePtr a(FreeImage_ConvertTo24Bits(fast.image.get()));
        const FreeImagePtr b(FreeImage_ConvertTo24Bits(reference.image.get()));
        int differing = 0;
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x)
                differing += Pixel24(a.get(), x, y) != Pixel24(b.get(), x, y);
        EXPECT_EQ(differing, 0) << c.colourMode << " " << c.rotation << " " << c.format;
    }
}

} // namespace
} // namespace tessoly
