#include "imageio/OutputFormat.h"

#include <charconv>
#include <limits>

#include <FreeImage.h>

#include "imageio/SourceFormat.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

//! num / den rounded to the nearest whole number, halves to even; num >= 0, den > 0.
std::int64_t DivideRoundHalfEven(std::int64_t num, std::int64_t den) {
    std::int64_t q = num / den;
    const std::int64_t twiceRest = 2 * (num % den);
    if (twiceRest > den || (twiceRest == den && q % 2 != 0))
        ++q;
    return q;
}

} // namespace

std::string FormatNameForSource(int sourceFormat) {
    switch (sourceFormat) {
    case FIF_BMP:
        return "BMP";
    case FIF_JPEG:
        return "JPEG";
    case FIF_PNG:
        return "PNG";
    case FIF_TARGA:
        return "TGA";
    case FIF_TIFF:
        return "TIFF";
    case FIF_GIF:
        return "GIF";
    case FIF_JP2:
        return "JPEG-2000";
    case FIF_WEBP:
        return "WebP";
    case kFormatAvif:
        return "AVIF";
    default:
        return "";
    }
}

int JpegSaveFlags(const OutputSettings& settings) {
    int subsampling = JPEG_SUBSAMPLING_420;
    if (settings.jpegSubsampling == kSubsampling422) {
        subsampling = JPEG_SUBSAMPLING_422;
    } else if (settings.jpegSubsampling == kSubsampling444) {
        subsampling = JPEG_SUBSAMPLING_444;
    }
    return settings.jpegQuality | subsampling | JPEG_OPTIMIZE | (settings.jpegProgressive ? JPEG_PROGRESSIVE : 0);
}

OutputFormat SelectOutputFormat(const std::string& formatName, int jpegQuality) {
    OutputSettings settings;
    settings.jpegQuality = jpegQuality;
    return SelectOutputFormat(formatName, settings);
}

OutputFormat SelectOutputFormat(const std::string& formatName, const OutputSettings& settings) {
    const int jpegQuality = settings.jpegQuality;
    if (formatName == "BMP")
        return {FIF_BMP, 0, ".bmp", false};
    if (formatName == "GIF")
        return {FIF_GIF, 0, ".gif", true};
    if (formatName == "JPEG-2000")
        return {FIF_JP2, Jpeg2000Rate(jpegQuality), ".jp2", false};
    if (formatName == "PNG")
        return {FIF_PNG, 0, ".png", false};
    if (formatName == "TIFF")
        return {FIF_TIFF, 0, ".tif", false};
    if (formatName == "TGA")
        return {FIF_TARGA, 0, ".tga", false};
    if (formatName == "WebP")
        return {FIF_WEBP, settings.webpLossless ? WEBP_LOSSLESS : jpegQuality, ".webp", false};
    if (formatName == "AVIF")
        return {kFormatAvif, jpegQuality, ".avif", false};
    return {FIF_JPEG, JpegSaveFlags(settings), ".jpg", false};
}

std::string FormatNameForChoice(const std::string& formatChoice, int sourceFormat) {
    // The "Unchanged" test is made on the untrimmed text; only the other names are trimmed.
    if (formatChoice == "Unchanged")
        return FormatNameForSource(sourceFormat);
    return TrimBlanks(formatChoice);
}

int Jpeg2000Rate(int jpegQuality) {
    // (101 - q) / 20 * 5.12 is exactly (101 - q) * 32 / 125, which never lands on a half.
    const std::int64_t rate = DivideRoundHalfEven(std::int64_t(101 - jpegQuality) * 32, 125);
    return rate < 1 ? 1 : static_cast<int>(rate);
}

std::int64_t DotsPerMetreFromDpi(std::int64_t dpi) {
    // dpi * 1000 / 25.4 is exactly dpi * 10000 / 254.
    return DivideRoundHalfEven(dpi * 10000, 254);
}

int ParseWholeNumber(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    // from_chars would accept "-+1" after the skipped "+"; a second sign is never a number.
    const bool doubleSign = first != text.data() && first != last && *first == '-';
    if (text.empty() || error != std::errc() || end != last || doubleSign) {
        throw RenderError("'" + text + "' is not a valid integer value");
    }
    return value;
}

std::string TrimBlanks(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return text.substr(begin, end - begin);
}

} // namespace tessoly
