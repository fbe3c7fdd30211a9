#pragma once
// The work of one batch item, shared by the window's batch and tessoly-cli: decode the source,
// compose the watermark (never with guide lines), write the output, release the library image.
// Any failure on the way is that item's failure, never a success.

#include <functional>
#include <string>

#include "batch/ItemStatus.h"
#include "imageio/OutputSettings.h"
#include "imageio/WorkingImage.h"
#include "imageio/WrittenOutputs.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! The step at which an item stopped.
enum class PipelineStage { None, Decode, Render, Output };

struct PipelineResult {
    //! Successful, Unsuccessful or Skipped.
    ItemStatus status = ItemStatus::Successful;
    std::string sourcePath;
    //! The written file, the existing file of a skip, or empty when no target was chosen.
    std::string targetPath;
    //! Where a failure or skip happened; None for a success.
    PipelineStage failedStage = PipelineStage::None;
    //! The error's own text: the path for a file that cannot be decoded.
    std::string reason;
    //! A note on an item that was written, for its row's hint and the CLI: why an output choice
    //! asked for did not apply (written the ordinary way), or what part of the source was left out
    //! (only the first frame of an animation written); empty otherwise.
    std::string notice;
    //! The output stage stopped on an error in the settings (a resolution or size that is not a
    //! number) rather than on the write; the window shows it in its error box.
    bool settingsError = false;
    //! Time the item took, decoding to writing [seconds].
    double seconds = 0.0;
};

struct PipelineOptions {
    //! Decode into PreviewBitmap too and copy the composed picture into it, as the window's
    //! preview shows each image of a batch. Without a preview (tessoly-cli) PreviewBitmap is left
    //! alone and the decoded pixels are composed in place: SourceBitmap does not keep them.
    bool showInPreview = true;
    //! The run's written files: a target among them is skipped, and each file written joins
    //! them. Null: no such rule (a single image).
    WrittenOutputs* writtenThisRun = nullptr;
    //! Called once an item that was decoded is done (written, skipped, or failed while composing
    //! or writing), on the calling thread, before the library image is released: the picture in
    //! ComposedBitmap (the unmarked source after a failed compose) may be taken from image here.
    //! May be empty.
    std::function<void(WorkingImage& image, const PipelineResult& result)> onDone;
};

//! Processes one source file into its output. Uses the bitmaps of image, which keep their storage
//! for the next item of the same size; font is the caller's own font object. Never throws for a bad file, a
//! render error or a failed write. One call at a time per image and font.
PipelineResult ProcessImage(const std::string& sourcePath, const WatermarkSettings& watermark,
                            const OutputSettings& output, WorkingImage& image, TTrueTypeFont& font,
                            const PipelineOptions& options = {});

//! Is this result counted in the end-of-run error total (failed or skipped)?
inline bool CountsAsError(const PipelineResult& result) {
    return result.status != ItemStatus::Successful;
}

} // namespace tessoly
