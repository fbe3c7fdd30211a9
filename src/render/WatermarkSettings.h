#pragma once
// WatermarkSettings: every value that decides what the watermark looks like, gathered from the
// window's controls (or the command line) for one render, with the small value mappings.

#include <string>

#include "render/Color32.h"

namespace tessoly {

//! The nine anchors, in the 3 x 3 reading order of the radio buttons.
enum class WatermarkPosition { TopLeft, TopCenter, TopRight, Left, Center, Right, BottomLeft, Bottom, BottomRight };

//! The watermark kind: "text", or anything else for the picture.
using WatermarkMode = std::string;
inline const char* const kModeText = "text";
inline const char* const kModeImage = "image";

//! What a size or margin is measured in: its own absolute unit (points for the text, percent of
//! the picture for the scale, pixels for the margins) or a percentage of the image it goes on.
enum class SizeUnit { Pixels, PercentOfImage };

struct WatermarkSettings {
    WatermarkMode mode = kModeText;
    //! UTF-16 caption; drawn one code unit at a time.
    std::u16string caption = u"\u00A9 Tessoly";
    std::string fontName = "Arial";
    //! Points; the em height in pixels is fontSize * screenDpi / 72, halves away from zero.
    int fontSize = 60;
    //! PercentOfImage: fontSize is the caption's ink height in percent of the image's shorter side.
    SizeUnit fontSizeUnit = SizeUnit::Pixels;
    bool bold = true;
    bool italic = false;
    TColor32 textColour = 0xFFFFFFFFu;
    bool outline = true;
    bool effect3D = true;
    //! Opacity track-bar position 0..50; alpha is OpacityToAlpha of it.
    int opacityPosition = 30;
    //! Degrees, -180..180; positive turns the text counter-clockwise on screen.
    int textAngle = 0;
    WatermarkPosition position = WatermarkPosition::Center;
    //! Pixels from the left or right edge; negative values push the watermark outside.
    int hMargin = 30;
    //! PercentOfImage: hMargin is in percent of the image's width.
    SizeUnit hMarginUnit = SizeUnit::Pixels;
    //! Pixels from the top or bottom edge.
    int vMargin = 30;
    //! PercentOfImage: vMargin is in percent of the image's height.
    SizeUnit vMarginUnit = SizeUnit::Pixels;
    //! UTF-8 path of the picture watermark; empty means none.
    std::string picturePath;
    bool transparentEdges = false;
    //! Scale percentage as typed; parsed as a decimal integer at render time.
    std::string imageScaleText = "100";
    //! PercentOfImage: the scale is the picture's width in percent of the image's width.
    SizeUnit imageScaleUnit = SizeUnit::Pixels;
    //! Quarter turns 0..4: angle = 90 * position - 180 degrees.
    int imageRotationPosition = 2;
    //! Repeat the mark in a grid over the whole image, centred on the placed mark.
    bool tile = false;
    //! Gap between repeated marks [percent of the mark's width and height], 0..1000.
    int tileSpacing = 50;
    bool showGuideLines = false;
    TColor32 guideColour = 0xAACCCCCCu;
    //! Logical resolution of the screen [dots per inch] used to turn points into pixels.
    int screenDpi = 96;
};

//! Alpha 0..255 of an opacity position 0..50: round-half-to-even of 51 * p / 10, exactly.
int OpacityToAlpha(int position);
//! "60 %" for position 30.
std::string OpacityPercentText(int position);
//! "-90°" for position 1.
std::string ImageAngleText(int position);
//! The font's pixel em height for a size in points at the given screen resolution.
int FontPixelHeight(int points, int screenDpi);

//! "pixels" or "percent": the spelling presets use.
const char* SizeUnitName(SizeUnit unit);
//! Parses SizeUnitName's spellings; false for anything else.
bool ParseSizeUnit(const std::string& name, SizeUnit& unit);
//! Does any size or margin depend on the image it is drawn on?
bool UsesRelativeSizes(const WatermarkSettings& settings);

const char* WatermarkPositionName(WatermarkPosition position);
//! Parses one of the nine names ("TopLeft" ... "BottomRight"); false for anything else.
bool ParseWatermarkPosition(const std::string& name, WatermarkPosition& position);

} // namespace tessoly
