#include "imageio/OutputMetadata.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "imageio/ByteReader.h"
#include "imageio/ExifRewrite.h"
#include "imageio/OutputCapabilities.h"

namespace tessoly {

namespace {

constexpr const char* kExifRawKey = "ExifRaw";

void DropExif(FIBITMAP* image) {
    for (FREE_IMAGE_MDMODEL model : {FIMD_EXIF_MAIN, FIMD_EXIF_EXIF, FIMD_EXIF_GPS, FIMD_EXIF_MAKERNOTE,
                                     FIMD_EXIF_INTEROP, FIMD_EXIF_RAW}) {
        FreeImage_SetMetadata(model, image, nullptr, nullptr);
    }
}

//! The library's JPEG writer stores the raw Exif block as it is; everything else reads
//! out.exifBlock.
void FitExif(ConvertedOutput& out, bool formatKeepsExif, bool orientationApplied) {
    FIBITMAP* image = out.image.get();
    FITAG* raw = nullptr;
    if (!FreeImage_GetMetadata(FIMD_EXIF_RAW, image, kExifRawKey, &raw) || raw == nullptr)
        return;
    if (!formatKeepsExif) {
        DropExif(image);
        return;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(FreeImage_GetTagValue(raw));
    std::vector<std::uint8_t> block(bytes, bytes + FreeImage_GetTagLength(raw));
    const ExifUpdate update{FreeImage_GetWidth(image), FreeImage_GetHeight(image), orientationApplied};
    if (!RewriteExifBlock(block, update)) {
        // Written unchanged it would be broken, or show the old thumbnail: better none at all.
        DropExif(image);
        return;
    }
    FITAG* rewritten = FreeImage_CloneTag(raw);
    if (rewritten == nullptr) {
        DropExif(image);
        return;
    }
    FreeImage_SetTagValue(rewritten, block.data());
    FreeImage_SetMetadata(FIMD_EXIF_RAW, image, kExifRawKey, rewritten);
    FreeImage_DeleteTag(rewritten);
    const std::size_t start = block.size() >= 6 && std::memcmp(block.data(), "Exif\0\0", 6) == 0 ? 6 : 0;
    out.exifBlock.assign(block.begin() + static_cast<std::ptrdiff_t>(start), block.end());
}

//! The library's IPTC writer stores a ";"-joined list (keywords, supplemental categories) as
//! records in reverse order; the list is reversed here so that the file keeps the source's order.
void KeepIptcListOrder(FIBITMAP* image) {
    for (const char* key : {"Keywords", "Supplemental Categories"}) {
        FITAG* tag = nullptr;
        if (!FreeImage_GetMetadata(FIMD_IPTC, image, key, &tag) || tag == nullptr ||
            FreeImage_GetTagType(tag) != FIDT_ASCII) {
            continue;
        }
        const char* value = static_cast<const char*>(FreeImage_GetTagValue(tag));
        const std::size_t length = FreeImage_GetTagLength(tag);
        const std::string list(value, strnlen(value, length));
        if (list.find(';') == std::string::npos)
            continue;
        std::vector<std::string> items;
        for (std::size_t from = 0;;) {
            const std::size_t semicolon = list.find(';', from);
            items.push_back(list.substr(from, semicolon - from));
            if (semicolon == std::string::npos)
                break;
            from = semicolon + 1;
        }
        std::reverse(items.begin(), items.end());
        // The same items and separators: the value keeps its length, terminator included.
        std::vector<char> reversed(value, value + length);
        std::size_t at = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i > 0)
                reversed[at++] = ';';
            std::memcpy(reversed.data() + at, items[i].data(), items[i].size());
            at += items[i].size();
        }
        FITAG* copy = FreeImage_CloneTag(tag);
        if (copy == nullptr)
            continue;
        FreeImage_SetTagValue(copy, reversed.data());
        FreeImage_SetMetadata(FIMD_IPTC, image, key, copy);
        FreeImage_DeleteTag(copy);
    }
}

void CarryColourProfile(FIBITMAP* image, FIBITMAP* sourceImage) {
    FreeImage_DestroyICCProfile(image);
    if (sourceImage == nullptr)
        return;
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(sourceImage);
    if (!IsRgbColourProfile(profile))
        return;
    FreeImage_CreateICCProfile(image, profile->data, static_cast<long>(profile->size));
}

} // namespace

bool IsRgbColourProfile(const FIICCPROFILE* profile) {
    // The header: its own size at 0, the data colour space at 16, the signature "acsp" at 36.
    if (profile == nullptr || profile->data == nullptr || profile->size < 128)
        return false;
    const auto* p = static_cast<const std::uint8_t*>(profile->data);
    return Be32(p) == profile->size && std::memcmp(p + 16, "RGB ", 4) == 0 &&
           std::memcmp(p + 36, "acsp", 4) == 0;
}

void FitMetadataToFormat(ConvertedOutput& out, FIBITMAP* sourceImage, const OutputSettings& settings,
                         bool orientationApplied) {
    FIBITMAP* image = out.image.get();
    const FormatCapabilities& can = CapabilitiesOf(out.format.code);
    if (settings.keepMetadata) {
        FitExif(out, can.exif, orientationApplied);
        if (can.iptc)
            KeepIptcListOrder(image);
    }
    // A grey or monochrome output has grey pixels (written as RGB) that an RGB profile would
    // misdescribe; a CMYK or grey profile cannot describe RGB pixels at all.
    const bool colour = settings.colourMode != "Greyscale" && settings.colourMode != "Monochrome";
    if (can.icc && colour)
        CarryColourProfile(image, sourceImage);
}

} // namespace tessoly
