#include <gtest/gtest.h>

#include "render/Color32.h"
#include "render/WatermarkSettings.h"

namespace tessoly {
namespace {

TEST(OpacityToAlpha, MatchesTheExactTableForEveryPosition) {
    const int expected[51] = {0,   5,   10,  15,  20,  26,  31,  36,  41,  46,  51,  56,  61,
                              66,  71,  76,  82,  87,  92,  97,  102, 107, 112, 117, 122, 128,
                              133, 138, 143, 148, 153, 158, 163, 168, 173, 178, 184, 189, 194,
                              199, 204, 209, 214, 219, 224, 230, 235, 240, 245, 250, 255};
    for (int p = 0; p <= 50; ++p) EXPECT_EQ(OpacityToAlpha(p), expected[p]) << "position " << p;
}

TEST(SettingsTexts, PercentAngleAndFontHeight) {
    EXPECT_EQ(OpacityPercentText(30), "60 %");
    EXPECT_EQ(OpacityPercentText(0), "0 %");
    EXPECT_EQ(ImageAngleText(0), "-180\u00B0");
    EXPECT_EQ(ImageAngleText(2), "0\u00B0");
    EXPECT_EQ(ImageAngleText(3), "90\u00B0");
    EXPECT_EQ(FontPixelHeight(60, 96), 80);
    EXPECT_EQ(FontPixelHeight(9, 96), 12);
    EXPECT_EQ(FontPixelHeight(3, 96), 4);  // 3 * 96 / 72 = 4 exactly
    EXPECT_EQ(FontPixelHeight(15, 120), 25); // 25 exactly
    EXPECT_EQ(FontPixelHeight(5, 90), 6);  // 6.25
    EXPECT_EQ(FontPixelHeight(7, 108), 11); // 10.5 goes away from zero
}

TEST(Colours, SetAlphaClampsAndColorToColor32SwapsChannels) {
    EXPECT_EQ(SetAlpha(0x12345678u, 300), 0xFF345678u);
    EXPECT_EQ(SetAlpha(0x12345678u, -4), 0x00345678u);
    EXPECT_EQ(SetAlpha(0xFF000000u, 153), 0x99000000u);
    EXPECT_EQ(ColorToColor32(0x00332211), 0xFF112233u);
    EXPECT_EQ(ColorToColor32(0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(AlphaOf(ColorToColor32(static_cast<std::int32_t>(0x80000005u))), 0xFFu);
}

TEST(Defaults, WatermarkSettingsStartAsTheWindowDoes) {
    const WatermarkSettings s;
    EXPECT_EQ(s.mode, "text");
    EXPECT_EQ(s.caption, u"\u00A9 Tessoly");
    EXPECT_EQ(s.fontName, "Arial");
    EXPECT_EQ(s.fontSize, 60);
    EXPECT_TRUE(s.bold && s.outline && s.effect3D);
    EXPECT_FALSE(s.italic || s.transparentEdges || s.showGuideLines);
    EXPECT_EQ(s.opacityPosition, 30);
    EXPECT_EQ(s.position, WatermarkPosition::Center);
    EXPECT_EQ(s.hMargin, 30);
    EXPECT_EQ(s.vMargin, 30);
    EXPECT_EQ(s.imageScaleText, "100");
    EXPECT_EQ(s.imageRotationPosition, 2);
    EXPECT_EQ(s.guideColour, 0xAACCCCCCu);
    WatermarkPosition p{};
    EXPECT_TRUE(ParseWatermarkPosition("BottomRight", p));
    EXPECT_EQ(p, WatermarkPosition::BottomRight);
    EXPECT_STREQ(WatermarkPositionName(WatermarkPosition::TopCenter), "TopCenter");
    EXPECT_FALSE(ParseWatermarkPosition("bottomright", p));
}

} // namespace
} // namespace tessoly
