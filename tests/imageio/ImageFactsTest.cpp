#include "imageio/ImageFacts.h"

#include <gtest/gtest.h>

#include <FreeImage.h>

#include "imageio/SourceFormat.h"

namespace tessoly {
namespace {

TEST(DpiFromDotsPerMetre, RoundsTheExtendedQuotientHalvesToEven) {
    const struct {
        std::uint32_t dotsPerMetre;
        int dpi;
    } cases[] = {
        {0, 0},     {19, 0},    {20, 1},
        {2835, 72}, {3780, 96}, {11811, 300},
        {2500, 63}, // 63.4999... in extended precision, not 63.5
        {3779, 96}, {39, 1},    {4294967295u, 109092169},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DpiFromDotsPerMetre(c.dotsPerMetre), c.dpi) << c.dotsPerMetre;
}

TEST(FormatFileSizeText, PlainBytesThenKilobytesThenMegabytesHalvesToEven) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0"},          {1023, "1023"},    {1024, "1 KB"},       {1536, "2 KB"},
        {2560, "2 KB"},    {3584, "4 KB"},    {1048575, "1024 KB"}, {1048576, "1 MB"},
        {1572864, "2 MB"}, {2621440, "2 MB"}, {2621441, "3 MB"},    {5368709120ull, "5120 MB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFileSizeText(c.bytes), c.text) << c.bytes;
}

TEST(FormatDisplayName, NamesTheSourceFormatsAndNothingElse) {
    const struct {
        int code;
        const char* name;
    } cases[] = {
        {FIF_BMP, "BMP"},      {FIF_JPEG, "JPEG"},       {FIF_PCX, "PCX"},     {FIF_PNG, "PNG"},
        {FIF_TARGA, "TARGA"},  {FIF_TIFF, "TIFF"},       {FIF_PSD, "PSD"},     {FIF_GIF, "GIF"},
        {FIF_JP2, "JPEG-2K"},  {FIF_UNKNOWN, "Unknown"}, {FIF_ICO, "Unknown"}, {FIF_J2K, "Unknown"},
        {FIF_WEBP, "WebP"},    {1000, "Unknown"},     {kFormatHeif, "HEIF"},  {kFormatAvif, "AVIF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDisplayName(c.code), c.name) << c.code;
    // The codes are the library's own numbers.
    EXPECT_EQ(FIF_BMP, 0);
    EXPECT_EQ(FIF_JPEG, 2);
    EXPECT_EQ(FIF_JP2, 31);
}

} // namespace
} // namespace tessoly
