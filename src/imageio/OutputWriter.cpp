#include "imageio/OutputWriter.h"

#include <cstdint>
#include <new>
#include <vector>

#include "imageio/DeepCompose.h"
#include "imageio/EncodedFinish.h"
#include "imageio/HeifCodec.h"
#include "imageio/MemoryOutputStream.h"
#include "imageio/OutputConversion.h"
#include "imageio/OutputPages.h"
#include "imageio/SafeFileWrite.h"
#include "imageio/SourceFormat.h"
#include "imageio/WebpEncode.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

void EncodeAndWrite(FIBITMAP* image, const OutputFormat& format, const std::string& targetPath,
                    const ConvertedOutput& converted) {
    if (format.code == kFormatAvif || format.code == FIF_WEBP) {
        // These encoders carry the profile, Exif and XMP themselves.
        std::vector<std::uint8_t> bytes;
        std::string error;
        const bool encoded =
            format.code == kFormatAvif
                ? EncodeAvif(image, format.flags, bytes, error)
                : EncodeWebp(image, format.flags & 0x7F, (format.flags & WEBP_LOSSLESS) != 0, bytes, error);
        if (!encoded)
            throw RenderError("The image could not be encoded for " + targetPath + " (" + error + ")");
        WriteFileSafely(targetPath, bytes.data(), bytes.size());
        return;
    }
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

//! Runs one output route, whose errors become a failed outcome with the user's reason, and
//! records the target as written by this run when the route wrote it.
template <typename Route> OutputOutcome RunOutputRoute(WrittenOutputs* writtenThisRun, Route route) {
    OutputOutcome outcome;
    try {
        if (route(outcome) && writtenThisRun != nullptr)
            writtenThisRun->Record(outcome.targetPath);
    } catch (const RenderError& error) {
        outcome.OutputFailed = true;
        outcome.reason = error.what();
    } catch (const std::bad_alloc&) {
        outcome.OutputFailed = true;
        outcome.reason = "Not enough memory to write the output image";
    }
    return outcome;
}

} // namespace

bool SkipsTarget(const PolicyDecision& decision, const WrittenOutputs* writtenThisRun,
                 OutputOutcome& outcome) {
    outcome.targetPath = decision.targetPath;
    // Checked before the policy's own skip, so that a file this run wrote is named as such.
    const bool ownOutput = writtenThisRun != nullptr && writtenThisRun->Contains(decision.targetPath);
    if (!ownOutput && !decision.skip)
        return false;
    outcome.OutputSkipped = true;
    outcome.OutputFailed = true;
    outcome.reason =
        ownOutput ? AlreadyWrittenReason(decision.targetPath) : decision.targetPath + " already exists";
    return true;
}

OutputFormat OutputFormatFor(const WorkingImage& image, const OutputSettings& settings) {
    return SelectOutputFormat(FormatNameForChoice(settings.formatChoice, image.SourceFormat), settings);
}

bool FormatHoldsFrames(const OutputFormat& format) {
    return format.code == FIF_GIF || format.code == FIF_TIFF;
}

OutputOutcome SaveOutputFrames(const WorkingImage& image, const OutputSettings& settings, int frameCount,
                               const OutputFrameSupplier& frame, const OutputFrameFinisher& finish,
                               WrittenOutputs* writtenThisRun) {
    return RunOutputRoute(writtenThisRun, [&](OutputOutcome& outcome) {
        const OutputFormat format = OutputFormatFor(image, settings);
        const std::string base = OutputBasePath(image.CurrentImagePath, settings.outputFolder);
        const PolicyDecision decision =
            ApplyExistingFilePolicy(base, format.extension, settings.existingFilePolicy);
        if (SkipsTarget(decision, writtenThisRun, outcome))
            return false;
        OutputPagesFile pages(format.code);
        for (int i = 0; i < frameCount; ++i) {
            const OutputFrame next = frame(i);
            ConvertedOutput converted =
                ConvertForOutput(*next.composed, next.metadata, image.SourceFormat, settings);
            if (!converted.image)
                throw RenderError(converted.lostReason);
            finish(i, converted.image.get());
            pages.Append(converted.image.get());
        }
        pages.WriteTo(decision.targetPath, format.flags);
        return true;
    });
}

namespace {

//! The output stage around one conversion: policy, then encoding and the safe write.
template <typename Convert>
OutputOutcome SaveConverted(const WorkingImage& image, const OutputSettings& settings,
                            WrittenOutputs* writtenThisRun, Convert convert) {
    return RunOutputRoute(writtenThisRun, [&](OutputOutcome& outcome) {
        SourceTraits traits;
        traits.hasTransparency = image.SourceHasTransparency;
        traits.orientationApplied = image.OrientationApplied;
        ConvertedOutput converted;
        try {
            converted = convert(traits);
        } catch (const RenderError&) {
            outcome.errorRaised = true;
            throw;
        }
        const std::string base = OutputBasePath(image.CurrentImagePath, settings.outputFolder);
        const PolicyDecision decision =
            ApplyExistingFilePolicy(base, converted.format.extension, settings.existingFilePolicy);
        if (SkipsTarget(decision, writtenThisRun, outcome))
            return false;
        if (!converted.image)
            throw RenderError(converted.lostReason);
        EncodeAndWrite(converted.image.get(), converted.format, decision.targetPath, converted);
        return true;
    });
}

} // namespace

OutputOutcome SaveOutputImage(const WorkingImage& image, const OutputSettings& settings,
                              WrittenOutputs* writtenThisRun) {
    return SaveConverted(image, settings, writtenThisRun, [&](const SourceTraits& traits) {
        return ConvertForOutput(image.ComposedBitmap, image.SourceImage, image.SourceFormat, settings, 24,
                                traits);
    });
}

OutputOutcome SaveOutputDeep(const WorkingImage& image, const OutputSettings& settings, FreeImagePtr deep,
                             WrittenOutputs* writtenThisRun) {
    return SaveConverted(image, settings, writtenThisRun, [&](const SourceTraits& traits) {
        return ConvertDeepForOutput(std::move(deep), image.SourceImage, image.SourceFormat, settings, traits);
    });
}

bool OutputKeepsDepth(const WorkingImage& image, const OutputSettings& settings) {
    if (!IsDeepPicture(image.SourceImage) || settings.colourMode != "RGB")
        return false;
    const OutputFormat format = OutputFormatFor(image, settings);
    return format.code == FIF_PNG || format.code == FIF_TIFF;
}

} // namespace tessoly
