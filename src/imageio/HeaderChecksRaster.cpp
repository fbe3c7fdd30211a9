// Header checks of the formats whose pixel data follows from the header (BMP, TARGA, PCX, PSD):
// the picture size against the caps, and whether the file holds the data the header implies,
// walking run-length codes where FreeImage would otherwise fill a cut-short file and call it a
// success, or follow codes past its buffers.

#include <algorithm>
#include <cstring>
#include <vector>

#include "imageio/HeaderChecks.h"

namespace tessoly {

// --- BMP ---------------------------------------------------------------------------------------

HeaderCheck CheckBmp(ByteReader& r) {
    std::uint8_t h[14 + 40] = {};
    if (!r.ReadAt(0, h, 18))
        return HeaderCheck::Refused;
    // OS/2 bitmap arrays and icons ("BA", "CI", ...) have other layouts.
    if (h[0] != 'B' || h[1] != 'M')
        return HeaderCheck::NotChecked;
    const std::uint32_t headerSize = Le32(h + 14);
    if (headerSize < 12)
        return HeaderCheck::Refused;
    const std::size_t want = headerSize < 40 ? headerSize : 40;
    if (!r.ReadAt(14, h + 14, want))
        return HeaderCheck::Refused;
    std::int64_t width, height;
    unsigned bitCount, compression = 0;
    if (headerSize == 12) {
        width = Le16(h + 18);
        height = Le16(h + 20);
        bitCount = Le16(h + 24);
    } else {
        if (headerSize < 16)
            return HeaderCheck::Refused;
        width = static_cast<std::int32_t>(Le32(h + 18));
        height = static_cast<std::int32_t>(Le32(h + 22));
        bitCount = Le16(h + 28);
        if (headerSize >= 20)
            compression = Le32(h + 30);
    }
    if (height < 0)
        height = -height; // top-down rows
    if (width <= 0 || !PlausiblePictureSize(std::uint64_t(width), std::uint64_t(height))) {
        return HeaderCheck::Refused;
    }
    // Uncompressed rows (BI_RGB, BI_BITFIELDS, BI_ALPHABITFIELDS) are read in one piece, so the file
    // must hold them after its headers; RLE data may end early by design and is not measured.
    if (compression == 0 || compression == 3 || compression == 6) {
        const std::uint64_t stride = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
        const std::uint64_t needed = 14 + std::uint64_t(headerSize) + stride * std::uint64_t(height);
        if (r.Size() < needed)
            return HeaderCheck::Refused;
    }
    return HeaderCheck::Plausible;
}

// --- TARGA -------------------------------------------------------------------------------------

HeaderCheck CheckTarga(ByteReader& r) {
    std::uint8_t h[18];
    if (!r.ReadAt(0, h, sizeof h))
        return HeaderCheck::Refused;
    const unsigned idLength = h[0], colourMapType = h[1], imageType = h[2];
    const unsigned mapLength = Le16(h + 5), mapEntryBits = h[7];
    const std::uint64_t width = Le16(h + 12), height = Le16(h + 14);
    const unsigned pixelBytes = (h[16] + 7u) / 8u;
    if (!PlausiblePictureSize(width, height))
        return HeaderCheck::Refused;
    const std::uint64_t pixels = width * height;
    const std::uint64_t prefix =
        sizeof h + idLength +
        (colourMapType == 1 ? std::uint64_t(mapLength) * ((mapEntryBits + 7u) / 8u) : 0);
    if (imageType >= 1 && imageType <= 3)
        return Verdict(r.Size() >= prefix + pixels * pixelBytes);
    if (imageType >= 9 && imageType <= 11) {
        // An RLE packet covers at most 128 pixels with a count byte and at least one pixel value,
        // which bounds the size before the walk.
        if (r.Size() < prefix + (pixels + 127) / 128 * (1 + pixelBytes))
            return HeaderCheck::Refused;
        // FreeImage fills whatever a cut-short packet stream leaves undefined and reports success,
        // so walk the packets: they must cover every pixel before the file ends.
        std::uint64_t covered = 0;
        r.Seek(prefix);
        while (covered < pixels) {
            const int packet = r.Get();
            if (packet < 0)
                return HeaderCheck::Refused;
            const unsigned count = (static_cast<unsigned>(packet) & 0x7Fu) + 1u;
            const std::uint64_t valueBytes = (packet & 0x80) ? pixelBytes : std::uint64_t(count) * pixelBytes;
            if (valueBytes > r.Size() - r.Position())
                return HeaderCheck::Refused;
            r.Seek(r.Position() + valueBytes);
            covered += count;
        }
    }
    return HeaderCheck::Plausible;
}

// --- PCX ---------------------------------------------------------------------------------------

HeaderCheck CheckPcx(ByteReader& r) {
    std::uint8_t h[128];
    if (!r.ReadAt(0, h, sizeof h) || h[0] != 0x0A)
        return HeaderCheck::Refused;
    const unsigned bitsPerPixel = h[3];
    const unsigned xMin = Le16(h + 4), yMin = Le16(h + 6), xMax = Le16(h + 8), yMax = Le16(h + 10);
    const unsigned planes = h[65], bytesPerLine = Le16(h + 66);
    if (xMax < xMin || yMax < yMin || planes < 1 || bitsPerPixel < 1)
        return HeaderCheck::Refused;
    const std::uint64_t width = xMax - xMin + 1u, height = yMax - yMin + 1u;
    if (!PlausiblePictureSize(width, height))
        return HeaderCheck::Refused;
    // Each plane's scan line has to hold a row of the picture.
    if (std::uint64_t(bytesPerLine) * 8 < width * bitsPerPixel)
        return HeaderCheck::Refused;
    // The run-length code turns two bytes into at most 63.
    const std::uint64_t decoded = height * planes * bytesPerLine;
    if (r.Size() < sizeof h + decoded / 63)
        return HeaderCheck::Refused;
    if (h[2] != 1)
        return Verdict(r.Size() - sizeof h >= decoded);
    // FreeImage fills the rows of a cut-short file and reports success, so walk the runs: they must
    // give every byte of every scan line before the file ends.
    r.Seek(sizeof h);
    for (std::uint64_t produced = 0; produced < decoded;) {
        const int code = r.Get();
        if (code < 0)
            return HeaderCheck::Refused;
        if ((code & 0xC0) == 0xC0) {
            if (r.Get() < 0)
                return HeaderCheck::Refused;
            produced += static_cast<unsigned>(code) & 0x3Fu;
        } else {
            ++produced;
        }
    }
    return HeaderCheck::Plausible;
}

// --- PSD ---------------------------------------------------------------------------------------

HeaderCheck CheckPsd(ByteReader& r) {
    std::uint8_t h[26];
    if (!r.ReadAt(0, h, sizeof h) || std::memcmp(h, "8BPS", 4) != 0)
        return HeaderCheck::Refused;
    const unsigned version = Be16(h + 4), channels = Be16(h + 12), depth = Be16(h + 22);
    if (version != 1 && version != 2)
        return HeaderCheck::Refused;
    if (channels < 1 || channels > 56)
        return HeaderCheck::Refused;
    if (depth != 1 && depth != 8 && depth != 16 && depth != 32)
        return HeaderCheck::Refused;
    const std::uint64_t width = Be32(h + 18), height = Be32(h + 14);
    if (!PlausiblePictureSize(width, height))
        return HeaderCheck::Refused;

    // FreeImage decodes the merged image after three length-prefixed sections and fills what a
    // cut-short file lacks, so the data the header implies must be in the file.
    const bool big = version == 2;
    std::uint64_t position = sizeof h;
    for (int section = 0; section < 3; ++section) {
        std::uint8_t length[8];
        const std::size_t lengthBytes = section == 2 && big ? 8 : 4;
        if (!r.ReadAt(position, length, lengthBytes))
            return HeaderCheck::Refused;
        const std::uint64_t bytes = lengthBytes == 8 ? Be64(length) : Be32(length);
        position += lengthBytes;
        if (bytes > r.Size() - position)
            return HeaderCheck::Refused;
        position += bytes;
    }
    std::uint8_t compressionBytes[2];
    if (!r.ReadAt(position, compressionBytes, 2))
        return HeaderCheck::Refused;
    position += 2;
    const unsigned compression = Be16(compressionBytes);
    const std::uint64_t rows = std::uint64_t(channels) * height;
    const std::uint64_t rowBytes = (width * depth + 7) / 8;
    if (compression == 0)
        return Verdict(r.Size() - position >= rows * rowBytes);
    if (compression != 1)
        return HeaderCheck::Plausible;
    // PackBits: a table of each row's coded length, then the rows. FreeImage's unpacker trusts the
    // codes and writes past its row buffer when they ask for more than a row, so every row is
    // walked here: its codes must give exactly one row from exactly its coded bytes.
    const std::size_t countBytes = big ? 4 : 2;
    if (rows * countBytes > r.Size() - position)
        return HeaderCheck::Refused;
    std::uint64_t data = position + rows * countBytes;
    // The worst case of PackBits is one header byte per 128 literal bytes.
    const std::uint64_t longestRow = rowBytes + (rowBytes + 127) / 128;
    std::vector<std::uint8_t> row;
    std::uint8_t chunk[4096];
    for (std::uint64_t done = 0; done < rows;) {
        const std::uint64_t n = std::min<std::uint64_t>(rows - done, sizeof chunk / countBytes);
        if (!r.ReadAt(position + done * countBytes, chunk, static_cast<std::size_t>(n * countBytes))) {
            return HeaderCheck::Refused;
        }
        for (std::uint64_t i = 0; i < n; ++i) {
            const std::uint64_t coded = big ? Be32(chunk + 4 * i) : Be16(chunk + 2 * i);
            if (coded > longestRow || coded > r.Size() - data)
                return HeaderCheck::Refused;
            row.resize(static_cast<std::size_t>(coded));
            if (!r.ReadAt(data, row.data(), row.size()))
                return HeaderCheck::Refused;
            data += coded;
            std::uint64_t produced = 0;
            for (std::size_t at = 0; at < row.size();) {
                const int code = static_cast<std::int8_t>(row[at++]);
                if (code == -128)
                    continue; // no operation
                const std::uint64_t length = code >= 0 ? std::uint64_t(code) + 1 : std::uint64_t(1 - code);
                const std::size_t consumed = code >= 0 ? static_cast<std::size_t>(length) : 1;
                if (consumed > row.size() - at)
                    return HeaderCheck::Refused;
                at += consumed;
                produced += length;
                if (produced > rowBytes)
                    return HeaderCheck::Refused;
            }
            if (produced != rowBytes)
                return HeaderCheck::Refused;
        }
        done += n;
    }
    return HeaderCheck::Plausible;
}

} // namespace tessoly
