// DecodeSourceImage: one source file into the working image. The format comes from the content
// alone (SourceFormat: FreeImage, or libheif for HEIF and AVIF); the header is checked (HeaderSanity) before FreeImage decodes; every bitmap that could
// fail to be had is had before the first pixel is written, and the pixels then reach 32-bit ARGB,
// top row first, in one pass (PixelTransfer). So a failure leaves the previous image whole.
// The window's preview gets the pixels first and SourceBitmap a copy of them; a batch without a
// preview fills SourceBitmap alone.
//
// What SourceBitmap becomes, by the library's pixel type:
//  - 32-bit FIT_BITMAP: copied unchanged, alpha included.
//  - 1/4/8/16/24-bit FIT_BITMAP: the colours (palettes expanded, 5-5-5 and 5-6-5 bit fields
//    decoded), alpha 255; a palette's transparent index is dropped unless the caller's rule keeps
//    it for the detected format.
//  - FIT_RGBA16 (16-bit-per-channel colour or grey with alpha): the high byte of each channel,
//    alpha kept, as a 32-bit source keeps it.
//  - FIT_RGB16 and FIT_UINT16 (16-bit-per-channel colour, 16-bit grey): the high byte of each
//    channel, alpha 255.
//  - FIT_RGBF / FIT_RGBAF (floating-point colour): tone-mapped (Drago) to 8 bits, alpha 255.
//  - other single-channel types (signed, 32-bit, floating point, complex): scaled linearly from
//    their minimum to their maximum onto 0..255 grey, alpha 255.

#include "imageio/SourceDecoder.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <utility>

#include <FreeImage.h>

#include "imageio/ExifOrientation.h"
#include "imageio/HeaderSanity.h"
#include "imageio/ImageFacts.h"
#include "imageio/PixelTransfer.h"
#include "imageio/PngSourceMetadata.h"
#include "imageio/SourceFormat.h"

namespace tessoly {
namespace {

//! Unloads a library image when it goes out of scope.
struct LibraryImage {
    FIBITMAP* dib = nullptr;
    explicit LibraryImage(FIBITMAP* d) : dib(d) {}
    ~LibraryImage() {
        if (dib)
            FreeImage_Unload(dib);
    }
    LibraryImage(const LibraryImage&) = delete;
    LibraryImage& operator=(const LibraryImage&) = delete;
    FIBITMAP* release() { return std::exchange(dib, nullptr); }
};

//! A new 32-bit FIT_BITMAP of any other image, or null when the library cannot convert it.
//! keepAlpha says whether its alpha channel carries the source's transparency.
FIBITMAP* ConvertToThirtyTwoBits(FIBITMAP* dib, bool& keepAlpha) {
    keepAlpha = false;
    switch (FreeImage_GetImageType(dib)) {
    case FIT_BITMAP:
    case FIT_RGB16:
        return FreeImage_ConvertTo32Bits(dib);
    case FIT_RGBA16:
        keepAlpha = true;
        return FreeImage_ConvertTo32Bits(dib);
    case FIT_UINT16: {
        LibraryImage grey(FreeImage_ConvertTo8Bits(dib));
        return grey.dib ? FreeImage_ConvertTo32Bits(grey.dib) : nullptr;
    }
    case FIT_RGBF:
    case FIT_RGBAF: {
        LibraryImage mapped(FreeImage_ToneMapping(dib, FITMO_DRAGO03, 0, 0));
        return mapped.dib ? FreeImage_ConvertTo32Bits(mapped.dib) : nullptr;
    }
    default: {
        LibraryImage grey(FreeImage_ConvertToStandardType(dib, TRUE));
        return grey.dib ? FreeImage_ConvertTo32Bits(grey.dib) : nullptr;
    }
    }
}

//! The image whose rows are copied: the decoded one for the depths read directly, otherwise a
//! 32-bit conversion that the holder unloads. Empty when the library cannot convert the image.
struct TransferSource {
    LibraryImage converted{nullptr};
    FIBITMAP* dib = nullptr;
    bool keepAlpha = true;
};

void PrepareTransfer(FIBITMAP* decoded, TransferSource& out) {
    if (TransfersDirectly(decoded)) {
        out.dib = decoded;
        return;
    }
    out.converted.dib = ConvertToThirtyTwoBits(decoded, out.keepAlpha);
    FIBITMAP* c = out.converted.dib;
    if (c && FreeImage_GetBPP(c) == 32 && FreeImage_GetImageType(c) == FIT_BITMAP &&
        FreeImage_GetWidth(c) == FreeImage_GetWidth(decoded) &&
        FreeImage_GetHeight(c) == FreeImage_GetHeight(decoded)) {
        out.dib = c;
    }
}

//! Gives target the pixels of source without a copy, keeping target's draw settings.
void TakePixels(TBitmap32& target, TBitmap32&& source) noexcept {
    const TDrawMode drawMode = target.DrawMode;
    const TCombineMode combineMode = target.CombineMode;
    const int masterAlpha = target.MasterAlpha;
    target = std::move(source);
    target.DrawMode = drawMode;
    target.CombineMode = combineMode;
    target.MasterAlpha = masterAlpha;
}

} // namespace

bool DecodeSourceImage(WorkingImage& image, const std::string& path, DecodeTargets targets,
                       bool applyExifOrientation, const PaletteAlphaRule& keepPaletteAlpha) {
    // A library image left open by a caller that never released it would leak otherwise.
    ReleaseSourceImage(image);
    // Detection opens and reads the path: a named pipe or a device would block it or never end.
    std::error_code statError;
    if (!std::filesystem::is_regular_file(path, statError)) {
        image.SourceFormat = FIF_UNKNOWN;
        return false;
    }
    const int format = DetectSourceFormat(path);
    image.SourceFormat = format;
    if (format == FIF_UNKNOWN || !SourceHeaderIsPlausible(path, format))
        return false;

    SourceLoadInfo loadInfo;
    LibraryImage decoded(LoadSourceBitmap(format, path, loadInfo));
    if (!decoded.dib || !FreeImage_HasPixels(decoded.dib))
        return false;
    const unsigned width = FreeImage_GetWidth(decoded.dib), height = FreeImage_GetHeight(decoded.dib);
    if (!PlausiblePictureSize(width, height))
        return false;
    if (format == FIF_PNG)
        AttachPngSourceMetadata(decoded.dib, path);

    TransferSource from;
    PrepareTransfer(decoded.dib, from);
    if (!from.dib)
        return false;
    const bool paletteAlpha = FreeImage_IsTransparent(from.dib) && FreeImage_GetBPP(from.dib) <= 8 &&
                              keepPaletteAlpha && keepPaletteAlpha(format);
    const bool mayBeTranslucent = paletteAlpha || (from.keepAlpha && FreeImage_GetBPP(from.dib) == 32);
    // The pixels are turned upright on their way into the bitmaps, so everything after the decode
    // (facts, preview, placement, output) sees the picture as viewers show it.
    // HEIF pictures come upright from their own transforms; their Exif tag is never applied again.
    const int storedOrientation =
        loadInfo.orientationApplied ? loadInfo.storedOrientation : ExifOrientation(decoded.dib);
    const int orientation = applyExifOrientation && !loadInfo.orientationApplied ? storedOrientation : 1;
    unsigned uprightWidth = width, uprightHeight = height;
    UprightSize(orientation, uprightWidth, uprightHeight);

    try {
        // Bitmaps of the right size are written in place (a batch of same-sized photos allocates
        // nothing); others get fresh storage. Everything that can fail happens before the first
        // pixel of the working image is written.
        UprightTransfer upright;
        if (orientation != 1 && !upright.Prepare(from.dib, orientation))
            return false;
        const auto transfer = [&](TBitmap32& target) {
            if (orientation == 1)
                TransferLibraryPixels(from.dib, target, from.keepAlpha, paletteAlpha);
            else
                upright.Run(target, from.keepAlpha, paletteAlpha);
        };
        const int w = static_cast<int>(uprightWidth), h = static_cast<int>(uprightHeight);
        const bool withPreview = targets == DecodeTargets::PreviewAndSource;
        const bool reusePreview = image.PreviewBitmap.Width() == w && image.PreviewBitmap.Height() == h;
        const bool reuseSource = image.SourceBitmap.Width() == w && image.SourceBitmap.Height() == h;
        TBitmap32 freshPreview, freshSource;
        if (withPreview && !reusePreview)
            freshPreview.SetSizeForOverwrite(w, h);
        if (!reuseSource)
            freshSource.SetSizeForOverwrite(w, h);
        std::string currentPath = path;

        // Nothing below throws: the working image changes all at once or not at all.
        TBitmap32& source = reuseSource ? image.SourceBitmap : freshSource;
        if (withPreview) {
            // The preview's pixels first, then the renderer's full-size copy of them.
            TBitmap32& preview = reusePreview ? image.PreviewBitmap : freshPreview;
            transfer(preview);
            std::copy(preview.Bits(), preview.Bits() + std::size_t(width) * height, source.Bits());
            if (!reusePreview)
                TakePixels(image.PreviewBitmap, std::move(freshPreview));
        } else {
            transfer(source);
        }
        image.SourceHasTransparency = mayBeTranslucent && AnyTranslucent(source);
        if (!reuseSource)
            TakePixels(image.SourceBitmap, std::move(freshSource));
        image.CurrentImagePath = std::move(currentPath);
        image.SourceBitsPerPixel = static_cast<int>(FreeImage_GetBPP(decoded.dib));
        image.SourceOrientation = storedOrientation;
        image.OrientationApplied = loadInfo.orientationApplied || orientation != 1;
        image.SourceImage = decoded.release();
        return true;
    } catch (const std::exception&) {
        // Out of memory for the bitmaps: a failure like any other, the previous image kept.
        return false;
    }
}

void ReleaseSourceImage(WorkingImage& image) {
    if (image.SourceImage)
        FreeImage_Unload(image.SourceImage);
    image.SourceImage = nullptr;
}

std::string PropertiesText(const WorkingImage& image) {
    return PropertiesText(image, image.PreviewBitmap);
}

std::string PropertiesText(const WorkingImage& image, const TBitmap32& picture) {
    int dpi = image.SourceImage ? DpiFromDotsPerMetre(FreeImage_GetDotsPerMeterX(image.SourceImage)) : 0;
    if (dpi == 0)
        dpi = 72;
    return " " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height()) + "  |  " +
           std::to_string(image.SourceBitsPerPixel) + " BPP  |  " + std::to_string(dpi) + " DPI  |  " +
           FormatDisplayName(image.SourceFormat);
}

} // namespace tessoly
