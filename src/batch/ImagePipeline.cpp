#include "batch/ImagePipeline.h"

#include <chrono>
#include <new>
#include <stdexcept>
#include <utility>

#include "batch/FrameOutput.h"
#include "batch/InPlaceMark.h"
#include "batch/OutputCompose.h"
#include "imageio/OutputCapabilities.h"
#include "imageio/OutputWriter.h"
#include "imageio/SourceDecoder.h"
#include "render/Composer.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

//! Releases the decoded library image when the item ends, on every path.
class SourceImageGuard {
public:
    explicit SourceImageGuard(WorkingImage& image) : image_(image) {}
    ~SourceImageGuard() { ReleaseSourceImage(image_); }
    SourceImageGuard(const SourceImageGuard&) = delete;
    SourceImageGuard& operator=(const SourceImageGuard&) = delete;

private:
    WorkingImage& image_;
};

//! Swaps the pixels of two bitmaps; each keeps its own draw mode, combine mode and master alpha.
void ExchangePixels(TBitmap32& a, TBitmap32& b) noexcept {
    std::swap(a, b);
    std::swap(a.DrawMode, b.DrawMode);
    std::swap(a.CombineMode, b.CombineMode);
    std::swap(a.MasterAlpha, b.MasterAlpha);
}

void Fail(PipelineResult& result, PipelineStage stage, const std::string& reason) {
    result.status = ItemStatus::Unsuccessful;
    result.failedStage = stage;
    result.reason = reason;
}

void TakeOutputOutcome(const OutputOutcome& outcome, PipelineResult& result) {
    result.targetPath = outcome.targetPath;
    if (!outcome.notice.empty())
        result.notice = result.notice.empty() ? outcome.notice : result.notice + "; " + outcome.notice;
    if (outcome.OutputSkipped) {
        result.status = ItemStatus::Skipped;
        result.failedStage = PipelineStage::Output;
        result.reason = outcome.reason;
    } else if (outcome.OutputFailed) {
        Fail(result, PipelineStage::Output, outcome.reason);
        result.settingsError = outcome.errorRaised;
    }
}

} // namespace

PipelineResult ProcessImage(const std::string& sourcePath, const WatermarkSettings& watermark,
                            const OutputSettings& output, WorkingImage& image, TTrueTypeFont& font,
                            const PipelineOptions& options) {
    const auto started = std::chrono::steady_clock::now();
    PipelineResult result;
    result.sourcePath = sourcePath;
    image.CurrentImagePath = sourcePath;
    SourceImageGuard release(image);
    PipelineStage stage = PipelineStage::Decode;
    bool decoded = false;
    try {
        if (output.losslessJpeg) {
            stage = PipelineStage::Render;
            const InPlaceOutcome inPlace = MarkInPlace(sourcePath, watermark, output, font, options.writtenThisRun);
            if (inPlace.handled) {
                TakeOutputOutcome(inPlace.output, result);
                result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
                return result;
            }
            result.notice = inPlace.notApplied;
            stage = PipelineStage::Decode;
        }
        const DecodeTargets targets =
            options.showInPreview ? DecodeTargets::PreviewAndSource : DecodeTargets::SourceOnly;
        // A palette's transparency is decoded only for an output that keeps it: every other
        // output gets the opaque pixels it always had.
        const auto keepPaletteAlpha = [&output](int sourceFormat) { return OutputHoldsAlpha(output, sourceFormat); };
        if (!DecodeSourceImage(image, sourcePath, targets, output.applyExifOrientation, keepPaletteAlpha))
            throw RenderError(sourcePath);
        if (image.SourceBitmap.Empty())
            throw RenderError(sourcePath);
        decoded = true;

        stage = PipelineStage::Render;
        ComposeOptions compose;
        compose.batchRunning = true;
        OutputSettings written;
        if (options.showInPreview) {
            written = ComposeForOutput(watermark, output, image.SourceBitmap, image.ComposedBitmap, font, compose);
            image.PreviewBitmap.Assign(image.ComposedBitmap);
        } else {
            // Nothing reads the decoded pixels again, so they become the composed picture
            // themselves instead of being copied; the composed bitmap's old storage is the next
            // item's decoding target.
            ExchangePixels(image.SourceBitmap, image.ComposedBitmap);
            written =
                ComposeForOutput(watermark, output, image.ComposedBitmap, image.ComposedBitmap, font, compose);
        }

        stage = PipelineStage::Output;
        TakeOutputOutcome(SaveItemOutput(image, watermark, written, font, options.writtenThisRun), result);
    } catch (const std::bad_alloc&) {
        Fail(result, stage, "Not enough memory to process " + sourcePath);
    } catch (const std::exception& error) {
        // RenderError carries the user's text; a size refused by the bitmaps is a failure too.
        Fail(result, stage, error.what());
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (decoded && options.onDone)
        options.onDone(image, result);
    return result;
}

} // namespace tessoly
