#pragma once
// The text watermark: measuring the caption, its rotated placement box and drawing it with fill,
// outline, emboss and drop shadow from flattened glyph outlines.

#include <string>

#include "render/Bitmap32.h"
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

TextExtent MeasureText(TTrueTypeFont& font, const std::u16string& caption);
TextBoxGeometry TextBox(double W, double H, int textAngle);
//! Draws the caption with its pen origin at (X, Y): fill, then outline, then emboss and shadow.
//! Throws RenderError on outline data it cannot read.
void DrawTextWatermark(TBitmap32& dst, float X, float Y, const WatermarkSettings& settings, int alpha,
                       TTrueTypeFont& font);

} // namespace tessoly
