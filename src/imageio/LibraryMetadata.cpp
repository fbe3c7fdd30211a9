#include "imageio/LibraryMetadata.h"

#include <cstring>
#include <mutex>

#include <FreeImage.h>

#include "imageio/FreeImageHandle.h"

namespace tessoly {

namespace {

constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

//! A small baseline JPEG made once by FreeImage itself; its SOI is followed by our APP1.
const std::vector<std::uint8_t>& CarrierJpeg() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> result;
        FreeImagePtr dib(FreeImage_Allocate(8, 8, 24));
        FreeImageMemoryPtr memory(FreeImage_OpenMemory(nullptr, 0));
        BYTE* data = nullptr;
        DWORD size = 0;
        if (dib && memory && FreeImage_SaveToMemory(FIF_JPEG, dib.get(), memory.get(), 75) &&
            FreeImage_AcquireMemory(memory.get(), &data, &size) && size > 2) {
            result.assign(data, data + size);
        }
        return result;
    }();
    return bytes;
}

FITAG* TagOf(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const char* key) {
    FITAG* tag = nullptr;
    return FreeImage_GetMetadata(model, dib, key, &tag) ? tag : nullptr;
}

} // namespace

void AttachExif(FIBITMAP* dib, const std::uint8_t* data, std::size_t size) {
    if (size >= sizeof kExifHeader && std::memcmp(data, kExifHeader, sizeof kExifHeader) == 0) {
        data += sizeof kExifHeader;
        size -= sizeof kExifHeader;
    }
    const std::vector<std::uint8_t>& carrier = CarrierJpeg();
    // An APP1 segment holds at most 65533 bytes after its length field.
    const std::size_t segment = 2 + sizeof kExifHeader + size;
    if (!dib || size < 8 || segment > 0xFFFF || carrier.size() < 2)
        return;
    std::vector<std::uint8_t> jpeg;
    jpeg.reserve(carrier.size() + segment + 2);
    jpeg.insert(jpeg.end(), {0xFF, 0xD8, 0xFF, 0xE1, std::uint8_t(segment >> 8), std::uint8_t(segment)});
    jpeg.insert(jpeg.end(), kExifHeader, kExifHeader + sizeof kExifHeader);
    jpeg.insert(jpeg.end(), data, data + size);
    jpeg.insert(jpeg.end(), carrier.begin() + 2, carrier.end());

    FreeImageMemoryPtr memory(FreeImage_OpenMemory(jpeg.data(), static_cast<DWORD>(jpeg.size())));
    if (!memory)
        return;
    FreeImagePtr parsed(FreeImage_LoadFromMemory(FIF_JPEG, memory.get(), FIF_LOAD_NOPIXELS));
    if (!parsed)
        return;
    const unsigned dotsX = FreeImage_GetDotsPerMeterX(dib), dotsY = FreeImage_GetDotsPerMeterY(dib);
    FreeImage_CloneMetadata(dib, parsed.get());
    // The clone copies the carrier's resolution too, which is no fact of the source.
    FreeImage_SetDotsPerMeterX(dib, dotsX);
    FreeImage_SetDotsPerMeterY(dib, dotsY);
}

void AttachXmp(FIBITMAP* dib, const std::uint8_t* data, std::size_t size) {
    if (!dib || size == 0 || size > 0x7FFFFFFF)
        return;
    FITAG* tag = FreeImage_CreateTag();
    if (!tag)
        return;
    FreeImage_SetTagKey(tag, "XMLPacket");
    FreeImage_SetTagLength(tag, static_cast<DWORD>(size));
    FreeImage_SetTagCount(tag, static_cast<DWORD>(size));
    FreeImage_SetTagType(tag, FIDT_ASCII);
    FreeImage_SetTagValue(tag, data);
    FreeImage_SetMetadata(FIMD_XMP, dib, "XMLPacket", tag);
    FreeImage_DeleteTag(tag);
}

int ExifOrientationOf(FIBITMAP* dib) {
    FITAG* tag = TagOf(dib, FIMD_EXIF_MAIN, "Orientation");
    if (!tag || FreeImage_GetTagType(tag) != FIDT_SHORT || FreeImage_GetTagCount(tag) < 1)
        return 1;
    const unsigned value = *static_cast<const WORD*>(FreeImage_GetTagValue(tag));
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

std::vector<std::uint8_t> RawExifOf(FIBITMAP* dib) {
    FITAG* tag = TagOf(dib, FIMD_EXIF_RAW, "ExifRaw");
    if (!tag)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(FreeImage_GetTagValue(tag));
    std::size_t size = FreeImage_GetTagLength(tag);
    if (size >= sizeof kExifHeader && std::memcmp(bytes, kExifHeader, sizeof kExifHeader) == 0) {
        bytes += sizeof kExifHeader;
        size -= sizeof kExifHeader;
    }
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

std::vector<std::uint8_t> XmpOf(FIBITMAP* dib) {
    FITAG* tag = TagOf(dib, FIMD_XMP, "XMLPacket");
    if (!tag)
        return {};
    const auto* bytes = static_cast<const std::uint8_t*>(FreeImage_GetTagValue(tag));
    std::size_t size = FreeImage_GetTagLength(tag);
    // FreeImage counts an ASCII tag's closing zero in its length; the packet has none.
    while (size > 0 && bytes[size - 1] == 0)
        --size;
    return std::vector<std::uint8_t>(bytes, bytes + size);
}

} // namespace tessoly
