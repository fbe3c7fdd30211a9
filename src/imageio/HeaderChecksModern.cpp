// Header checks of WebP (RIFF) and of the ISO base media files that hold HEIF and AVIF: the
// container's own lengths must fit the file, so a cut-short file is refused before a decoder
// sees it, and the picture size a WebP header states must lie inside the caps. The HEIF family's
// picture size is read by libheif from these boxes afterwards (CheckHeifFile).

#include <cstring>

#include "imageio/HeaderChecks.h"

namespace tessoly {

HeaderCheck CheckWebp(ByteReader& r) {
    std::uint8_t h[30];
    if (!r.ReadAt(0, h, 20) || std::memcmp(h, "RIFF", 4) != 0 || std::memcmp(h + 8, "WEBP", 4) != 0)
        return HeaderCheck::Refused;
    // The RIFF length counts everything after its own field; a file shorter is cut short.
    if (std::uint64_t(Le32(h + 4)) + 8 > r.Size())
        return HeaderCheck::Refused;
    std::uint64_t width = 0, height = 0;
    if (std::memcmp(h + 12, "VP8 ", 4) == 0) {
        // Frame tag (3 bytes), start code 9D 01 2A, then 14-bit width and height.
        if (!r.ReadAt(20, h + 20, 10) || h[23] != 0x9D || h[24] != 0x01 || h[25] != 0x2A)
            return HeaderCheck::Refused;
        width = Le16(h + 26) & 0x3FFF;
        height = Le16(h + 28) & 0x3FFF;
    } else if (std::memcmp(h + 12, "VP8L", 4) == 0) {
        // Signature 0x2F, then width - 1 and height - 1 in 14 bits each.
        if (!r.ReadAt(20, h + 20, 5) || h[20] != 0x2F)
            return HeaderCheck::Refused;
        const std::uint32_t bits = Le32(h + 21);
        width = (bits & 0x3FFF) + 1;
        height = ((bits >> 14) & 0x3FFF) + 1;
    } else if (std::memcmp(h + 12, "VP8X", 4) == 0) {
        // Flags (4 bytes), then canvas width - 1 and height - 1 in 24 bits each.
        if (!r.ReadAt(20, h + 20, 10))
            return HeaderCheck::Refused;
        width = (std::uint64_t(h[24]) | (std::uint64_t(h[25]) << 8) | (std::uint64_t(h[26]) << 16)) + 1;
        height = (std::uint64_t(h[27]) | (std::uint64_t(h[28]) << 8) | (std::uint64_t(h[29]) << 16)) + 1;
    } else {
        return HeaderCheck::Refused;
    }
    return Verdict(PlausiblePictureSize(width, height));
}

HeaderCheck CheckIsoBoxes(ByteReader& r) {
    std::uint64_t at = 0;
    bool sawMeta = false;
    while (at < r.Size()) {
        std::uint8_t h[16];
        if (!r.ReadAt(at, h, 8))
            return HeaderCheck::Refused;
        std::uint64_t size = Be32(h);
        std::uint64_t headerSize = 8;
        if (size == 1) {
            if (!r.ReadAt(at + 8, h + 8, 8))
                return HeaderCheck::Refused;
            size = Be64(h + 8);
            headerSize = 16;
        } else if (size == 0) {
            size = r.Size() - at; // the last box runs to the end of the file
        }
        if (size < headerSize || size > r.Size() - at)
            return HeaderCheck::Refused;
        if (at == 0 && std::memcmp(h + 4, "ftyp", 4) != 0)
            return HeaderCheck::Refused;
        sawMeta = sawMeta || std::memcmp(h + 4, "meta", 4) == 0;
        at += size;
    }
    return Verdict(sawMeta);
}

} // namespace tessoly
