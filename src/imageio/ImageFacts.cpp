#include "imageio/ImageFacts.h"

#include <cmath>
#include <limits>

#include <FreeImage.h>

#include "imageio/SourceFormat.h"

namespace tessoly {

// The quotient of 2500 lies just below 63.5 only with a 64-bit mantissa; a plain double would
// round it up to 64.
static_assert(std::numeric_limits<long double>::digits >= 64, "needs extended precision long double");

std::string FormatDisplayName(int formatCode) {
    switch (formatCode) {
    case FIF_BMP:
        return "BMP";
    case FIF_JPEG:
        return "JPEG";
    case FIF_PCX:
        return "PCX";
    case FIF_PNG:
        return "PNG";
    case FIF_TARGA:
        return "TARGA";
    case FIF_TIFF:
        return "TIFF";
    case FIF_PSD:
        return "PSD";
    case FIF_GIF:
        return "GIF";
    case FIF_JP2:
        return "JPEG-2K";
    case FIF_WEBP:
        return "WebP";
    case kFormatHeif:
        return "HEIF";
    case kFormatAvif:
        return "AVIF";
    default:
        return "Unknown";
    }
}

int DpiFromDotsPerMetre(std::uint32_t dotsPerMetre) {
    constexpr long double kDotsPerMetrePerDpi = 39.370078740157480317L; // 1 / 0.0254
    // nearbyint rounds in the default mode: to nearest, halves to even.
    return static_cast<int>(std::nearbyint(static_cast<long double>(dotsPerMetre) / kDotsPerMetrePerDpi));
}

namespace {
//! n / unit rounded to the nearest whole number, halves to even, in integers.
std::uint64_t DivideRoundHalfEven(std::uint64_t n, std::uint64_t unit) {
    std::uint64_t q = n / unit;
    const std::uint64_t twiceRest = (n % unit) * 2;
    if (twiceRest > unit || (twiceRest == unit && q % 2 == 1))
        ++q;
    return q;
}
} // namespace

std::string FormatFileSizeText(std::uint64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes);
    if (bytes < 1048576)
        return std::to_string(DivideRoundHalfEven(bytes, 1024)) + " KB";
    return std::to_string(DivideRoundHalfEven(bytes, 1048576)) + " MB";
}

} // namespace tessoly
