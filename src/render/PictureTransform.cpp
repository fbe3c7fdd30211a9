// The per-render steps that turn the decoded picture D into the final picture A: orientation O
// in quarter turns, the transparent key taken after orientation, and nearest-neighbour scaling.
//
// Invariants: D is never changed; O and A carry draw mode dmBlend and the watermark alpha as
// master alpha (except a 0-degree copy, which keeps D's). Scaling blends every sample onto
// transparent black with BlendPixel, so opaque pixels survive exactly, transparent ones stay
// transparent and soft edges darken: colour (c * a + 128) >> 8, alpha (a * a + 128) >> 8.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "render/ImageWatermark.h"
#include "render/RelativeSize.h"
#include "render/RenderError.h"

namespace tessoly {

void OrientPicture(const TBitmap32& decoded, int rotationPosition, int alpha, TBitmap32& oriented) {
    if (rotationPosition < 0 || rotationPosition > 4 || rotationPosition == 2) {
        oriented.Assign(decoded);
        return;
    }
    oriented.DrawMode = dmBlend;
    oriented.MasterAlpha = alpha;
    switch (rotationPosition) {
    case 0:
    case 4:
        Rotate180(decoded, oriented);
        break;
    case 1:
        Rotate270(decoded, oriented);
        break;
    case 3:
        Rotate90(decoded, oriented);
        break;
    default:
        break;
    }
}

void KeyTransparentEdges(TBitmap32& picture) {
    if (picture.Empty())
        return;
    const TColor32 key = picture.Pixel(0, 0);
    TColor32* p = picture.Bits();
    const std::size_t n =
        static_cast<std::size_t>(picture.Width()) * static_cast<std::size_t>(picture.Height());
    // Exact matches only, anywhere in the picture: interior pixels of the key colour go too.
    for (std::size_t i = 0; i < n; ++i) {
        if (p[i] == key)
            p[i] &= 0x00FFFFFFu;
    }
}

int ParseScalePercent(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes no '+'; a leading plus is still a plain decimal integer.
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value, 10);
    if (text.empty() || error != std::errc() || end != last) {
        throw RenderError("The picture scale \"" + text + "\" is not a whole number of percent.");
    }
    return value;
}

void ScalePicture(TBitmap32& oriented, int percent, int alpha, TBitmap32& final) {
    const float factor = static_cast<float>(static_cast<double>(percent) / 100.0);
    if (factor == 1.0f) {
        final.Assign(oriented);
        return;
    }
    // Sizes are rounded half to even (the default rounding mode); negative factors give 0.
    const double w = std::max(0.0, std::nearbyint(static_cast<double>(oriented.Width()) * factor));
    const double h = std::max(0.0, std::nearbyint(static_cast<double>(oriented.Height()) * factor));
    if (w > 0 && h > 0 && w * h > static_cast<double>(TBitmap32::kMaxPixels)) {
        throw RenderError("The picture is too large to draw at a scale of " + std::to_string(percent) +
                          " %.");
    }
    ScalePictureToSize(oriented, w > 0 && h > 0 ? static_cast<int>(w) : 0, w > 0 && h > 0 ? static_cast<int>(h) : 0,
                       alpha, final);
}

void ScalePictureToSize(TBitmap32& oriented, int width, int height, int alpha, TBitmap32& final) {
    if (width > 0 && height > 0 && static_cast<double>(width) * height > static_cast<double>(TBitmap32::kMaxPixels))
        throw RenderError("The picture is too large to draw at " + std::to_string(width) + " x " +
                          std::to_string(height) + " pixels.");
    final.SetSize(0, 0); // a new bitmap: every pixel starts transparent black
    final.SetSize(width > 0 && height > 0 ? width : 0, width > 0 && height > 0 ? height : 0);
    final.DrawMode = dmBlend;
    final.MasterAlpha = alpha;
    oriented.MasterAlpha = 255;
    DrawStretched(oriented, final, TRect{0, 0, final.Width(), final.Height()});
}

void PrepareWatermarkPicture(const TBitmap32& decoded, const WatermarkSettings& settings, int alpha,
                             TBitmap32& oriented, TBitmap32& final, int imageWidth) {
    OrientPicture(decoded, settings.imageRotationPosition, alpha, oriented);
    if (settings.transparentEdges)
        KeyTransparentEdges(oriented);
    const int percent = ParseScalePercent(settings.imageScaleText);
    if (settings.imageScaleUnit != SizeUnit::PercentOfImage) {
        ScalePicture(oriented, percent, alpha, final);
        return;
    }
    int width = 0;
    int height = 0;
    PictureSizeFor(percent, imageWidth, oriented.Width(), oriented.Height(), width, height);
    if (width == oriented.Width() && height == oriented.Height()) {
        final.Assign(oriented); // already at size: no resampling, soft edges kept
        return;
    }
    ScalePictureToSize(oriented, width, height, alpha, final);
}

} // namespace tessoly
