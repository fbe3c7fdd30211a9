#include "batch/OutputCompose.h"

#include <utility>

#include "imageio/OutputConversion.h"

namespace tessoly {

OutputSettings ComposeForOutput(const WatermarkSettings& watermark, const OutputSettings& output,
                                const TBitmap32& source, TBitmap32& composed, TTrueTypeFont& font,
                                const ComposeOptions& options) {
    TBitmap32 resized;
    if (!UsesRelativeSizes(watermark) || !ResizedSourceForOutput(source, output, resized)) {
        ComposeWatermark(watermark, source, composed, font, options);
        return output;
    }
    ComposeWatermark(watermark, resized, resized, font, options);
    // composed takes the resized pixels and keeps its own draw mode and master alpha.
    std::swap(static_cast<TBitmap32&>(composed), resized);
    std::swap(composed.DrawMode, resized.DrawMode);
    std::swap(composed.CombineMode, resized.CombineMode);
    std::swap(composed.MasterAlpha, resized.MasterAlpha);
    OutputSettings done = output;
    done.resize = false;
    return done;
}

} // namespace tessoly
