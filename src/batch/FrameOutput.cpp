#include "batch/FrameOutput.h"

#include <FreeImage.h>

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

} // namespace

OutputOutcome SaveItemOutput(const WorkingImage& image, const WatermarkSettings& watermark,
                             const OutputSettings& output, TTrueTypeFont& font) {
    SourcePages pages(image.CurrentImagePath, image.SourceFormat);
    const int count = pages.Count();
    if (count <= 1)
        return SaveOutputImage(image, output);
    const OutputFormat format = OutputFormatFor(image, output);
    if (!FormatHoldsFrames(format)) {
        OutputOutcome outcome = SaveOutputImage(image, output);
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
    return SaveOutputFrames(image, output, count, supply, finish);
}

} // namespace tessoly
