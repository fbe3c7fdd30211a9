#include "imageio/OutputMetadata.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "imageio/ByteReader.h"
#include "imageio/ExifRewrite.h"
#include "imageio/OutputCapabilities.h"
#include "imageio/XmpRewrite.h"

namespace tessoly {

namespace {

constexpr const char* kExifRawKey = "ExifRaw";
constexpr const char* kXmpKey = "XMLPacket";

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
    for (const char* key : {"Keywords", "SupplementalCategories"}) {
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

constexpr WORD kKeywordsId = 0x0219;
constexpr WORD kSupplementalCategoriesId = 0x0214;

//! IPTC-IIM records (0x1C, record, dataset, 16-bit length, value) of the image's IPTC tags, by
//! tag number, each list item ("a;b") a record of its own in the list's order.
std::vector<std::uint8_t> IptcRecords(FIBITMAP* image) {
    struct Record {
        WORD id;
        std::string value;
    };
    std::vector<Record> records;
    FITAG* tag = nullptr;
    FIMETADATA* walk = FreeImage_FindFirstMetadata(FIMD_IPTC, image, &tag);
    if (walk == nullptr)
        return {};
    do {
        const WORD id = FreeImage_GetTagID(tag);
        const auto* value = static_cast<const char*>(FreeImage_GetTagValue(tag));
        const std::size_t length = FreeImage_GetTagLength(tag);
        if (value == nullptr)
            continue;
        const FREE_IMAGE_MDTYPE type = FreeImage_GetTagType(tag);
        if (type == FIDT_ASCII) {
            const std::string text(value, strnlen(value, length));
            const bool list = id == kKeywordsId || id == kSupplementalCategoriesId;
            for (std::size_t from = 0;;) {
                const std::size_t semicolon = list ? text.find(';', from) : std::string::npos;
                records.push_back({id, text.substr(from, semicolon - from)});
                if (semicolon == std::string::npos)
                    break;
                from = semicolon + 1;
            }
        } else if ((type == FIDT_SHORT || type == FIDT_SSHORT) && length == 2) {
            // Numbers are big-endian in IPTC (the record version, 2:00).
            WORD number;
            std::memcpy(&number, value, 2);
            records.push_back({id, std::string{static_cast<char>(number >> 8), static_cast<char>(number & 0xFF)}});
        } else {
            records.push_back({id, std::string(value, length)});
        }
    } while (FreeImage_FindNextMetadata(walk, &tag));
    FreeImage_FindCloseMetadata(walk);
    // Record 2 opens with its version (2:00), as the library's JPEG writer adds it too.
    constexpr WORD kRecordVersionId = 0x0200;
    const bool hasVersion = std::any_of(records.begin(), records.end(),
                                        [](const Record& r) { return r.id == kRecordVersionId; });
    if (!records.empty() && !hasVersion)
        records.push_back({kRecordVersionId, std::string("\0\x04", 2)});
    std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.id < b.id; });
    std::vector<std::uint8_t> out;
    for (const Record& r : records) {
        if (r.value.size() > 0x7FFF)
            continue; // longer values need the extended length form, which nothing here writes
        out.insert(out.end(), {0x1C, static_cast<std::uint8_t>(r.id >> 8), static_cast<std::uint8_t>(r.id & 0xFF),
                               static_cast<std::uint8_t>(r.value.size() >> 8),
                               static_cast<std::uint8_t>(r.value.size() & 0xFF)});
        out.insert(out.end(), r.value.begin(), r.value.end());
    }
    return out;
}

//! The XMP packet brought up to date as the Exif is.
void FitXmp(FIBITMAP* image, bool orientationApplied) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(FIMD_XMP, image, kXmpKey, &tag) || tag == nullptr ||
        FreeImage_GetTagType(tag) != FIDT_ASCII) {
        return;
    }
    const auto* value = static_cast<const char*>(FreeImage_GetTagValue(tag));
    const std::string packet(value, strnlen(value, FreeImage_GetTagLength(tag)));
    const ExifUpdate update{FreeImage_GetWidth(image), FreeImage_GetHeight(image), orientationApplied};
    const std::string rewritten = RewriteXmpPacket(packet, update);
    if (rewritten == packet)
        return;
    FITAG* copy = FreeImage_CloneTag(tag);
    if (copy == nullptr)
        return;
    // The library's writers store the value with its terminator.
    const auto length = static_cast<DWORD>(rewritten.size() + 1);
    FreeImage_SetTagLength(copy, length);
    FreeImage_SetTagCount(copy, length);
    FreeImage_SetTagValue(copy, rewritten.c_str());
    FreeImage_SetMetadata(FIMD_XMP, image, kXmpKey, copy);
    FreeImage_DeleteTag(copy);
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
        if (can.xmp)
            FitXmp(image, orientationApplied);
        if (can.iptc) {
            out.iptcRecords = IptcRecords(image);
            KeepIptcListOrder(image);
        }
    }
    // A grey or monochrome output has grey pixels (written as RGB) that an RGB profile would
    // misdescribe; a CMYK or grey profile cannot describe RGB pixels at all.
    const bool colour = settings.colourMode != "Greyscale" && settings.colourMode != "Monochrome";
    if (can.icc && colour)
        CarryColourProfile(image, sourceImage);
}

} // namespace tessoly
