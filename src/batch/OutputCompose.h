#pragma once
// Composing for the output: a mark whose sizes are relative to the image is measured on the image
// as it is written, so with the output resized the source is resized first and the mark composed
// on the result (before the output rotation). Marks in pixels are composed on the source as
// always and the output stage resizes after, exactly as before.

#include "imageio/OutputSettings.h"
#include "render/Composer.h"

namespace tessoly {

//! Composes source into composed (they may be one bitmap) and returns the output settings that
//! the output stage must use: the given ones, or when the source was resized here, the same with
//! the resize already done. Throws what ComposeWatermark throws.
OutputSettings ComposeForOutput(const WatermarkSettings& watermark, const OutputSettings& output,
                                const TBitmap32& source, TBitmap32& composed, TTrueTypeFont& font,
                                const ComposeOptions& options);

} // namespace tessoly
