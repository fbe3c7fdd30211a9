// Relative sizes. The caption is fitted by measurement rather than by the face's nominal metrics:
// ink height scales with the em height for unhinted outlines, so one measurement at a reference
// em gives the em within a pixel, and a short walk of whole ems settles on the nearest height.

#include "render/RelativeSize.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/TextWatermark.h"

namespace tessoly {

namespace {

//! Em height [pixels] at which the caption is first measured: large enough that flattening and
//! rounding are well below a percent of the height.
constexpr int kReferenceEm = 256;

double MeasuredHeight(TTrueTypeFont& font, const std::u16string& caption, int em) {
    font.SetPixelHeight(em);
    return MeasureText(font, caption).H;
}

} // namespace

int PercentOfLength(int percent, int length) {
    // |percent * length| < 2^62, so the quotient in double is correctly rounded and a true half
    // (remainder 50) is exact: nearbyint then rounds it to even.
    const std::int64_t product = static_cast<std::int64_t>(percent) * length;
    return static_cast<int>(std::nearbyint(static_cast<double>(product) / 100.0));
}

WatermarkSettings ResolveMargins(const WatermarkSettings& settings, int width, int height) {
    WatermarkSettings resolved = settings;
    if (settings.hMarginUnit == SizeUnit::PercentOfImage)
        resolved.hMargin = PercentOfLength(settings.hMargin, width);
    if (settings.vMarginUnit == SizeUnit::PercentOfImage)
        resolved.vMargin = PercentOfLength(settings.vMargin, height);
    resolved.hMarginUnit = SizeUnit::Pixels;
    resolved.vMarginUnit = SizeUnit::Pixels;
    return resolved;
}

double CaptionInkHeightFor(int percent, int width, int height) {
    return std::max(0, percent) * static_cast<double>(std::min(width, height)) / 100.0;
}

void FitCaptionHeight(TTrueTypeFont& font, const std::u16string& caption, double inkHeight) {
    const double reference = MeasuredHeight(font, caption, kReferenceEm);
    if (!(reference > 0)) {
        // Nothing with height to measure (spaces): the em itself is the height.
        font.SetPixelHeight(static_cast<int>(std::nearbyint(std::max(1.0, inkHeight))));
        return;
    }
    const double guess = std::nearbyint(kReferenceEm * inkHeight / reference);
    int em = static_cast<int>(std::clamp(guess, 1.0, static_cast<double>(TTrueTypeFont::kMaxPixelHeight)));
    double error = std::abs(MeasuredHeight(font, caption, em) - inkHeight);
    // Flattening makes the height only nearly linear in the em: step while a neighbour is closer.
    for (const int step : {1, -1}) {
        for (int tries = 0; tries < 4; ++tries) {
            const int next = em + step;
            if (next < 1 || next > TTrueTypeFont::kMaxPixelHeight)
                break;
            const double nextError = std::abs(MeasuredHeight(font, caption, next) - inkHeight);
            if (nextError >= error)
                break;
            em = next;
            error = nextError;
        }
    }
    font.SetPixelHeight(em);
}

void PictureSizeFor(int percent, int imageWidth, int pictureWidth, int pictureHeight, int& width,
                    int& height) {
    width = std::max(0, PercentOfLength(percent, imageWidth));
    height = pictureWidth > 0
                 ? static_cast<int>(std::nearbyint(static_cast<double>(pictureHeight) * width / pictureWidth))
                 : 0;
    if (width == 0 || height == 0)
        width = height = 0;
}

} // namespace tessoly
