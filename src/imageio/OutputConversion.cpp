#include "imageio/OutputConversion.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "imageio/OutputCapabilities.h"
#include "imageio/OutputMetadata.h"
#include "render/RenderError.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TESSOLY_PACK_SSSE3 1
#endif

namespace tessoly {

namespace {

//! Largest output the resize step may ask for [pixels], the same cap as the working bitmaps.
constexpr double kMaxOutputPixels = static_cast<double>(TBitmap32::kMaxPixels);

//! Moves on to the image a step made, handing on metadata and resolution; a null result loses
//! the image with the given reason.
void Advance(ConvertedOutput& out, FIBITMAP* next, const std::string& reasonIfLost) {
    if (next == nullptr) {
        out.image.reset();
        out.intermediatePixels.reset();
        out.lostReason = reasonIfLost;
        return;
    }
    FreeImage_CloneMetadata(next, out.image.get());
    out.image.reset(next);
    // Every step makes an image of its own, so the intermediate pixels are no longer needed.
    out.intermediatePixels.reset();
}

void ApplyResolution(FIBITMAP* image, const std::string& resolutionChoice) {
    if (resolutionChoice == "Src")
        return;
    const int dpi = ParseWholeNumber(resolutionChoice);
    const std::int64_t dpm = dpi < 0 ? -1 : DotsPerMetreFromDpi(dpi);
    if (dpm < 0 || dpm > std::numeric_limits<unsigned>::max()) {
        throw RenderError("'" + resolutionChoice + "' is not a valid resolution");
    }
    FreeImage_SetDotsPerMeterX(image, static_cast<unsigned>(dpm));
    FreeImage_SetDotsPerMeterY(image, static_cast<unsigned>(dpm));
}

//! With "Src" and no metadata copied, the output still states a resolution: the source's, or
//! 72 DPI when it states none (a JPEG of 0 dots per inch is shown at a size no one chose).
void ApplySourceResolution(FIBITMAP* image, FIBITMAP* sourceImage) {
    constexpr unsigned kDefaultDotsPerMetre = 2835; // 72 DPI
    unsigned x = sourceImage ? FreeImage_GetDotsPerMeterX(sourceImage) : 0;
    unsigned y = sourceImage ? FreeImage_GetDotsPerMeterY(sourceImage) : 0;
    if (x == 0 || y == 0)
        x = y = kDefaultDotsPerMetre;
    FreeImage_SetDotsPerMeterX(image, x);
    FreeImage_SetDotsPerMeterY(image, y);
}

void ApplyColourMode(ConvertedOutput& out, const std::string& colourMode, bool keepAlpha) {
    const bool grey = colourMode == "Greyscale";
    if (!grey && colourMode != "Monochrome")
        return;
    // The grey conversions drop alpha; a transparent source's grey output gets it back.
    FreeImagePtr alpha(keepAlpha ? FreeImage_GetChannel(out.image.get(), FICC_ALPHA) : nullptr);
    if (keepAlpha && !alpha) {
        out.image.reset();
        out.lostReason = "Not enough memory for the transparency of the image";
        return;
    }
    if (grey) {
        Advance(out, FreeImage_ConvertToGreyscale(out.image.get()),
                "Not enough memory for the greyscale image");
    } else {
        Advance(out, FreeImage_Threshold(out.image.get(), 150), "Not enough memory for the monochrome image");
    }
    if (!out.image || !alpha)
        return;
    Advance(out, FreeImage_ConvertTo32Bits(out.image.get()), "Not enough memory for the 32-bit image");
    if (out.image && !FreeImage_SetChannel(out.image.get(), alpha.get(), FICC_ALPHA)) {
        out.image.reset();
        out.lostReason = "Not enough memory for the transparency of the image";
    }
}

void ApplyRotation(ConvertedOutput& out, const std::string& rotation) {
    double angle = 0.0;
    if (rotation == kRotation90CW) {
        angle = -90.0;
    } else if (rotation == kRotation90CCW) {
        angle = 90.0;
    } else if (rotation == kRotation180) {
        angle = 180.0;
    } else {
        return;
    }
    Advance(out, FreeImage_Rotate(out.image.get(), angle, nullptr),
            "Not enough memory for the rotated image");
}

//! A whole number of pixels from a real, halves to even, or -1 when it cannot be a side.
int RoundSide(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= 0.0) || rounded > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(rounded);
}

void Rescale(ConvertedOutput& out, int width, int height) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0 || static_cast<double>(width) * height > kMaxOutputPixels) {
        out.image.reset();
        out.lostReason = "The image cannot be resized to " + size + " pixels";
        return;
    }
    Advance(out, FreeImage_Rescale(out.image.get(), width, height, FILTER_BICUBIC),
            "Not enough memory to resize the image to " + size + " pixels");
}

void ApplyResize(ConvertedOutput& out, const OutputSettings& settings) {
    int width = 0;
    int height = 0;
    if (ResizedSize(static_cast<int>(FreeImage_GetWidth(out.image.get())),
                    static_cast<int>(FreeImage_GetHeight(out.image.get())), settings, width, height))
        Rescale(out, width, height);
}

//! Writes width pixels as blue, green, red bytes. One 4-byte store per pixel: its fourth byte is
//! overwritten by the next pixel; the last pixel goes byte by byte, since its fourth byte would
//! land outside the row.
void PackRowScalar(const TColor32* src, BYTE* dst, int from, int width) {
    dst += 3 * from;
    for (int x = from; x + 1 < width; ++x) {
        std::memcpy(dst, &src[x], 4);
        dst += 3;
    }
    const TColor32 last = src[width - 1];
    dst[FI_RGBA_BLUE] = static_cast<BYTE>(last);
    dst[FI_RGBA_GREEN] = static_cast<BYTE>(last >> 8);
    dst[FI_RGBA_RED] = static_cast<BYTE>(last >> 16);
}

#ifdef TESSOLY_PACK_SSSE3
//! The same packing, four pixels a step; identical bytes (tested against the scalar route).
__attribute__((target("ssse3"))) void PackRowSsse3(const TColor32* src, BYTE* dst, int width) {
    const __m128i dropAlpha = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int x = 0;
    // A 16-byte store at byte 3x stays inside the row's 3 * width bytes while x + 6 <= width.
    for (; x + 6 <= width; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * x), _mm_shuffle_epi8(pixels, dropAlpha));
    }
    PackRowScalar(src, dst, x, width);
}
#endif

void PackRow(const TColor32* src, BYTE* dst, int width) {
#ifdef TESSOLY_PACK_SSSE3
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        PackRowSsse3(src, dst, width);
        return;
    }
#endif
    PackRowScalar(src, dst, 0, width);
}

} // namespace

bool ResizedSize(int width, int height, const OutputSettings& settings, int& outWidth, int& outHeight) {
    if (!settings.resize)
        return false;
    if (!settings.proportional) {
        outWidth = ParseWholeNumber(settings.widthText);
        outHeight = ParseWholeNumber(settings.heightText);
        return true;
    }
    const bool widthZero = settings.widthText == "0";
    const bool heightZero = settings.heightText == "0";
    if (widthZero == heightZero)
        return false; // both or neither "0": the size stays
    const double ratio = static_cast<double>(width) / height;
    if (!widthZero) {
        outWidth = ParseWholeNumber(settings.widthText);
        outHeight = RoundSide(outWidth / ratio);
    } else {
        outHeight = ParseWholeNumber(settings.heightText);
        outWidth = RoundSide(outHeight * ratio);
    }
    return true;
}

bool ResizedSourceForOutput(const TBitmap32& source, const OutputSettings& settings, TBitmap32& resized) {
    if (!settings.resize || source.Empty())
        return false;
    // The resize step sees the image after the output rotation.
    const bool quarterTurn = settings.rotation == kRotation90CW || settings.rotation == kRotation90CCW;
    const int turnedWidth = quarterTurn ? source.Height() : source.Width();
    const int turnedHeight = quarterTurn ? source.Width() : source.Height();
    int width = 0;
    int height = 0;
    try {
        if (!ResizedSize(turnedWidth, turnedHeight, settings, width, height))
            return false;
    } catch (const RenderError&) {
        return false; // the output stage reports the bad text
    }
    if (quarterTurn)
        std::swap(width, height);
    if (width <= 0 || height <= 0 || static_cast<double>(width) * height > kMaxOutputPixels ||
        (width == source.Width() && height == source.Height()))
        return false;
    ConvertedOutput intermediate;
    MakeIntermediateImage(source, 32, intermediate);
    if (!intermediate.image)
        return false;
    FreeImagePtr scaled(FreeImage_Rescale(intermediate.image.get(), width, height, FILTER_BICUBIC));
    if (!scaled || FreeImage_GetBPP(scaled.get()) != 32)
        return false;
    resized.SetSizeForOverwrite(width, height);
    for (int y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(scaled.get(), height - 1 - y);
        std::memcpy(resized.ScanLine(y), row, static_cast<std::size_t>(width) * sizeof(TColor32));
    }
    return true;
}

void PackRowTo24Bits(const TColor32* src, unsigned char* dst, int width, bool allowVector) {
    if (width <= 0)
        return;
    if (allowVector) {
        PackRow(src, dst, width);
    } else {
        PackRowScalar(src, dst, 0, width);
    }
}

void MakeIntermediateImage(const TBitmap32& composed, int bitsPerPixel, ConvertedOutput& out) {
    const int width = composed.Width();
    const int height = composed.Height();
    if (width <= 0 || height <= 0)
        return;
    // The library's own allocation would zero every byte before the rows overwrite them; a block
    // of our own is written once. Rows keep the library's 4-byte alignment.
    const std::size_t pitch = (static_cast<std::size_t>(width) * (bitsPerPixel / 8) + 3) & ~std::size_t(3);
    out.intermediatePixels.reset(new (std::nothrow) unsigned char[pitch * static_cast<std::size_t>(height)]);
    if (!out.intermediatePixels)
        return;
    // The library's rows run bottom-up; the bitmap's top-down. Both keep blue, green, red in the
    // first three bytes of a pixel.
    static_assert(FI_RGBA_BLUE == 0 && FI_RGBA_GREEN == 1 && FI_RGBA_RED == 2,
                  "FreeImage pixel order must be BGR(A)");
    for (int y = 0; y < height; ++y) {
        const TColor32* src = composed.ScanLine(y);
        BYTE* dst = out.intermediatePixels.get() + pitch * static_cast<std::size_t>(height - 1 - y);
        if (bitsPerPixel == 32) {
            std::memcpy(dst, src, static_cast<std::size_t>(width) * 4);
        } else {
            PackRow(src, dst, width);
            std::memset(dst + 3 * static_cast<std::size_t>(width), 0,
                        pitch - 3 * static_cast<std::size_t>(width));
        }
    }
    out.image.reset(FreeImage_ConvertFromRawBitsEx(
        FALSE, out.intermediatePixels.get(), FIT_BITMAP, width, height, static_cast<int>(pitch),
        static_cast<unsigned>(bitsPerPixel), FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE));
    if (!out.image)
        return;
    // The library makes new images at 72 DPI; the intermediate image declares none.
    FreeImage_SetDotsPerMeterX(out.image.get(), 0);
    FreeImage_SetDotsPerMeterY(out.image.get(), 0);
}

ConvertedOutput ConvertForOutput(const TBitmap32& composed, FIBITMAP* sourceImage, int sourceFormat,
                                 const OutputSettings& settings, int intermediateBits,
                                 const SourceTraits& traits) {
    ConvertedOutput out;
    // The format is a pure function of the settings; choosing it first tells whether alpha stays.
    out.format =
        SelectOutputFormat(FormatNameForChoice(settings.formatChoice, sourceFormat), settings.jpegQuality);
    const bool keepAlpha = traits.hasTransparency && CapabilitiesOf(out.format.code).alpha;
    MakeIntermediateImage(composed, keepAlpha ? 32 : intermediateBits, out);
    if (!out.image) {
        out.lostReason = composed.Empty() ? "There is no composed image to write"
                                          : "Not enough memory for the output image";
    }
    if (out.image && settings.keepMetadata && sourceImage != nullptr) {
        // Copies every metadata model and, with them, the source's resolution.
        FreeImage_CloneMetadata(out.image.get(), sourceImage);
    }
    if (out.image && !settings.keepMetadata)
        ApplySourceResolution(out.image.get(), sourceImage);
    if (out.image)
        ApplyResolution(out.image.get(), settings.resolutionChoice);
    if (out.image)
        ApplyColourMode(out, settings.colourMode, keepAlpha);
    if (out.image)
        ApplyRotation(out, settings.rotation);
    if (out.image)
        ApplyResize(out, settings);
    const unsigned finalBits = keepAlpha ? 32 : 24;
    if (out.image && FreeImage_GetBPP(out.image.get()) != finalBits) {
        Advance(out,
                keepAlpha ? FreeImage_ConvertTo32Bits(out.image.get()) : FreeImage_ConvertTo24Bits(out.image.get()),
                "Not enough memory for the " + std::to_string(finalBits) + "-bit image");
    }
    if (out.image && out.format.quantize) {
        Advance(out, FreeImage_ColorQuantize(out.image.get(), FIQ_WUQUANT),
                "The image could not be reduced to 256 colours");
    }
    if (out.image)
        FitMetadataToFormat(out, sourceImage, settings, traits.orientationApplied);
    return out;
}

} // namespace tessoly
