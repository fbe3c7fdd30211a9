#pragma once
// SaveOutputImage: the output stage of one image. Converts the composed picture as the output
// settings say, chooses the target by the naming rules and the existing-file policy, encodes in
// memory and replaces the target only when the whole file has reached the disk.

#include <string>

#include "imageio/OutputSettings.h"
#include "imageio/WorkingImage.h"
#include "imageio/WrittenOutputs.h"

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
    //! The stage stopped on an error in the settings (a resolution or size that is not a number)
    //! rather than on the write; the window shows such an error in its error box.
    bool errorRaised = false;
};

//! Writes the output of image (its ComposedBitmap, with metadata from its SourceImage, the format
//! of SourceFormat for "Unchanged", named after CurrentImagePath). Never throws for bad settings
//! or a failed write: those are an OutputFailed outcome with its reason. Thread-safe for distinct
//! images. With writtenThisRun, a target that the run has written already is skipped, whatever
//! the policy, and a written target is recorded in it.
OutputOutcome SaveOutputImage(const WorkingImage& image, const OutputSettings& settings,
                              WrittenOutputs* writtenThisRun = nullptr);

} // namespace tessoly
