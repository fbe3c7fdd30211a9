#pragma once
// The renderer's top level: the source image plus the watermark, placed at one of nine anchors
// with the margins and clipped, into the composed bitmap.

#include "render/Bitmap32.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

struct ComposeOptions {
    //! A batch run: never draw guide lines.
    bool batchRunning = false;
    //! The preview's fit factor k, for the guide-line width.
    float previewFitFactor = 1.0f;
};

//! Writes source + watermark into composed (resized to the source). Throws RenderError when the
//! picture file cannot be opened or the outline data is unreadable; composed then holds at
//! least the copy of the source.
void ComposeWatermark(const WatermarkSettings& settings, const TBitmap32& source, TBitmap32& composed,
                      TTrueTypeFont& font, const ComposeOptions& options);

//! Pixel offset (e, f) of the text box for the checked position.
struct TextOffset {
    int e = 0;
    int f = 0;
};
//! Top-left corner (X, Y) of the picture.
struct PicturePosition {
    int X = 0;
    int Y = 0;
};

} // namespace tessoly
