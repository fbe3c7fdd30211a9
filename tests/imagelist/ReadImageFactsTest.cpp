#include "imagelist/ReadImageFacts.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QString>

#include <FreeImage.h>

#include "imageio/FreeImageLibrary.h"
#include "support/ExifJpegFixture.h"
#include "support/HeifFixtures.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

void EnsureFreeImage() {
    static FreeImageLibrary library;
}

//! Saves a width x height 24-bit picture with the given resolution; returns the path.
std::string SavePicture(const test::ScratchDir& dir, const std::string& name, FREE_IMAGE_FORMAT format,
                        unsigned width, unsigned height, unsigned dotsX, unsigned dotsY) {
    EnsureFreeImage();
    FIBITMAP* dib = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 24);
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, static_cast<int>(y));
        for (unsigned x = 0; x < width * 3; ++x) {
            line[x] = static_cast<BYTE>((x * 7 + y * 3) & 0xFF);
        }
    }
    FreeImage_SetDotsPerMeterX(dib, dotsX);
    FreeImage_SetDotsPerMeterY(dib, dotsY);
    const std::string path = dir.file(name);
    EXPECT_TRUE(FreeImage_Save(format, dib, path.c_str(), 0));
    FreeImage_Unload(dib);
    return path;
}

TEST(ReadImageFacts, PngRowShowsFormatSizeResolutionAndKilobytes) {
    test::ScratchDir dir;
    const std::string path = SavePicture(dir, "photo.png", FIF_PNG, 800, 600, 3780, 3780);
    // Trailing bytes after the PNG's end do not disturb the decoder; they bring the file to the
    // size of the example, 245 760 bytes.
    std::string bytes = test::ReadFileBytes(path);
    ASSERT_LT(bytes.size(), 245760u);
    bytes.resize(245760, '\0');
    test::WriteFileBytes(path, bytes);

    const ImageListItem item = ReadImageFacts(QString::fromStdString(path));
    EXPECT_EQ(item.path.toStdString(), path);
    EXPECT_TRUE(item.checked);
    EXPECT_EQ(item.status, ItemStatus::Waiting);
    EXPECT_EQ(item.formatText, "PNG");
    EXPECT_EQ(item.dimensionsText, "800 x 600");
    EXPECT_EQ(item.dpiText, "96");
    EXPECT_EQ(item.fileSizeText, "240 KB");
}

TEST(ReadImageFacts, JpegWithDifferentAxesShowsBothValues) {
    test::ScratchDir dir;
    const std::string path = SavePicture(dir, "scan.jpg", FIF_JPEG, 40, 30, 2835, 3780);
    const ImageListItem item = ReadImageFacts(QString::fromStdString(path));
    EXPECT_EQ(item.formatText, "JPEG");
    EXPECT_EQ(item.dimensionsText, "40 x 30");
    EXPECT_EQ(item.dpiText, "72 x 96");
}

TEST(ReadImageFacts, HeifAvifAndWebpRowsNameTheirFormat) {
    test::ScratchDir dir;
    EnsureFreeImage();
    test::HeifFixture picture;
    picture.width = 40;
    picture.height = 24;
    picture.pixels.assign(40 * 24, 0xFF336699);
    // Stored with a quarter turn: the row shows the size as the picture is seen.
    picture.orientation = 6;
    ASSERT_TRUE(test::WriteHeifFixture(dir.file("a.heic"), picture));
    picture.av1 = true;
    picture.orientation = 1;
    ASSERT_TRUE(test::WriteHeifFixture(dir.file("b.avif"), picture));
    SavePicture(dir, "c.webp", FIF_WEBP, 40, 30, 0, 0);
    struct Case {
        const char* name;
        const char* format;
        const char* size;
    };
    for (const Case c : {Case{"a.heic", "HEIF", "24 x 40"}, Case{"b.avif", "AVIF", "40 x 24"},
                         Case{"c.webp", "WebP", "40 x 30"}}) {
        SCOPED_TRACE(c.name);
        const ImageListItem item = ReadImageFacts(QString::fromStdString(dir.file(c.name)));
        EXPECT_EQ(item.formatText, c.format);
        EXPECT_EQ(item.dimensionsText, c.size);
        EXPECT_EQ(item.dpiText, "72");
    }
}

TEST(ReadImageFacts, DimensionsAreThoseViewersShowUnlessOrientationIsOff) {
    EnsureFreeImage();
    test::ScratchDir dir;
    const FreeImagePtr picture = test::CornerPicture(40, 30, 8);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string path = dir.file("o" + std::to_string(orientation) + ".jpg");
        test::WriteOrientedJpeg(path, picture.get(), orientation);
        const QString file = QString::fromStdString(path);
        EXPECT_EQ(ReadImageFacts(file).dimensionsText, orientation >= 5 ? "30 x 40" : "40 x 30")
            << orientation;
        EXPECT_EQ(ReadImageFacts(file, false).dimensionsText, "40 x 30") << orientation;
    }
}

TEST(DpiColumnText, EqualAxesShowOneValueAndZeroReadsAs72) {
    struct Case {
        unsigned x;
        unsigned y;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {2835, 3780, "72 x 96"}, {0, 0, "72"},          {0, 2835, "0 x 72"},
        {3780, 3780, "96"},      {11811, 11811, "300"}, {19, 0, "72"}, // 19 dots per metre is 0 DPI too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(DpiColumnText(c.x, c.y), c.expected);
    }
}

TEST(ReadImageFacts, FilesThatAreNoImagesStillMakeRows) {
    struct Case {
        const char* name;
        std::size_t size;
        const char* sizeText;
    };
    const std::vector<Case> cases = {
        {"notes.jpg", 37, "37"},
        {"small.bmp", 512, "512"},
        {"larger.png", 1536, "2 KB"},
    };
    test::ScratchDir dir;
    EnsureFreeImage();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text(c.size, 'x');
        text.replace(0, 10, "some notes");
        test::WriteFileBytes(dir.path() / c.name, text);
        const ImageListItem item = ReadImageFacts(QString::fromStdString(dir.file(c.name)));
        EXPECT_TRUE(item.checked);
        EXPECT_EQ(item.status, ItemStatus::Waiting);
        EXPECT_EQ(item.formatText, "Unknown");
        EXPECT_EQ(item.dimensionsText, "0 x 0");
        EXPECT_EQ(item.dpiText, "72");
        EXPECT_EQ(item.fileSizeText, c.sizeText);
    }
}

TEST(ReadImageFacts, MissingFileBecomesARowWithoutASize) {
    test::ScratchDir dir;
    EnsureFreeImage();
    const ImageListItem item = ReadImageFacts(QString::fromStdString(dir.file("gone.png")));
    EXPECT_EQ(item.formatText, "Unknown");
    EXPECT_EQ(item.dimensionsText, "0 x 0");
    EXPECT_EQ(item.dpiText, "72");
    EXPECT_EQ(item.fileSizeText, "");
}

TEST(ReadImageFacts, PipesAndFoldersAreNeverOpened) {
    test::ScratchDir dir;
    EnsureFreeImage();
    // Reading a pipe that nobody writes would block the job for ever.
    ASSERT_EQ(::mkfifo(dir.file("pipe.png").c_str(), 0600), 0);
    std::filesystem::create_directories(dir.path() / "folder.jpg");
    for (const char* name : {"pipe.png", "folder.jpg"}) {
        SCOPED_TRACE(name);
        const ImageListItem item = ReadImageFacts(QString::fromStdString(dir.file(name)));
        EXPECT_EQ(item.formatText, "Unknown");
        EXPECT_EQ(item.dimensionsText, "0 x 0");
        EXPECT_EQ(item.dpiText, "72");
        EXPECT_EQ(item.fileSizeText, "");
    }
}

TEST(ReadImageFacts, ATruncatedImageKeepsItsFormatButNoSize) {
    test::ScratchDir dir;
    const std::string path = SavePicture(dir, "cut.png", FIF_PNG, 64, 64, 2835, 2835);
    std::string bytes = test::ReadFileBytes(path);
    bytes.resize(60);
    test::WriteFileBytes(path, bytes);
    const ImageListItem item = ReadImageFacts(QString::fromStdString(path));
    EXPECT_EQ(item.formatText, "PNG");
    EXPECT_EQ(item.dimensionsText, "0 x 0");
    EXPECT_EQ(item.dpiText, "72");
    EXPECT_EQ(item.fileSizeText, "60");
}

// The header read sees the Exif orientation a full decode sees, with the setting on and off.
TEST(ReadImageFacts, HeaderTextsOfOrientedPhotosAreThoseOfAFullDecode) {
    EnsureFreeImage();
    test::ScratchDir dir;
    const FreeImagePtr picture = test::CornerPicture(40, 30, 8);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const std::string path = dir.file("oriented" + std::to_string(orientation) + ".jpg");
        test::WriteOrientedJpeg(path, picture.get(), orientation);
        const QString file = QString::fromStdString(path);
        for (const bool apply : {true, false}) {
            SCOPED_TRACE(testing::Message() << orientation << (apply ? " applied" : " as stored"));
            const ImageListItem header = ReadImageFacts(file, apply);
            const ImageListItem decoded = ReadImageFactsByDecoding(file, apply);
            EXPECT_EQ(header.dimensionsText, decoded.dimensionsText);
            EXPECT_EQ(header.dpiText, decoded.dpiText);
            EXPECT_EQ(header.formatText, decoded.formatText);
        }
    }
}

// The list's texts from the header read are those of a full decode, format by format.
TEST(ReadImageFacts, HeaderTextsAreThoseOfAFullDecode) {
    test::ScratchDir dir;
    struct Case {
        const char* name;
        FREE_IMAGE_FORMAT format;
        unsigned dotsX, dotsY;
    };
    const std::vector<Case> cases = {
        {"a.png", FIF_PNG, 3780, 3780},    {"b.jpg", FIF_JPEG, 2835, 3780}, {"c.bmp", FIF_BMP, 0, 0},
        {"d.tif", FIF_TIFF, 11811, 11811}, {"e.tga", FIF_TARGA, 0, 0},      {"f.gif", FIF_GIF, 0, 0},
        {"g.jp2", FIF_JP2, 3780, 3780},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.format == FIF_GIF
                                     ? dir.file(c.name)
                                     : SavePicture(dir, c.name, c.format, 61, 37, c.dotsX, c.dotsY);
        if (c.format == FIF_GIF) {
            FIBITMAP* dib = FreeImage_Allocate(61, 37, 8);
            EXPECT_TRUE(FreeImage_Save(FIF_GIF, dib, path.c_str(), 0));
            FreeImage_Unload(dib);
        }
        const QString qpath = QString::fromStdString(path);
        const ImageListItem header = ReadImageFacts(qpath);
        const ImageListItem decoded = ReadImageFactsByDecoding(qpath);
        EXPECT_EQ(header.dimensionsText, "61 x 37");
        EXPECT_EQ(header.formatText, decoded.formatText);
        EXPECT_EQ(header.dimensionsText, decoded.dimensionsText);
        EXPECT_EQ(header.dpiText, decoded.dpiText);
        EXPECT_EQ(header.fileSizeText, decoded.fileSizeText);
    }
}

} // namespace
} // namespace tessoly
