#include "imageio/EncodedFinish.h"

#include <cstdio>
#include <cstring>
#include <string>

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

//! The zTXt body that carries IPTC records in a PNG as ImageMagick, ExifTool and Exiv2 write
//! and read it: the keyword "Raw profile type iptc" and, compressed, "\niptc\n", the length in
//! eight columns, and the bytes in hexadecimal, 36 to a line.
std::vector<std::uint8_t> IptcTextChunk(const std::vector<std::uint8_t>& records) {
    static const char kHex[] = "0123456789abcdef";
    char length[24];
    std::snprintf(length, sizeof length, "%8zu", records.size());
    std::string text = std::string("\niptc\n") + length + "\n";
    for (std::size_t i = 0; i < records.size(); ++i) {
        text += kHex[records[i] >> 4];
        text += kHex[records[i] & 15];
        if (i % 36 == 35 || i + 1 == records.size())
            text += '\n';
    }
    uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
    std::vector<std::uint8_t> body;
    const char keyword[] = "Raw profile type iptc";
    body.assign(keyword, keyword + sizeof keyword); // with its terminator
    body.push_back(0);                              // compression method: zlib
    const std::size_t packedAt = body.size();
    body.resize(packedAt + packedSize);
    if (compress2(body.data() + packedAt, &packedSize, reinterpret_cast<const Bytef*>(text.data()),
                  static_cast<uLong>(text.size()), Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    body.resize(packedAt + packedSize);
    return body;
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
        if (length > size - at - 12)
            return {}; // a broken chunk
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
    if (converted.format.code == FIF_PNG && (!converted.exifBlock.empty() || !converted.iptcRecords.empty())) {
        std::vector<std::uint8_t> finished(data, data + size);
        if (!converted.exifBlock.empty()) {
            std::vector<std::uint8_t> withExif =
                InsertPngChunk(finished.data(), finished.size(), "eXIf", converted.exifBlock);
            if (!withExif.empty())
                finished = std::move(withExif);
        }
        const std::vector<std::uint8_t> iptc =
            converted.iptcRecords.empty() ? std::vector<std::uint8_t>() : IptcTextChunk(converted.iptcRecords);
        if (!iptc.empty()) {
            std::vector<std::uint8_t> withIptc = InsertPngChunk(finished.data(), finished.size(), "zTXt", iptc);
            if (!withIptc.empty())
                finished = std::move(withIptc);
        }
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
