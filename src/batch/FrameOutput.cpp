#include "batch/FrameOutput.h"

#include <exception>
#include <utility>

#include <FreeImage.h>

#include "imageio/DeepCompose.h"
#include "imageio/ImageFacts.h"
#include "imageio/PixelTransfer.h"
#include "imageio/SourcePages.h"
#include "render/Composer.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

//! The pixels of a frame into out (resized to it). GIF frames come composed by the player with
//! their transparency, which is dropped as the first frame's decode drops it.
void TransferFrame(FIBITMAP* page, bool keepAlpha, TBitmap32& out) {
    FreeImagePtr converted;
    FIBITMAP* from = page;
    if (!TransfersDirectly(page)) {
        converted.reset(FreeImage_ConvertTo32Bits(page));
        from = converted.get();
    }
    if (!from || !TransfersDirectly(from))
        throw RenderError("A frame of the image has a pixel type that cannot be read");
    out.SetSizeForOverwrite(static_cast<int>(FreeImage_GetWidth(from)), static_cast<int>(FreeImage_GetHeight(from)));
    TransferLibraryPixels(from, out, keepAlpha);
}

//! A 16-bit source written deep: the mark composed over black and over white tells its coverage
//! apart from the picture (ComposeDeepPicture). Only 16-bit sources pay for the two compositions.
OutputOutcome SaveDeepOutput(const WorkingImage& image, const WatermarkSettings& watermark,
                             const OutputSettings& output, TTrueTypeFont& font, WrittenOutputs* written) {
    const int width = image.ComposedBitmap.Width(), height = image.ComposedBitmap.Height();
    TBitmap32 black, white, overBlack, overWhite;
    try {
        black.SetSize(width, height);
        white.SetSize(width, height);
        black.Clear(0xFF000000u);
        white.Clear(0xFFFFFFFFu);
        ComposeOptions compose;
        compose.batchRunning = true;
        ComposeWatermark(watermark, black, overBlack, font, compose);
        ComposeWatermark(watermark, white, overWhite, font, compose);
    } catch (const std::exception&) {
        return SaveOutputImage(image, output, written); // no room for the deep route: the 8-bit one
    }
    FreeImagePtr deep = ComposeDeepPicture(image.SourceImage, overBlack, overWhite);
    if (!deep)
        return SaveOutputImage(image, output, written);
    return SaveOutputDeep(image, output, std::move(deep), written);
}

} // namespace

OutputOutcome SaveItemOutput(const WorkingImage& image, const WatermarkSettings& watermark,
                             const OutputSettings& output, TTrueTypeFont& font, WrittenOutputs* written) {
    SourcePages pages(image.CurrentImagePath, image.SourceFormat);
    const int count = pages.Count();
    if (count <= 1 && OutputKeepsDepth(image, output))
        return SaveDeepOutput(image, watermark, output, font, written);
    if (count <= 1) {
        OutputOutcome outcome = SaveOutputImage(image, output, written);
        if (!outcome.OutputFailed && pages.LaterPagesRefused())
            outcome.notice = "Only the first frame was written: the others cannot be read";
        return outcome;
    }
    const OutputFormat format = OutputFormatFor(image, output);
    if (!FormatHoldsFrames(format)) {
        OutputOutcome outcome = SaveOutputImage(image, output, written);
        if (!outcome.OutputFailed) {
            outcome.notice = "Only the first of " + std::to_string(count) + " frames was written: " +
                             FormatDisplayName(format.code) + " holds one picture";
        }
        return outcome;
    }
    const bool keepAlpha = image.SourceFormat != FIF_GIF;
    TBitmap32 frameSource;
    TBitmap32 frameComposed;
    FreeImagePtr page;
    ComposeOptions compose;
    compose.batchRunning = true;
    const auto supply = [&](int index) -> OutputFrame {
        page = pages.LoadPage(index);
        if (!page) {
            throw RenderError("Frame " + std::to_string(index + 1) + " of " + image.CurrentImagePath +
                              " cannot be read");
        }
        TransferFrame(page.get(), keepAlpha, frameSource);
        ComposeWatermark(watermark, frameSource, frameComposed, font, compose);
        return {&frameComposed, page.get()};
    };
    const auto finish = [&](int index, FIBITMAP* converted) { pages.ApplyAnimation(index, converted); };
    return SaveOutputFrames(image, output, count, supply, finish, written);
}

} // namespace tessoly
