#pragma once
// The output stage of one item, frames included: an animated GIF or a multi-page TIFF written as
// GIF or TIFF has the mark composed on every frame (timing, loop count and disposal kept); written
// to a one-picture format, its first frame is written and the outcome says so in its notice.
// A 16-bit-per-channel source written as PNG or TIFF in colour mode "RGB" stays 16-bit, the
// mark composed onto its deep pixels (ComposeDeepPicture). Everything else is SaveOutputImage. Shared by the window's batch and ProcessImage.

#include "imageio/OutputWriter.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! Writes the output of image, whose ComposedBitmap holds its first frame already marked. Never
//! throws for a bad frame or a failed write: those are an OutputFailed outcome.
//! writtenThisRun as for SaveOutputImage.
OutputOutcome SaveItemOutput(const WorkingImage& image, const WatermarkSettings& watermark,
                             const OutputSettings& output, TTrueTypeFont& font,
                             WrittenOutputs* writtenThisRun = nullptr);

} // namespace tessoly
