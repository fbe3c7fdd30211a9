#include "imageio/OutputWriter.h"

#include <new>

#include "imageio/EncodedFinish.h"
#include "imageio/MemoryOutputStream.h"
#include "imageio/OutputConversion.h"
#include "imageio/SafeFileWrite.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

void EncodeAndWrite(FIBITMAP* image, const OutputFormat& format, const std::string& targetPath,
                    const ConvertedOutput& converted) {
    // FreeImage_Save reports success on a full disk for some formats and leaves a truncated file;
    // encoding to memory first lets every byte of the real write be checked.
    MemoryOutputStream memory;
    if (!FreeImage_SaveToHandle(static_cast<FREE_IMAGE_FORMAT>(format.code), image, memory.IO(),
                                memory.Handle(), format.flags)) {
        throw RenderError("The image could not be encoded for " + targetPath);
    }
    const EncodedFile file = FinishEncodedFile(converted, memory.Bytes().data(), memory.Bytes().size());
    WriteFileSafely(targetPath, file.data(), file.size());
}

} // namespace

OutputOutcome SaveOutputImage(const WorkingImage& image, const OutputSettings& settings,
                              WrittenOutputs* writtenThisRun) {
    OutputOutcome outcome;
    try {
        SourceTraits traits;
        traits.hasTransparency = image.SourceHasTransparency;
        traits.orientationApplied = image.OrientationApplied;
        ConvertedOutput converted;
        try {
            converted = ConvertForOutput(image.ComposedBitmap, image.SourceImage, image.SourceFormat, settings,
                                         24, traits);
        } catch (const RenderError&) {
            outcome.errorRaised = true;
            throw;
        }
        const std::string base = OutputBasePath(image.CurrentImagePath, settings.outputFolder);
        const PolicyDecision decision =
            ApplyExistingFilePolicy(base, converted.format.extension, settings.existingFilePolicy);
        outcome.targetPath = decision.targetPath;
        // Checked before the policy's own skip, so that a file this run wrote is named as such.
        if (writtenThisRun != nullptr && writtenThisRun->Contains(decision.targetPath)) {
            outcome.OutputSkipped = true;
            outcome.OutputFailed = true;
            outcome.reason = AlreadyWrittenReason(decision.targetPath);
            return outcome;
        }
        if (decision.skip) {
            outcome.OutputSkipped = true;
            outcome.OutputFailed = true;
            outcome.reason = decision.targetPath + " already exists";
            return outcome;
        }
        if (!converted.image)
            throw RenderError(converted.lostReason);
        EncodeAndWrite(converted.image.get(), converted.format, decision.targetPath, converted);
        if (writtenThisRun != nullptr)
            writtenThisRun->Record(decision.targetPath);
    } catch (const RenderError& error) {
        outcome.OutputFailed = true;
        outcome.reason = error.what();
    } catch (const std::bad_alloc&) {
        outcome.OutputFailed = true;
        outcome.reason = "Not enough memory to write the output image";
    }
    return outcome;
}

} // namespace tessoly
