#pragma once
// The renderer's top level: the source image plus the watermark, placed at one of nine anchors
// with the margins and clipped, into the composed bitmap. Runs on one thread at a time per font
// object; the source is only read.

#include "render/Bitmap32.h"
#include "render/Placement.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

struct ComposeOptions {
    //! A batch run: never draw guide lines.
    bool batchRunning = false;
    //! The preview's fit factor k, for the guide-line width (PreviewFitFactor).
    float previewFitFactor = 1.0f;
};

//! Writes source + watermark into composed (resized to the source; its draw mode and master alpha
//! are kept). Guide lines, when shown and not in a batch, go under the watermark. Throws
//! RenderError when the picture file cannot be opened, the scale text is not a number or the
//! outline data is unreadable; composed then holds at least the copy of the source. source and
//! composed may be one bitmap: the watermark is then drawn onto it in place.
void ComposeWatermark(const WatermarkSettings& settings, const TBitmap32& source, TBitmap32& composed,
                      TTrueTypeFont& font, const ComposeOptions& options);

} // namespace tessoly
