#include "imageio/OutputFormat.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <FreeImage.h>

#include "render/RenderError.h"

namespace tessoly {
namespace {

TEST(OutputFormatTest, FormatTableIsExactAndCaseSensitiveWithJpegForAnythingElse) {
    struct Case {
        const char* name;
        int code;
        const char* extension;
        bool quantize;
    };
    const Case cases[] = {
        {"BMP", FIF_BMP, ".bmp", false},       {"GIF", FIF_GIF, ".gif", true},
        {"JPEG-2000", FIF_JP2, ".jp2", false}, {"PNG", FIF_PNG, ".png", false},
        {"TIFF", FIF_TIFF, ".tif", false},     {"TGA", FIF_TARGA, ".tga", false},
        {"JPEG", FIF_JPEG, ".jpg", false},     {"png", FIF_JPEG, ".jpg", false},
        {"", FIF_JPEG, ".jpg", false},         {"Bmp", FIF_JPEG, ".jpg", false},
        {"TARGA", FIF_JPEG, ".jpg", false},
    };
    for (const auto& c : cases) {
        const OutputFormat f = SelectOutputFormat(c.name, 80);
        EXPECT_EQ(f.code, c.code) << c.name;
        EXPECT_STREQ(f.extension, c.extension) << c.name;
        EXPECT_EQ(f.quantize, c.quantize) << c.name;
    }
    EXPECT_EQ(SelectOutputFormat("JPEG", 37).flags, 37);
    EXPECT_EQ(SelectOutputFormat("PNG", 37).flags, 0);
    EXPECT_EQ(SelectOutputFormat("JPEG-2000", 1).flags, 26);
}

TEST(OutputFormatTest, EveryListedFormatHasItsOwnRowAndExtension) {
    std::vector<std::string> extensions;
    for (const char* name : OutputFormatChoices) {
        if (std::string(name) == "Unchanged")
            continue;
        const OutputFormat f = SelectOutputFormat(name, 80);
        // Only JPEG itself may land on the JPEG row, which anything unknown falls back to.
        EXPECT_TRUE(std::string(name) == "JPEG" || f.code != FIF_JPEG) << name;
        extensions.push_back(f.extension);
    }
    std::sort(extensions.begin(), extensions.end());
    EXPECT_EQ(std::adjacent_find(extensions.begin(), extensions.end()), extensions.end());
    EXPECT_STREQ(OutputFormatChoices.front(), "Unchanged");
}

TEST(OutputFormatTest, UnchangedTakesTheNameFromTheSourceAndOtherChoicesAreTrimmed) {
    struct Case {
        int source;
        const char* name;
    };
    const Case cases[] = {
        {FIF_BMP, "BMP"},   {FIF_JPEG, "JPEG"}, {FIF_PNG, "PNG"},       {FIF_TARGA, "TGA"},
        {FIF_TIFF, "TIFF"}, {FIF_GIF, "GIF"},   {FIF_JP2, "JPEG-2000"}, {FIF_PCX, ""},
        {FIF_PSD, ""},      {FIF_UNKNOWN, ""},  {FIF_ICO, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNameForChoice("Unchanged", c.source), c.name) << c.source;
    EXPECT_EQ(FormatNameForChoice("  PNG\t", FIF_BMP), "PNG");
    // Only the "Unchanged" test is made on the untrimmed text: a padded one is a typed name.
    EXPECT_EQ(FormatNameForChoice(" Unchanged", FIF_PNG), "Unchanged");
    EXPECT_EQ(SelectOutputFormat(FormatNameForChoice(" Unchanged", FIF_PNG), 80).code, FIF_JPEG);
}

TEST(OutputFormatTest, Jpeg2000RateFromQuality) {
    const std::pair<int, int> cases[] = {{1, 26}, {20, 21}, {50, 13}, {75, 7}, {80, 5},
                                         {90, 3}, {95, 2},  {96, 1},  {99, 1}, {100, 1}};
    for (const auto& [quality, rate] : cases)
        EXPECT_EQ(Jpeg2000Rate(quality), rate) << quality;
}

TEST(OutputFormatTest, DotsPerMetreOfTheListedResolutions) {
    const std::pair<int, int> cases[] = {{72, 2835},   {96, 3780},   {144, 5669}, {200, 7874}, {300, 11811},
                                         {400, 15748}, {600, 23622}, {0, 0},      {1, 39}};
    for (const auto& [dpi, dpm] : cases)
        EXPECT_EQ(DotsPerMetreFromDpi(dpi), dpm) << dpi;
    // 127 dpi is exactly 5000 dots per metre; 0.5 steps land on even neighbours.
    EXPECT_EQ(DotsPerMetreFromDpi(127), 5000);
}

TEST(OutputFormatTest, WholeNumbersAreReadStrictly) {
    EXPECT_EQ(ParseWholeNumber("300"), 300);
    EXPECT_EQ(ParseWholeNumber("-5"), -5);
    EXPECT_EQ(ParseWholeNumber("+7"), 7);
    EXPECT_EQ(ParseWholeNumber("0"), 0);
    for (const char* bad : {"", "abc", "3OO", "300 ", " 300", "1.5", "+-1", "--1", "99999999999", "0x10"}) {
        EXPECT_THROW(ParseWholeNumber(bad), RenderError) << bad;
    }
    try {
        ParseWholeNumber("abc");
    } catch (const RenderError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
}

} // namespace
} // namespace tessoly
