#include <algorithm>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <zlib.h>

#include "OutputTestImages.h"
#include "imageio/OutputWriter.h"
#include "imageio/SourceDecoder.h"
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


//! A small ICC profile of RGB data as a wide-gamut camera profile looks: a valid header (its
//! size, "acsp", RGB data, XYZ connection space, D50) and a white point and description tag.
std::vector<BYTE> WideGamutProfile(const char* colourSpace = "RGB ") {
    std::vector<BYTE> p(128, 0);
    auto be32 = [&p](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            p[at + i] = static_cast<BYTE>(v >> (24 - 8 * i));
    };
    std::memcpy(&p[4], "tsly", 4);
    p[8] = 2;
    p[9] = 0x10;
    std::memcpy(&p[12], "mntr", 4);
    std::memcpy(&p[16], colourSpace, 4);
    std::memcpy(&p[20], "XYZ ", 4);
    std::memcpy(&p[36], "acsp", 4);
    be32(68, 0x0000F6D6); // D50
    be32(72, 0x00010000);
    be32(76, 0x0000D32D);
    const char text[] = "Tessoly wide RGB test profile";
    const std::uint32_t tagsAt = 128 + 4 + 2 * 12;
    const std::uint32_t textBytes = (8 + sizeof text + 3) & ~3u;
    p.resize(tagsAt + 20 + textBytes, 0);
    be32(128, 2);
    std::memcpy(&p[132], "wtpt", 4);
    be32(136, tagsAt);
    be32(140, 20);
    std::memcpy(&p[144], "cprt", 4);
    be32(148, tagsAt + 20);
    be32(152, 8 + sizeof text);
    std::memcpy(&p[tagsAt], "XYZ ", 4);
    be32(tagsAt + 8, 0x0000F351);
    be32(tagsAt + 12, 0x00010000);
    be32(tagsAt + 16, 0x000116CC);
    std::memcpy(&p[tagsAt + 20], "text", 4);
    std::memcpy(&p[tagsAt + 28], text, sizeof text);
    be32(0, static_cast<std::uint32_t>(p.size()));
    return p;
}

//! The profile of a PNG file's iCCP chunk, read with our own chunk walk: the library's PNG
//! reader does not load profiles.
std::vector<BYTE> PngProfile(const std::string& png);

std::vector<BYTE> ProfileOf(FIBITMAP* image) {
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(image);
    if (profile == nullptr || profile->data == nullptr)
        return {};
    const auto* data = static_cast<const BYTE*>(profile->data);
    return std::vector<BYTE>(data, data + profile->size);
}

//! A JPEG source with an embedded profile, loaded as the decoder loads it.
FIBITMAP* LoadProfiledJpeg(const std::string& path, const std::vector<BYTE>& profile) {
    const FreeImagePtr picture(FreeImage_Allocate(40, 30, 24));
    FreeImage_CreateICCProfile(picture.get(), const_cast<BYTE*>(profile.data()), static_cast<long>(profile.size()));
    EXPECT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), path.c_str(), 90));
    return FreeImage_Load(FIF_JPEG, path.c_str(), 0);
}

TEST(OutputMetadataTest, TheColourProfileReachesJpegPngAndTiffByteForByteWithOrWithoutMetadata) {
    test::ScratchDir src;
    test::ScratchDir out;
    const std::vector<BYTE> profile = WideGamutProfile();
    WorkingImage image;
    image.SourceImage = LoadProfiledJpeg(src.file("wide.jpg"), profile);
    ASSERT_EQ(ProfileOf(image.SourceImage), profile); // the fixture carries it
    image.SourceFormat = FIF_JPEG;
    image.CurrentImagePath = src.file("wide.jpg");
    test::FillPattern(image.ComposedBitmap, 40, 30);
    struct Case {
        const char* format;
        const char* file;
        bool keepMetadata;
        const char* colourMode;
        bool carried;
    };
    const Case cases[] = {
        {"JPEG", "wide.jpg", true, "RGB", true},         {"PNG", "wide.png", true, "RGB", true},
        {"TIFF", "wide.tif", true, "RGB", true},         {"JPEG", "wide.jpg", false, "RGB", true},
        {"PNG", "wide.png", false, "RGB", true},         {"TIFF", "wide.tif", false, "RGB", true},
        {"JPEG", "wide.jpg", true, "Greyscale", false},  {"PNG", "wide.png", true, "Monochrome", false},
    };
    for (const Case& c : cases) {
        OutputSettings settings;
        settings.outputFolder = out.path().string();
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        settings.formatChoice = c.format;
        settings.keepMetadata = c.keepMetadata;
        settings.colourMode = c.colourMode;
        const OutputOutcome outcome = SaveOutputImage(image, settings);
        ASSERT_FALSE(outcome.OutputFailed) << outcome.reason;
        const FreeImagePtr written = test::LoadOutput(out.file(c.file));
        ASSERT_TRUE(written) << c.file;
        const std::vector<BYTE> carried = std::string(c.format) == "PNG"
                                              ? PngProfile(test::ReadFileBytes(out.file(c.file)))
                                              : ProfileOf(written.get());
        EXPECT_EQ(carried, c.carried ? profile : std::vector<BYTE>())
            << c.format << " metadata " << c.keepMetadata << " " << c.colourMode;
    }
}

TEST(OutputMetadataTest, APngSourcesProfileIsReadAndCarriedToo) {
    test::ScratchDir src;
    test::ScratchDir out;
    const std::vector<BYTE> profile = WideGamutProfile();
    const std::string png = src.file("p3.png");
    {
        const FreeImagePtr picture(FreeImage_Allocate(40, 30, 24));
        FreeImage_CreateICCProfile(picture.get(), const_cast<BYTE*>(profile.data()), static_cast<long>(profile.size()));
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, picture.get(), png.c_str(), 0));
    }
    WorkingImage image;
    ASSERT_TRUE(DecodeSourceImage(image, png, DecodeTargets::SourceOnly));
    image.ComposedBitmap.Assign(image.SourceBitmap);
    for (const auto& [format, file] : {std::pair{"JPEG", "p3.jpg"}, std::pair{"PNG", "p3.png"}}) {
        OutputSettings settings;
        settings.outputFolder = out.path().string();
        settings.formatChoice = format;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        const std::string bytes = test::ReadFileBytes(out.file(file));
        const FreeImagePtr written = test::LoadOutput(out.file(file));
        EXPECT_EQ(std::string(format) == "PNG" ? PngProfile(bytes) : ProfileOf(written.get()), profile) << format;
    }
}

TEST(OutputMetadataTest, AProfileOfOtherThanRgbDataIsNotPutOnRgbPixels) {
    test::ScratchDir src;
    test::ScratchDir out;
    WorkingImage image;
    image.SourceImage = LoadProfiledJpeg(src.file("cmyk.jpg"), WideGamutProfile("CMYK"));
    ASSERT_FALSE(ProfileOf(image.SourceImage).empty());
    image.SourceFormat = FIF_JPEG;
    image.CurrentImagePath = src.file("cmyk.jpg");
    test::FillPattern(image.ComposedBitmap, 40, 30);
    OutputSettings settings;
    settings.outputFolder = out.path().string();
    ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
    const FreeImagePtr written = test::LoadOutput(out.file("cmyk.jpg"));
    ASSERT_TRUE(written);
    EXPECT_TRUE(ProfileOf(written.get()).empty());
}

// ---- Exif: thumbnail, pixel dimensions, orientation -------------------------------------------

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

std::string TagString(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(model, image, key, &tag) || tag == nullptr)
        return "";
    return FreeImage_TagToString(model, tag, nullptr);
}

bool Contains(const std::string& haystack, const std::vector<BYTE>& needle) {
    return haystack.find(std::string(needle.begin(), needle.end())) != std::string::npos;
}

//! The body of a PNG file's first chunk of this type, read with our own chunk walk.
std::vector<BYTE> PngChunk(const std::string& png, const char* type) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const BYTE*>(png.data() + at);
        const std::size_t length = std::size_t(p[0]) << 24 | std::size_t(p[1]) << 16 | std::size_t(p[2]) << 8 | p[3];
        if (std::memcmp(p + 4, type, 4) == 0)
            return std::vector<BYTE>(p + 8, p + 8 + length);
        at += 12 + length;
    }
    return {};
}

std::vector<BYTE> PngProfile(const std::string& png) {
    const std::vector<BYTE> chunk = PngChunk(png, "iCCP");
    // A name, its terminator, the compression method, then the zlib stream.
    const auto name = std::find(chunk.begin(), chunk.end(), BYTE(0));
    if (chunk.end() - name < 2)
        return {};
    std::vector<BYTE> profile(1 << 16);
    uLongf size = static_cast<uLongf>(profile.size());
    const BYTE* stream = &*(name + 2);
    if (uncompress(profile.data(), &size, stream, static_cast<uLong>(chunk.end() - (name + 2))) != Z_OK)
        return {};
    profile.resize(size);
    return profile;
}

//! The SHORT value of a tag in a little-endian TIFF's first directory, or 0.
unsigned TiffFirstDirectoryShort(const std::string& tiff, unsigned tag) {
    auto u16 = [&tiff](std::size_t at) { return unsigned(BYTE(tiff[at])) | unsigned(BYTE(tiff[at + 1])) << 8; };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (tiff.size() < 8 || tiff.compare(0, 2, "II") != 0)
        return 0;
    const std::size_t ifd = u32(4);
    for (unsigned e = 0; ifd + 2 + 12 * (e + 1) <= tiff.size() && e < u16(ifd); ++e) {
        const std::size_t entry = ifd + 2 + 12 * e;
        if (u16(entry) == tag && u16(entry + 2) == 3)
            return u16(entry + 8);
    }
    return 0;
}

//! The IPTC records of a PNG file's "Raw profile type iptc" chunk: zlib text of a header and
//! hexadecimal digits.
std::string PngRawIptc(const std::string& png) {
    const std::vector<BYTE> chunk = PngChunk(png, "zTXt");
    const char keyword[] = "Raw profile type iptc";
    if (chunk.size() < sizeof keyword + 1 || std::memcmp(chunk.data(), keyword, sizeof keyword) != 0)
        return {};
    std::vector<BYTE> text(1 << 16);
    uLongf size = static_cast<uLongf>(text.size());
    if (uncompress(text.data(), &size, chunk.data() + sizeof keyword + 1,
                   static_cast<uLong>(chunk.size() - sizeof keyword - 1)) != Z_OK) {
        return {};
    }
    std::istringstream in(std::string(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size)));
    std::string name, hex, line;
    std::size_t length = 0;
    in >> name >> length;
    while (in >> line)
        hex += line;
    std::string records;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        records += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    EXPECT_EQ(name, "iptc");
    EXPECT_EQ(records.size(), length);
    return records;
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
    for (const bool applied : {false, true}) {
        image_.OrientationApplied = applied;
        Write("JPEG", "cam.jpg");
        const FreeImagePtr loaded = test::LoadOutput(out_.file("cam.jpg"));
        ASSERT_TRUE(loaded);
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

TEST(OutputMetadataTest, AMalformedExifBlockIsDroppedNotWrittenBroken) {
    test::ScratchDir dir;
    WorkingImage image;
    test::PrepareWorkingImage(image, 16, 16, dir.file("s.jpg"));
    std::vector<BYTE> exif = CameraExif();
    exif[10] = 0xF0; // IFD0 far past the block's end
    SetTag(image.SourceImage, FIMD_EXIF_RAW, "ExifRaw", 0, FIDT_BYTE, exif.data(), static_cast<DWORD>(exif.size()));
    for (const auto& [format, file] : {std::pair{"JPEG", "s.jpg"}, std::pair{"PNG", "s.png"}}) {
        OutputSettings settings;
        settings.formatChoice = format;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        const std::string bytes = test::ReadFileBytes(dir.file(file));
        EXPECT_EQ(bytes.find(std::string("Exif\0\0", 6)), std::string::npos) << format;
        EXPECT_EQ(bytes.find("eXIf"), std::string::npos) << format;
    }
}

TEST(OutputMetadataTest, KeywordsKeepTheirOrder) {
    test::ScratchDir src;
    test::ScratchDir out;
    // Keywords recorded as three IPTC records in this order, as a photo manager writes them.
    const std::string jpeg = src.file("k.jpg");
    {
        const FreeImagePtr picture(FreeImage_Allocate(8, 8, 24));
        // The library's writer stores a list in reverse: given reversed, the file has the order.
        const char reversed[] = "harbour;dawn;boats";
        SetTag(picture.get(), FIMD_IPTC, "Keywords", 0x0219, FIDT_ASCII, reversed, sizeof reversed);
        ASSERT_TRUE(FreeImage_Save(FIF_JPEG, picture.get(), jpeg.c_str(), 90));
    }
    const std::string bytes = test::ReadFileBytes(jpeg);
    ASSERT_LT(bytes.find("boats"), bytes.find("dawn"));
    ASSERT_LT(bytes.find("dawn"), bytes.find("harbour"));
    WorkingImage image;
    image.SourceImage = FreeImage_Load(FIF_JPEG, jpeg.c_str(), 0);
    image.SourceFormat = FIF_JPEG;
    image.CurrentImagePath = jpeg;
    test::FillPattern(image.ComposedBitmap, 8, 8);
    for (const auto& [format, file] :
         {std::pair{"JPEG", "k.jpg"}, std::pair{"TIFF", "k.tif"}, std::pair{"PNG", "k.png"}}) {
        OutputSettings settings;
        settings.outputFolder = out.path().string();
        settings.formatChoice = format;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        std::string written = test::ReadFileBytes(out.file(file));
        if (std::string(format) == "PNG")
            written = PngRawIptc(written);
        EXPECT_NE(written.find("boats"), std::string::npos) << format;
        EXPECT_LT(written.find("boats"), written.find("dawn")) << format;
        EXPECT_LT(written.find("dawn"), written.find("harbour")) << format;
    }
}

TEST(OutputMetadataTest, AJpegWithoutMetadataStatesTheSourceResolutionOr72Dpi) {
    test::ScratchDir dir;
    for (const auto& [sourceDpm, expectedDpi] : {std::pair{11811u, 300}, std::pair{0u, 72}}) {
        WorkingImage image;
        test::PrepareWorkingImage(image, 16, 16, dir.file("s.png"), FIF_PNG, sourceDpm);
        OutputSettings settings;
        settings.formatChoice = "JPEG";
        settings.keepMetadata = false;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
        ASSERT_FALSE(SaveOutputImage(image, settings).OutputFailed);
        // The JFIF header: units 1 (dots per inch), then the horizontal and vertical density.
        const std::string bytes = test::ReadFileBytes(dir.file("s.jpg"));
        ASSERT_EQ(bytes.compare(6, 5, std::string("JFIF\0", 5)), 0);
        EXPECT_EQ(bytes[13], 1);
        EXPECT_EQ((static_cast<BYTE>(bytes[14]) << 8) | static_cast<BYTE>(bytes[15]), expectedDpi);
        EXPECT_EQ((static_cast<BYTE>(bytes[16]) << 8) | static_cast<BYTE>(bytes[17]), expectedDpi);
    }
}

} // namespace
} // namespace tessoly
