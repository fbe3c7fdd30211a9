// The Exif of a camera JPEG in the outputs: no thumbnail, the output's pixel dimensions, the
// orientation as the pixels are, maker notes whole, and the block in PNG and TIFF outputs.

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "OutputMetadataReadBack.h"
#include "OutputTestImages.h"
#include "imageio/OutputWriter.h"
#include "imageio/SourceDecoder.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using namespace test;

void PutAt16(std::vector<BYTE>& b, std::size_t at, unsigned v) {
    b[at] = static_cast<BYTE>(v);
    b[at + 1] = static_cast<BYTE>(v >> 8);
}
void PutAt32(std::vector<BYTE>& b, std::size_t at, unsigned v) {
    PutAt16(b, at, v & 0xFFFF);
    PutAt16(b, at + 2, v >> 16);
}
void Entry(std::vector<BYTE>& b, std::size_t at, unsigned tag, unsigned type, unsigned count, unsigned value) {
    PutAt16(b, at, tag);
    PutAt16(b, at + 2, type);
    PutAt32(b, at + 4, count);
    PutAt32(b, at + 8, value);
}

//! A small JPEG picture standing in for a camera's embedded thumbnail.
std::vector<BYTE> ThumbnailJpeg() {
    const FreeImagePtr picture(FreeImage_Allocate(16, 12, 24));
    for (unsigned y = 0; y < 12; ++y) {
        for (unsigned x = 0; x < 16; ++x) {
            RGBQUAD colour{static_cast<BYTE>(x * 16), static_cast<BYTE>(y * 20), 200, 0};
            FreeImage_SetPixelColor(picture.get(), x, y, &colour);
        }
    }
    const FreeImageMemoryPtr memory(FreeImage_OpenMemory(nullptr, 0));
    FreeImage_SaveToMemory(FIF_JPEG, picture.get(), memory.get(), 75);
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory.get(), &data, &size);
    return std::vector<BYTE>(data, data + size);
}

//! The maker note of the fixture: opaque bytes that must come out unchanged.
const BYTE kMakerNote[16] = {'T', 'S', 'L', 'Y', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};

//! The APP1 Exif block of a camera photo of 48 x 32 pixels: IFD0 (Make, Orientation 6, the Exif
//! directory), the Exif directory (pixel dimensions as LONG and SHORT, a maker note) and IFD1
//! describing an embedded JPEG thumbnail.
std::vector<BYTE> CameraExifWithThumbnail(const std::vector<BYTE>& thumbnail, unsigned orientation = 6) {
    constexpr std::size_t kIfd0 = 8, kMake = 62, kExifIfd = 74, kNote = 116, kIfd1 = 132, kThumb = 174;
    std::vector<BYTE> t(kThumb + thumbnail.size(), 0);
    t[0] = 'I';
    t[1] = 'I';
    PutAt16(t, 2, 42);
    PutAt32(t, 4, kIfd0);
    PutAt16(t, kIfd0, 4);
    Entry(t, kIfd0 + 2, 0x010F, 2, 11, kMake);
    Entry(t, kIfd0 + 14, 0x0112, 3, 1, orientation);
    Entry(t, kIfd0 + 26, 0x0131, 2, 4, 0x00542D54); // Software "T-T\0" inline
    Entry(t, kIfd0 + 38, 0x8769, 4, 1, kExifIfd);
    PutAt32(t, kIfd0 + 50, kIfd1);
    std::memcpy(&t[kMake], "TessolyCam", 11);
    PutAt16(t, kExifIfd, 3);
    Entry(t, kExifIfd + 2, 0xA002, 4, 1, 48);
    Entry(t, kExifIfd + 14, 0xA003, 3, 1, 32);
    Entry(t, kExifIfd + 26, 0x927C, 7, sizeof kMakerNote, kNote);
    std::memcpy(&t[kNote], kMakerNote, sizeof kMakerNote);
    PutAt16(t, kIfd1, 3);
    Entry(t, kIfd1 + 2, 0x0103, 3, 1, 6);
    Entry(t, kIfd1 + 14, 0x0201, 4, 1, kThumb);
    Entry(t, kIfd1 + 26, 0x0202, 4, 1, static_cast<unsigned>(thumbnail.size()));
    std::memcpy(&t[kThumb], thumbnail.data(), thumbnail.size());
    std::vector<BYTE> block = {'E', 'x', 'i', 'f', 0, 0};
    block.insert(block.end(), t.begin(), t.end());
    return block;
}

//! A 48 x 32 camera JPEG carrying exif (and keywords), loaded as the decoder loads it.
FIBITMAP* LoadJpegWithExif(const std::string& path, const std::vector<BYTE>& exif) {
    const FreeImagePtr picture(FreeImage_Allocate(48, 32, 24));
    SetTag(picture.get(), FIMD_EXIF_RAW, "ExifRaw", 0, FIDT_BYTE, exif.data(), static_cast<DWORD>(exif.size()));
    EXPECT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), path.c_str(), 90));
    return FreeImage_Load(FIF_JPEG, path.c_str(), 0);
}

class ExifOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        thumbnail_ = ThumbnailJpeg();
        exif_ = CameraExifWithThumbnail(thumbnail_);
        image_.SourceImage = LoadJpegWithExif(src_.file("cam.jpg"), exif_);
        ASSERT_NE(image_.SourceImage, nullptr);
        image_.SourceFormat = FIF_JPEG;
        image_.CurrentImagePath = src_.file("cam.jpg");
        test::FillPattern(image_.ComposedBitmap, 48, 32);
        settings_.outputFolder = out_.path().string();
        settings_.existingFilePolicy = ExistingFilePolicy::Overwrite;
    }
    std::string Write(const char* format, const char* file) {
        settings_.formatChoice = format;
        const OutputOutcome outcome = SaveOutputImage(image_, settings_);
        EXPECT_FALSE(outcome.OutputFailed) << outcome.reason;
        return test::ReadFileBytes(out_.file(file));
    }
    test::ScratchDir src_, out_;
    std::vector<BYTE> thumbnail_, exif_;
    WorkingImage image_;
    OutputSettings settings_;
};

TEST_F(ExifOutputTest, TheUnwatermarkedThumbnailNeverReachesTheOutput) {
    // The fixture's own file carries the thumbnail.
    ASSERT_TRUE(Contains(test::ReadFileBytes(src_.file("cam.jpg")), thumbnail_));
    for (const auto& [format, file] : {std::pair{"JPEG", "cam.jpg"}, std::pair{"PNG", "cam.png"}}) {
        const std::string bytes = Write(format, file);
        EXPECT_FALSE(Contains(bytes, thumbnail_)) << format;
        const FreeImagePtr loaded = test::LoadOutput(out_.file(file));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(FreeImage_GetThumbnail(loaded.get()), nullptr) << format;
    }
}

TEST_F(ExifOutputTest, PixelDimensionsFollowTheOutputAndMakerNotesStayWhole) {
    settings_.resize = true;
    settings_.widthText = "24";
    settings_.rotation = kRotation90CW;
    Write("JPEG", "cam.jpg");
    const FreeImagePtr loaded = test::LoadOutput(out_.file("cam.jpg"));
    ASSERT_TRUE(loaded);
    ASSERT_EQ(FreeImage_GetWidth(loaded.get()), 24u); // 32 x 48 after the turn, then width 24
    EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_EXIF, "PixelXDimension"), "24");
    EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_EXIF, "PixelYDimension"), "36");
    EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_MAIN, "Make"), "TessolyCam");
    EXPECT_TRUE(Contains(test::ReadFileBytes(out_.file("cam.jpg")),
                         std::vector<BYTE>(kMakerNote, kMakerNote + sizeof kMakerNote)));
}

TEST_F(ExifOutputTest, OrientationIsOneOnlyWhereThePixelsWereTurnedUpright) {
    const char xmp[] = R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF><rdf:Description tiff:Orientation="6"/></rdf:RDF></x:xmpmeta>)";
    SetTag(image_.SourceImage, FIMD_XMP, "XMLPacket", 0, FIDT_ASCII, xmp, sizeof xmp);
    for (const bool applied : {false, true}) {
        image_.OrientationApplied = applied;
        Write("JPEG", "cam.jpg");
        const FreeImagePtr loaded = test::LoadOutput(out_.file("cam.jpg"));
        ASSERT_TRUE(loaded);
        EXPECT_NE(TagText(loaded.get(), FIMD_XMP, "XMLPacket").find(applied ? "tiff:Orientation=\"1\"" : "tiff:Orientation=\"6\""),
                  std::string::npos);
        FITAG* tag = nullptr;
        ASSERT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_MAIN, loaded.get(), "Orientation", &tag));
        EXPECT_EQ(*static_cast<const WORD*>(FreeImage_GetTagValue(tag)), applied ? 1 : 6);
    }
}

TEST_F(ExifOutputTest, PngOutputCarriesTheRewrittenExifInItsExifChunk) {
    image_.OrientationApplied = true;
    const std::string png = Write("PNG", "cam.png");
    const std::vector<BYTE> chunk = PngChunk(png, "eXIf");
    ASSERT_FALSE(chunk.empty());
    // The block as the JPEG output carries it, less its "Exif\0\0" opening.
    Write("JPEG", "cam.jpg");
    const FreeImagePtr jpeg = test::LoadOutput(out_.file("cam.jpg"));
    FITAG* raw = nullptr;
    ASSERT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_RAW, jpeg.get(), "ExifRaw", &raw));
    const auto* rawBytes = static_cast<const BYTE*>(FreeImage_GetTagValue(raw));
    EXPECT_EQ(chunk, std::vector<BYTE>(rawBytes + 6, rawBytes + FreeImage_GetTagLength(raw)));
    // And the chunk lies before the image data, in a file the library still reads.
    EXPECT_LT(png.find("eXIf"), png.find("IDAT"));
    EXPECT_TRUE(test::LoadOutput(out_.file("cam.png")));
    // Without metadata there is none.
    settings_.keepMetadata = false;
    EXPECT_TRUE(PngChunk(Write("PNG", "cam.png"), "eXIf").empty());
}

TEST_F(ExifOutputTest, APngSourcesExifChunkIsReadAndCarried) {
    Write("PNG", "cam.png");
    WorkingImage png;
    ASSERT_TRUE(DecodeSourceImage(png, out_.file("cam.png"), DecodeTargets::SourceOnly));
    png.ComposedBitmap.Assign(png.SourceBitmap);
    OutputSettings settings;
    settings.formatChoice = "JPEG";
    settings.outputFolder = src_.path().string();
    settings.existingFilePolicy = ExistingFilePolicy::Rename;
    const OutputOutcome outcome = SaveOutputImage(png, settings);
    ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
    const FreeImagePtr loaded = test::LoadOutput(outcome.targetPath);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_MAIN, "Make"), "TessolyCam");
    EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_EXIF, "PixelXDimension"), "48");
}

TEST_F(ExifOutputTest, TiffOutputCarriesExifIptcAndTheStoredOrientation) {
    const char caption[] = "Harbour at dawn";
    SetTag(image_.SourceImage, FIMD_IPTC, "Caption-Abstract", 0x0278, FIDT_ASCII, caption, sizeof caption);
    for (const bool applied : {false, true}) {
        image_.OrientationApplied = applied;
        const std::string bytes = Write("TIFF", "cam.tif");
        const FreeImagePtr loaded = test::LoadOutput(out_.file("cam.tif"));
        ASSERT_TRUE(loaded);
        EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_MAIN, "Make"), "TessolyCam");
        // The library's TIFF reader does not report the orientation: read IFD0 here.
        EXPECT_EQ(TiffFirstDirectoryShort(bytes, 0x0112), applied ? 1u : 6u);
        EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_EXIF, "PixelXDimension"), "48");
        EXPECT_EQ(TagString(loaded.get(), FIMD_EXIF_EXIF, "PixelYDimension"), "32");
        EXPECT_NE(bytes.find(std::string("\x1C\x02\x78\x00\x0FHarbour at dawn", 20)), std::string::npos);
        // The maker note cannot move with its offsets, so it stays out; the thumbnail too.
        EXPECT_FALSE(Contains(bytes, std::vector<BYTE>(kMakerNote, kMakerNote + sizeof kMakerNote)));
        EXPECT_FALSE(Contains(bytes, thumbnail_));
    }
}

} // namespace
} // namespace tessoly
