#pragma once
// SaveOutputImage: the output stage of one image. Converts the composed picture as the output
// settings say, chooses the target by the naming rules and the existing-file policy, encodes in
// memory and replaces the target only when the whole file has reached the disk.

#include <functional>
#include <string>

#include "imageio/FreeImageHandle.h"
#include "imageio/OutputFormat.h"
#include "imageio/OutputSettings.h"
#include "imageio/WorkingImage.h"
#include "imageio/WrittenOutputs.h"
#include "render/Bitmap32.h"

namespace tessoly {

//! What became of one image's output.
struct OutputOutcome {
    //! The output was not written (a failure, or a skip).
    bool OutputFailed = false;
    //! Not written because the target exists and the policy is Skip, or because this run wrote
    //! the target already; OutputFailed is set too.
    bool OutputSkipped = false;
    //! The file written, the existing file that caused a skip, or empty when none was chosen.
    std::string targetPath;
    //! For a failure or a skip: why, in the user's words.
    std::string reason;
    //! For a success that left something of the source out (the frames of an animation written
    //! to a one-picture format): what, in the user's words; empty otherwise.
    std::string notice;
    //! The stage stopped on an error in the settings (a resolution or size that is not a number)
    //! rather than on the write; the window shows such an error in its error box.
    bool errorRaised = false;
};

//! One frame of a multi-frame output: its composed picture and the library image whose metadata
//! (and resolution) it carries.
struct OutputFrame {
    const TBitmap32* composed = nullptr;
    FIBITMAP* metadata = nullptr;
};
//! Supplies frame index (0-based), in order; may throw RenderError.
using OutputFrameSupplier = std::function<OutputFrame(int index)>;
//! Sees the converted frame index before it is added (to set its animation tags).
using OutputFrameFinisher = std::function<void(int index, FIBITMAP* converted)>;

//! Whether the target the policy chose must not be written: a file this run wrote itself
//! (writtenThisRun may be null), or an existing file under Skip. Fills outcome's target, and for
//! a skip its flags and reason.
bool SkipsTarget(const PolicyDecision& decision, const WrittenOutputs* writtenThisRun, OutputOutcome& outcome);

//! Writes the output of image (its ComposedBitmap, with metadata from its SourceImage, the format
//! of SourceFormat for "Unchanged", named after CurrentImagePath). Never throws for bad settings
//! or a failed write: those are an OutputFailed outcome with its reason. Thread-safe for distinct
//! images. With writtenThisRun, a target that the run has written already is skipped, whatever
//! the policy, and a written target is recorded in it.
OutputOutcome SaveOutputImage(const WorkingImage& image, const OutputSettings& settings,
                              WrittenOutputs* writtenThisRun = nullptr);

//! SaveOutputImage for a 16-bit picture kept deep: deep (ComposeDeepPicture's result) is
//! written instead of the composed bitmap, through ConvertDeepForOutput.
OutputOutcome SaveOutputDeep(const WorkingImage& image, const OutputSettings& settings, FreeImagePtr deep,
                             WrittenOutputs* writtenThisRun = nullptr);
//! Does a 16-bit source stay 16-bit under these settings: colour mode "RGB", written as PNG or TIFF?
bool OutputKeepsDepth(const WorkingImage& image, const OutputSettings& settings);

//! The format row the settings choose for image (its SourceFormat for "Unchanged").
OutputFormat OutputFormatFor(const WorkingImage& image, const OutputSettings& settings);
//! Can the format hold several frames or pages (GIF, TIFF)?
bool FormatHoldsFrames(const OutputFormat& format);

//! Writes frameCount frames as one file of a format that holds frames, each converted as
//! SaveOutputImage converts its picture, with the name and policy SaveOutputImage would use for
//! image. The policy is applied before the first frame is asked for. Never throws.
OutputOutcome SaveOutputFrames(const WorkingImage& image, const OutputSettings& settings, int frameCount,
                               const OutputFrameSupplier& frame, const OutputFrameFinisher& finish,
                               WrittenOutputs* writtenThisRun = nullptr);

} // namespace tessoly
