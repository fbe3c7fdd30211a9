#include "imageio/ExifThumbnail.h"

#include <algorithm>
#include <cstring>

#include "imageio/ByteReader.h"

namespace tessoly {

namespace {

constexpr std::uint16_t kThumbnailOffsetTag = 0x0201;
constexpr std::uint16_t kThumbnailLengthTag = 0x0202;
constexpr std::uint16_t kStripOffsetsTag = 0x0111;
constexpr std::uint16_t kStripByteCountsTag = 0x0117;

} // namespace

void DropExifThumbnail(std::vector<std::uint8_t>& app1) {
    if (app1.size() < 14 || std::memcmp(app1.data(), "Exif\0\0", 6) != 0)
        return;
    std::uint8_t* tiff = app1.data() + 6;
    const std::uint64_t size = app1.size() - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return;
    auto u16 = [&](std::uint64_t at) { return little ? Le16(tiff + at) : Be16(tiff + at); };
    auto u32 = [&](std::uint64_t at) { return little ? Le32(tiff + at) : Be32(tiff + at); };
    const std::uint64_t ifd0 = u32(4);
    if (ifd0 + 2 > size)
        return;
    const std::uint64_t link = ifd0 + 2 + 12ull * u16(ifd0);
    if (link + 4 > size)
        return;
    const std::uint64_t ifd1 = u32(link);
    std::memset(tiff + link, 0, 4);
    if (ifd1 == 0 || ifd1 + 2 > size)
        return;
    // The thumbnail's data: a JPEG (offset and length tags) or a single uncompressed strip.
    std::uint64_t offset = 0, length = 0;
    const unsigned count = u16(ifd1);
    for (unsigned i = 0; i < count; ++i) {
        const std::uint64_t entry = ifd1 + 2 + 12ull * i;
        if (entry + 12 > size)
            break;
        const std::uint16_t tag = u16(entry);
        const std::uint16_t type = u16(entry + 2);
        const std::uint64_t value = type == 3 ? u16(entry + 8) : u32(entry + 8);
        if (u32(entry + 4) != 1)
            continue;
        if (tag == kThumbnailOffsetTag || tag == kStripOffsetsTag)
            offset = value;
        else if (tag == kThumbnailLengthTag || tag == kStripByteCountsTag)
            length = value;
    }
    if (offset > 0 && offset < size)
        std::memset(tiff + offset, 0, static_cast<std::size_t>(std::min(length, size - offset)));
}

} // namespace tessoly
