// Marking JPEGs in place: sources of every kind are made here with libjpeg, marked, and read
// back as coefficients. Every block outside the MCUs under the mark must be the source's bit for
// bit; the mark's area must match the ordinary route's output at the source's quality.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "batch/ImagePipeline.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/JpegBand.h"
#include "imageio/JpegLib.h"
#include "imageio/StoredOrientation.h"
#include "render/Composer.h"
#include "support/JpegSources.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::Coefficients;
using test::ExifWithOrientation;
using test::ReadCoefficients;
using test::Sample;
using test::SourceKind;
using test::WriteSource;

//! The payload of the first APP1 marker of a file.
std::vector<std::uint8_t> FirstApp1(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                           std::istreambuf_iterator<char>());
    JpegDecompressor in;
    jpeg_mem_src(&in.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&in.info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&in.info, TRUE);
    for (jpeg_saved_marker_ptr m = in.info.marker_list; m != nullptr; m = m->next)
        return {m->data, m->data + m->data_length};
    return {};
}

//! The decoded pixels, turned upright by FreeImage's own reading of the Exif orientation when
//! upright is set.
TBitmap32 DecodePixels(const std::string& path, bool upright = false) {
    const FreeImagePtr loaded(FreeImage_Load(FIF_JPEG, path.c_str(), upright ? JPEG_EXIFROTATE : 0));
    const FreeImagePtr rgb(FreeImage_ConvertTo32Bits(loaded.get()));
    const int width = static_cast<int>(FreeImage_GetWidth(rgb.get()));
    const int height = static_cast<int>(FreeImage_GetHeight(rgb.get()));
    TBitmap32 pixels(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(pixels.ScanLine(y), FreeImage_GetScanLine(rgb.get(), height - 1 - y),
                    4 * static_cast<std::size_t>(width));
    return pixels;
}

//! Mean absolute difference of the colour channels inside rect.
double MeanDifference(const TBitmap32& a, const TBitmap32& b, const TRect& rect) {
    double sum = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            for (int shift = 0; shift < 24; shift += 8)
                sum += std::abs(int((a.Pixel(x, y) >> shift) & 0xFF) - int((b.Pixel(x, y) >> shift) & 0xFF));
        }
    }
    return sum / (3.0 * rect.Width() * rect.Height());
}

struct InPlaceFixture : ::testing::Test {
    void SetUp() override {
        watermark.fontSize = 14;
        watermark.opacityPosition = 40;
        watermark.hMargin = 10;
        watermark.vMargin = 10;
        output.losslessJpeg = true;
        for (const char* folder : {"in", "out", "ordinary"})
            std::filesystem::create_directory(dir.path() / folder);
        output.outputFolder = dir.file("out");
    }

    //! The stored MCU rectangle [cells] the mark's box covers, for a stored picture.
    TRect MarkCells(const SourceKind& kind, const Coefficients& coefficients) {
        StoredOrientation orientation{kind.orientation, kind.width, kind.height};
        const PlacedWatermark placed =
            PlaceWatermark(watermark, orientation.ViewedWidth(), orientation.ViewedHeight(), font);
        if (placed.bounds.Width() <= 0)
            return {};
        const TRect stored = orientation.StoredRect(placed.bounds);
        const int cw = coefficients.cellWidth;
        const int ch = coefficients.cellHeight;
        return {stored.left / cw, stored.top / ch, (stored.right + cw - 1) / cw,
                (stored.bottom + ch - 1) / ch};
    }

    //! Checks every block outside cells is the source's; returns how many blocks inside changed,
    //! and in changedCells the cells [MCUs] that hold them.
    int CompareBlocks(const Coefficients& source, const Coefficients& marked, const TRect& cells,
                      TRect* changedCells = nullptr) {
        EXPECT_EQ(source.components.size(), marked.components.size());
        int changed = 0;
        TRect hull{1 << 20, 1 << 20, -1, -1};
        for (std::size_t c = 0; c < source.components.size(); ++c) {
            const auto& a = source.components[c];
            const auto& b = marked.components[c];
            EXPECT_EQ(a.columns, b.columns);
            EXPECT_EQ(a.rows, b.rows);
            for (int r = 0; r < a.rows; ++r) {
                for (int col = 0; col < a.columns; ++col) {
                    const std::size_t at = static_cast<std::size_t>(r) * a.columns + col;
                    const bool same =
                        std::memcmp(&a.blocks[at * DCTSIZE2], &b.blocks[at * DCTSIZE2], sizeof(JBLOCK)) == 0;
                    const int cx = col / a.h;
                    const int cy = r / a.v;
                    const bool inside =
                        cx >= cells.left && cx < cells.right && cy >= cells.top && cy < cells.bottom;
                    if (!inside) {
                        EXPECT_TRUE(same) << "component " << c << " block " << col << "," << r;
                    }
                    changed += !same;
                    if (!same) {
                        hull = {std::min(hull.left, cx), std::min(hull.top, cy), std::max(hull.right, cx + 1),
                                std::max(hull.bottom, cy + 1)};
                    }
                }
            }
        }
        if (changedCells != nullptr)
            *changedCells = hull;
        return changed;
    }

    test::ScratchDir dir;
    WorkingImage image;
    TTrueTypeFont font;
    WatermarkSettings watermark;
    OutputSettings output;
};

const SourceKind kKinds[] = {
    {"baseline420", 200, 136},
    {"progressive420", 200, 136, 2, 2, false, true},
    {"baseline422", 200, 136, 2, 1},
    {"baseline444", 200, 136, 1, 1},
    {"baseline440", 200, 136, 1, 2},
    {"grey", 200, 136, 1, 1, true},
    {"greyProgressive", 203, 141, 1, 1, true, true},
    {"restarts", 200, 136, 2, 2, false, false, false, 1},
    {"arithmetic", 200, 136, 2, 2, false, false, true},
    {"partialMcus", 203, 141},
    {"partialProgressive422", 211, 133, 2, 1, false, true},
};

TEST_F(InPlaceFixture, EveryKindOfSourceKeepsEveryBlockOutsideTheMarkAtEveryAnchor) {
    const WatermarkPosition anchors[] = {
        WatermarkPosition::TopLeft,    WatermarkPosition::TopCenter, WatermarkPosition::TopRight,
        WatermarkPosition::Left,       WatermarkPosition::Center,    WatermarkPosition::Right,
        WatermarkPosition::BottomLeft, WatermarkPosition::Bottom,    WatermarkPosition::BottomRight};
    for (const SourceKind& kind : kKinds) {
        const std::string source = dir.file("in/" + std::string(kind.name) + ".jpg");
        WriteSource(source, kind);
        const Coefficients before = ReadCoefficients(source);
        output.colourMode = kind.grey ? "Greyscale" : "RGB";
        for (const WatermarkPosition anchor : anchors) {
            for (const int margin : {10, -12}) { // -12: across the picture's edge
                SCOPED_TRACE(std::string(kind.name) + " " + WatermarkPositionName(anchor) + " margin " +
                             std::to_string(margin));
                watermark.position = anchor;
                watermark.hMargin = margin;
                watermark.vMargin = margin;
                output.existingFilePolicy = ExistingFilePolicy::Overwrite;
                const PipelineResult result = ProcessImage(source, watermark, output, image, font);
                ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
                EXPECT_EQ(result.notice, "");
                const Coefficients after = ReadCoefficients(result.targetPath);
                EXPECT_EQ(after.progressive, before.progressive);
                const TRect cells = MarkCells(kind, before);
                EXPECT_GT(CompareBlocks(before, after, cells), 0);

                // The mark's area is as close to the composed picture as the ordinary route's output
                // at the source's quality (which subsamples the colour 2 x 2 whatever the source).
                OutputSettings ordinary = output;
                ordinary.losslessJpeg = false;
                ordinary.jpegQuality = kind.quality;
                ordinary.outputFolder = dir.file("ordinary");
                const PipelineResult reference = ProcessImage(source, watermark, ordinary, image, font);
                ASSERT_EQ(reference.status, ItemStatus::Successful) << reference.reason;
                TBitmap32 composed;
                ComposeWatermark(watermark, DecodePixels(source), composed, font, ComposeOptions{true});
                const TRect box = PlaceWatermark(watermark, kind.width, kind.height, font).bounds;
                const double inPlaceError = MeanDifference(DecodePixels(result.targetPath), composed, box);
                const double ordinaryError =
                    MeanDifference(DecodePixels(reference.targetPath), composed, box);
                EXPECT_LT(inPlaceError, ordinaryError * 1.15 + 0.5) << ordinaryError;
            }
        }
    }
}

// Orientation 6 stores the picture turned a quarter to the left: the viewed bottom-right corner
// is the stored top-right one, and the mark must read upright there.
TEST_F(InPlaceFixture, AnOrientedSourceGetsTheMarkUprightAtTheViewedAnchor) {
    const SourceKind kind{"oriented", 200, 136, 2, 2, false, false, false, 0, 85, 6};
    const std::string source = dir.file("in/oriented.jpg");
    WriteSource(source, kind);
    watermark.position = WatermarkPosition::BottomRight;
    const PipelineResult result = ProcessImage(source, watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    const Coefficients before = ReadCoefficients(source);
    const Coefficients after = ReadCoefficients(result.targetPath);
    const TRect cells = MarkCells(kind, before);
    TRect changed;
    EXPECT_GT(CompareBlocks(before, after, cells, &changed), 0);
    EXPECT_GE(changed.left * before.cellWidth, kind.width / 2);
    EXPECT_LE(changed.top * before.cellHeight, kind.height / 4);

    // Seen upright, the output is the upright source composed the ordinary way.
    StoredOrientation orientation{6, kind.width, kind.height};
    const TRect stored{0, 0, kind.width, kind.height};
    TBitmap32 uprightSource;
    orientation.StoredToViewed(DecodePixels(source), stored, uprightSource);
    TBitmap32 composed;
    ComposeWatermark(watermark, uprightSource, composed, font, ComposeOptions{true});
    TBitmap32 uprightOutput;
    orientation.StoredToViewed(DecodePixels(result.targetPath), stored, uprightOutput);
    const TRect box = PlaceWatermark(watermark, uprightSource.Width(), uprightSource.Height(), font).bounds;
    EXPECT_LT(MeanDifference(uprightOutput, composed, box), 2.0);
    // The Exif is kept but its thumbnail, which would show the picture unmarked, is gone.
    std::vector<std::uint8_t> exif = ExifWithOrientation(6);
    std::fill(exif.begin() + 6 + 22, exif.begin() + 6 + 26, 0);
    std::fill(exif.begin() + 6 + 56, exif.end(), 0);
    EXPECT_EQ(FirstApp1(result.targetPath), exif);
    // The tag stays, so viewers turn the picture as before.
    const FreeImagePtr written(FreeImage_Load(FIF_JPEG, result.targetPath.c_str(), 0));
    FITAG* tag = nullptr;
    ASSERT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_MAIN, written.get(), "Orientation", &tag));
    EXPECT_EQ(*static_cast<const WORD*>(FreeImage_GetTagValue(tag)), 6);
}

// Every orientation, checked against FreeImage's own turning of the pictures: the output seen
// upright is the upright source composed the ordinary way.
TEST_F(InPlaceFixture, EveryOrientationShowsTheMarkUprightWhereTheOrdinaryWayPutsIt) {
    watermark.position = WatermarkPosition::BottomRight;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE("orientation " + std::to_string(orientation));
        const SourceKind kind{"o", 200, 136, 2, 2, false, false, false, 0, 85, orientation};
        const std::string source = dir.file("in/o" + std::to_string(orientation) + ".jpg");
        WriteSource(source, kind);
        const PipelineResult result = ProcessImage(source, watermark, output, image, font);
        ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
        const TBitmap32 upright = DecodePixels(source, true);
        TBitmap32 composed;
        ComposeWatermark(watermark, upright, composed, font, ComposeOptions{true});
        const TBitmap32 marked = DecodePixels(result.targetPath, true);
        ASSERT_EQ(marked.Width(), upright.Width());
        const TRect box = PlaceWatermark(watermark, upright.Width(), upright.Height(), font).bounds;
        // A source left unmarked differs by about 8 here; a mark in the right place by about 2.
        EXPECT_LT(MeanDifference(marked, composed, box), 3.0);
        EXPECT_LT(MeanDifference(marked, composed, {0, 0, upright.Width(), upright.Height()}), 1.2);
    }
}

TEST_F(InPlaceFixture, OrientationSettingsAndTheRunsOwnOutputs) {
    const SourceKind kind{"o", 200, 136, 2, 2, false, false, false, 0, 85, 6};
    WriteSource(dir.file("in/o.jpg"), kind);
    watermark.position = WatermarkPosition::BottomRight;
    output.existingFilePolicy = ExistingFilePolicy::Overwrite;
    // Without its Exif the output could not say how to turn it: the ordinary way turns it upright.
    output.keepMetadata = false;
    PipelineResult result = ProcessImage(dir.file("in/o.jpg"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_NE(result.notice.find("turned upright"), std::string::npos) << result.notice;
    EXPECT_EQ(DecodePixels(result.targetPath).Width(), kind.height);
    // Without "Apply Exif orientation" the mark goes on the picture as stored, as the ordinary way
    // puts it: in the stored bottom-right corner.
    output.keepMetadata = true;
    output.applyExifOrientation = false;
    result = ProcessImage(dir.file("in/o.jpg"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_EQ(result.notice, "");
    const Coefficients before = ReadCoefficients(dir.file("in/o.jpg"));
    TRect changed;
    EXPECT_GT(CompareBlocks(before, ReadCoefficients(result.targetPath), {0, 0, 1 << 20, 1 << 20}, &changed), 0);
    EXPECT_GE(changed.left * before.cellWidth, kind.width / 3);
    EXPECT_GE(changed.top * before.cellHeight, kind.height / 4);
    EXPECT_EQ(changed.bottom * before.cellHeight, 144); // the last MCU row
    output.applyExifOrientation = true;

    // Two sources of one name into one folder: the run never replaces what it wrote itself.
    std::filesystem::create_directory(dir.path() / "in2");
    WriteSource(dir.file("in2/o.jpg"), kind);
    WrittenOutputs written;
    PipelineOptions options;
    options.writtenThisRun = &written;
    result = ProcessImage(dir.file("in/o.jpg"), watermark, output, image, font, options);
    EXPECT_EQ(result.status, ItemStatus::Successful) << result.reason;
    result = ProcessImage(dir.file("in2/o.jpg"), watermark, output, image, font, options);
    EXPECT_EQ(result.status, ItemStatus::Skipped);
    EXPECT_EQ(result.reason, AlreadyWrittenReason(dir.file("out/o.jpg")));
}

// A repeated mark in percent of the image reaches the whole picture, drawn as the ordinary way draws it.
TEST_F(InPlaceFixture, ARepeatedRelativeMarkCoversThePictureAsComposed) {
    const SourceKind kind{"tiles", 203, 141, 2, 2, false, false, false, 0, 85, 6};
    WriteSource(dir.file("in/tiles.jpg"), kind);
    watermark.tile = true;
    watermark.fontSizeUnit = SizeUnit::PercentOfImage;
    watermark.fontSize = 12;
    const PipelineResult result = ProcessImage(dir.file("in/tiles.jpg"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_EQ(result.notice, "");
    const TBitmap32 upright = DecodePixels(dir.file("in/tiles.jpg"), true);
    TBitmap32 composed;
    ComposeWatermark(watermark, upright, composed, font, ComposeOptions{true});
    const TBitmap32 marked = DecodePixels(result.targetPath, true);
    const TRect all{0, 0, upright.Width(), upright.Height()};
    OutputSettings ordinary = output;
    ordinary.losslessJpeg = false;
    ordinary.jpegQuality = kind.quality;
    ordinary.outputFolder = dir.file("ordinary");
    const PipelineResult reference = ProcessImage(dir.file("in/tiles.jpg"), watermark, ordinary, image, font);
    ASSERT_EQ(reference.status, ItemStatus::Successful) << reference.reason;
    const double ordinaryError = MeanDifference(DecodePixels(reference.targetPath, true), composed, all);
    EXPECT_LT(MeanDifference(marked, composed, all), ordinaryError * 1.15 + 0.5) << ordinaryError;
    EXPECT_GT(MeanDifference(marked, upright, all), 4.0);
}

TEST_F(InPlaceFixture, SettingsThatChangeThePixelsGoTheOrdinaryWayAndSayWhy) {
    WriteSource(dir.file("in/a.jpg"), {"a", 64, 48});
    struct Case {
        const char* name;
        void (*change)(OutputSettings&);
        const char* notice;
    };
    const Case cases[] = {
        {"png", [](OutputSettings& o) { o.formatChoice = "PNG"; }, "the output format is not JPEG"},
        {"rotated", [](OutputSettings& o) { o.rotation = kRotation90CW; }, "the output is rotated"},
        {"resized", [](OutputSettings& o) { o.resize = true; }, "the output is resized"},
        {"greyscale", [](OutputSettings& o) { o.colourMode = "Greyscale"; }, "Greyscale changes the colours"},
        {"monochrome", [](OutputSettings& o) { o.colourMode = "Monochrome"; },
         "Monochrome changes the colours"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OutputSettings settings = output;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        c.change(settings);
        const PipelineResult result = ProcessImage(dir.file("in/a.jpg"), watermark, settings, image, font);
        EXPECT_EQ(result.status, ItemStatus::Successful) << result.reason;
        EXPECT_NE(result.notice.find(c.notice), std::string::npos) << result.notice;
        EXPECT_EQ(result.notice.rfind("Written the ordinary way: ", 0), 0u);
    }
    // A PNG named .jpg and a truncated JPEG fall back too; the ordinary route then decides.
    const FreeImagePtr png(FreeImage_Allocate(8, 8, 24));
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, png.get(), dir.file("in/fake.jpg").c_str(), 0));
    PipelineResult result = ProcessImage(dir.file("in/fake.jpg"), watermark, output, image, font);
    EXPECT_NE(result.notice.find("not a JPEG file"), std::string::npos) << result.notice;
    // A frame naming a quantisation table the file never defines: libjpeg's own error.
    WriteSource(dir.file("in/q.jpg"), {"q", 64, 48});
    std::string bytes = test::ReadFileBytes(dir.file("in/q.jpg"));
    const std::size_t frame = bytes.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    bytes[frame + 2 + 2 + 6 + 2] = 3; // the first component's table selector
    test::WriteFileBytes(dir.file("in/q.jpg"), bytes);
    result = ProcessImage(dir.file("in/q.jpg"), watermark, output, image, font);
    EXPECT_NE(result.notice.find("libjpeg cannot read"), std::string::npos) << result.notice;
    std::filesystem::resize_file(dir.path() / "in/a.jpg", 300);
    result = ProcessImage(dir.file("in/a.jpg"), watermark, output, image, font);
    EXPECT_NE(result.notice, "");
}

TEST_F(InPlaceFixture, TheExistingFilePolicyAndMetadataRulesHold) {
    WriteSource(dir.file("in/a.jpg"), {"a", 64, 48, 2, 2, false, false, false, 0, 85, 1, true});
    // Skip: an existing target is left as it is.
    std::ofstream(dir.file("out/a.jpg")) << "keep";
    PipelineResult result = ProcessImage(dir.file("in/a.jpg"), watermark, output, image, font);
    EXPECT_EQ(result.status, ItemStatus::Skipped);
    std::ifstream kept(dir.file("out/a.jpg"));
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "keep");
    // Rename writes beside it; without metadata nothing of the source's metadata is kept.
    output.existingFilePolicy = ExistingFilePolicy::Rename;
    output.keepMetadata = false;
    output.resolutionChoice = "300";
    result = ProcessImage(dir.file("in/a.jpg"), watermark, output, image, font);
    ASSERT_EQ(result.status, ItemStatus::Successful) << result.reason;
    EXPECT_EQ(result.targetPath, dir.file("out/a_Renamed_by_TLY.jpg"));
    const FreeImagePtr written(FreeImage_Load(FIF_JPEG, result.targetPath.c_str(), 0));
    EXPECT_EQ(FreeImage_GetMetadataCount(FIMD_EXIF_MAIN, written.get()), 0u);
    EXPECT_EQ(FreeImage_GetDotsPerMeterX(written.get()), 11811u);
    // The colour profile is kept all the same.
    std::ifstream file(result.targetPath, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find(std::string("ICC_PROFILE\0\1\1\xAB\xCD", 16)), std::string::npos);
    // A folder that cannot be written fails the item and leaves no temporary file behind.
    output.outputFolder = dir.file("missing");
    result = ProcessImage(dir.file("in/a.jpg"), watermark, output, image, font);
    EXPECT_EQ(result.status, ItemStatus::Unsuccessful);
    EXPECT_EQ(result.failedStage, PipelineStage::Output);
}

} // namespace
} // namespace tessoly

namespace tessoly {
namespace {

// The band of a JPEG marked in place is drawn as a piece of the image; it must get exactly the
// pixels the whole composed image has there, for text (turned, outlined, embossed) and pictures.
TEST(PlacedWatermark, APieceGetsExactlyThePixelsOfTheWholeImage) {
    test::ScratchDir dir;
    TTrueTypeFont font;
    const FreeImagePtr mark(FreeImage_Allocate(23, 17, 32));
    for (unsigned y = 0; y < 17; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(FreeImage_GetScanLine(mark.get(), static_cast<int>(y)));
        for (unsigned x = 0; x < 23; ++x)
            row[x] = ((x * 11 + y * 5) % 256) << 24 | 0x00FF4020u;
    }
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, mark.get(), dir.file("mark.png").c_str(), 0));
    TBitmap32 source(157, 93);
    for (int y = 0; y < source.Height(); ++y) {
        for (int x = 0; x < source.Width(); ++x)
            source.SetPixel(x, y,
                            0xFF000000u | std::uint32_t(Sample(x, y, 0)) << 16 |
                                std::uint32_t(Sample(x, y, 1)) << 8);
    }
    for (const bool picture : {false, true}) {
        SCOPED_TRACE(picture ? "picture" : "text");
        WatermarkSettings settings;
        settings.fontSize = 16;
        settings.textAngle = 30;
        settings.position = WatermarkPosition::BottomRight;
        if (picture) {
            settings.mode = kModeImage;
            settings.picturePath = dir.file("mark.png");
        }
        TBitmap32 whole;
        ComposeWatermark(settings, source, whole, font, ComposeOptions{true});
        const PlacedWatermark placed = PlaceWatermark(settings, source.Width(), source.Height(), font);
        const TRect box = placed.bounds;
        ASSERT_GT(box.Width(), 0);
        TBitmap32 piece(box.Width() + 3, box.Height() + 2);
        const int left = box.left - 3;
        const int top = box.top - 1;
        for (int y = 0; y < piece.Height(); ++y) {
            for (int x = 0; x < piece.Width(); ++x)
                piece.SetPixel(x, y, source.Pixel(std::clamp(x + left, 0, 156), std::clamp(y + top, 0, 92)));
        }
        DrawPlacedWatermark(placed, settings, piece, left, top, font);
        int differing = 0;
        for (int y = std::max(0, top); y < std::min(93, top + piece.Height()); ++y) {
            for (int x = std::max(0, left); x < std::min(157, left + piece.Width()); ++x)
                differing += piece.Pixel(x - left, y - top) != whole.Pixel(x, y);
        }
        EXPECT_EQ(differing, 0);
        // Nothing outside the box changed.
        int outside = 0;
        for (int y = 0; y < 93; ++y) {
            for (int x = 0; x < 157; ++x) {
                const bool in = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
                outside += !in && whole.Pixel(x, y) != source.Pixel(x, y);
            }
        }
        EXPECT_EQ(outside, 0);
    }
}

} // namespace
} // namespace tessoly
