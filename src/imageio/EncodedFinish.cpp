#include "imageio/EncodedFinish.h"

#include <cstring>

#include <FreeImage.h>
#include <zlib.h>

#include "imageio/ByteReader.h"
#include "imageio/TiffMetadata.h"

namespace tessoly {

namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

} // namespace

std::vector<std::uint8_t> InsertPngChunk(const std::uint8_t* data, std::size_t size, const char type[4],
                                         const std::vector<std::uint8_t>& body) {
    if (size < 8 || std::memcmp(data, kPngSignature, 8) != 0 || body.size() > 0x7FFFFFFFu)
        return {};
    std::size_t at = 8;
    for (;;) {
        if (size - at < 12)
            return {};
        const std::uint32_t length = Be32(data + at);
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0)
            break;
        if (std::memcmp(data + at + 4, type, 4) == 0 || length > size - at - 12)
            return {}; // already there, or a broken chunk
        at += 12 + std::size_t(length);
    }
    std::vector<std::uint8_t> out;
    out.reserve(size + 12 + body.size());
    out.insert(out.end(), data, data + at);
    PutBe32(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    PutBe32(out, static_cast<std::uint32_t>(
                     crc32(0, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt))));
    out.insert(out.end(), data + at, data + size);
    return out;
}

EncodedFile FinishEncodedFile(const ConvertedOutput& converted, const std::uint8_t* data, std::size_t size) {
    if (converted.format.code == FIF_PNG && !converted.exifBlock.empty()) {
        std::vector<std::uint8_t> finished = InsertPngChunk(data, size, "eXIf", converted.exifBlock);
        if (!finished.empty())
            return EncodedFile(std::move(finished));
    }
    if (converted.format.code == FIF_TIFF && (!converted.exifBlock.empty() || !converted.iptcRecords.empty())) {
        std::vector<std::uint8_t> finished =
            AddTiffMetadata(data, size, converted.exifBlock, converted.iptcRecords);
        if (!finished.empty())
            return EncodedFile(std::move(finished));
    }
    return EncodedFile(data, size);
}

} // namespace tessoly
