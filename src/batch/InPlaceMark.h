#pragma once
// The composer's placement and drawing handed to the in-place JPEG route, so that the band of a
// JPEG marked in place gets exactly the pixels the whole composed image would.

#include <string>

#include "imageio/JpegCoefficientMark.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! MarkJpegInPlace with the watermark of settings, drawn with font (the caller's, one thread).
InPlaceOutcome MarkInPlace(const std::string& sourcePath, const WatermarkSettings& watermark,
                           const OutputSettings& output, TTrueTypeFont& font,
                           WrittenOutputs* writtenThisRun = nullptr);

} // namespace tessoly
