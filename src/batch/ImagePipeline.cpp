#include "batch/ImagePipeline.h"

#include <new>
#include <stdexcept>

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

void Fail(PipelineResult& result, PipelineStage stage, const std::string& reason) {
    result.status = ItemStatus::Unsuccessful;
    result.failedStage = stage;
    result.reason = reason;
}

} // namespace

PipelineResult ProcessImage(const std::string& sourcePath, const WatermarkSettings& watermark,
                            const OutputSettings& output, WorkingImage& image, TTrueTypeFont& font,
                            const PipelineOptions& options) {
    PipelineResult result;
    result.sourcePath = sourcePath;
    image.CurrentImagePath = sourcePath;
    SourceImageGuard release(image);
    PipelineStage stage = PipelineStage::Decode;
    try {
        if (!DecodeSourceImage(image, sourcePath))
            throw RenderError(sourcePath);
        if (image.SourceBitmap.Empty())
            throw RenderError(sourcePath);

        stage = PipelineStage::Render;
        ComposeOptions compose;
        compose.batchRunning = true;
        ComposeWatermark(watermark, image.SourceBitmap, image.ComposedBitmap, font, compose);
        if (options.showInPreview)
            image.PreviewBitmap.Assign(image.ComposedBitmap);

        stage = PipelineStage::Output;
        const OutputOutcome outcome = SaveOutputImage(image, output);
        result.targetPath = outcome.targetPath;
        if (outcome.OutputSkipped) {
            result.status = ItemStatus::Skipped;
            result.failedStage = PipelineStage::Output;
            result.reason = outcome.reason;
        } else if (outcome.OutputFailed) {
            Fail(result, PipelineStage::Output, outcome.reason);
        }
    } catch (const std::bad_alloc&) {
        Fail(result, stage, "Not enough memory to process " + sourcePath);
    } catch (const std::exception& error) {
        // RenderError carries the user's text; a size refused by the bitmaps is a failure too.
        Fail(result, stage, error.what());
    }
    return result;
}

} // namespace tessoly
