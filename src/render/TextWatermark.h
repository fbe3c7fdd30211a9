#pragma once
// The text watermark: measuring the caption, its rotated placement box and drawing it with fill,
// outline, emboss and drop shadow from flattened glyph outlines.

#include <string>
#include <vector>

#include "render/Bitmap32.h"
#include "render/FixedPoint.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! The unrotated extent of a caption [pixels]: ink top to the lower of baseline and descenders.
struct TextExtent {
    double W = 0;
    double H = 0;
};

//! The rotated placement box and the pen-origin corner P [pixels, relative to the unrotated box].
struct TextBoxGeometry {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    double Px = 0, Py = 0;
};

//! The caption's extent at angle 0 in the font's current face, size and style. It always holds the
//! pen origin; a caption of spaces has W > 0 and H = 0. Throws RenderError on unreadable outlines.
TextExtent MeasureText(TTrueTypeFont& font, const std::u16string& caption);
//! The extent's corners turned about its centre by textAngle [degrees, counter-clockwise on
//! screen]; P is where the corner (0, H), the pen origin, goes.
TextBoxGeometry TextBox(double W, double H, int textAngle);
//! Draws the caption with its pen origin at (X, Y): fill, then outline, then emboss and shadow,
//! in the font as it is (the caller applies the settings' face, size and style first). Uses the
//! font object, so only on the thread that owns it. Throws RenderError on unreadable outlines.
void DrawTextWatermark(TBitmap32& dst, float X, float Y, const WatermarkSettings& settings, int alpha,
                       TTrueTypeFont& font);

//! The caption's glyph contours placed with the pen origin at (X, Y), rounded to whole pixels:
//! the geometry DrawTextWatermark draws. Throws RenderError on unreadable outlines.
std::vector<TPolyPolygon> PlaceCaption(float X, float Y, const WatermarkSettings& settings, TTrueTypeFont& font);
//! Fill, outline, emboss and shadow of placed glyphs, as DrawTextWatermark draws them.
void DrawPlacedCaption(TBitmap32& dst, std::vector<TPolyPolygon> glyphs, const WatermarkSettings& settings,
                       int alpha);

} // namespace tessoly
