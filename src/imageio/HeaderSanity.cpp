// Header checks for the source formats. Each reader looks only at the fields that decide how much
// the decoder will allocate or how it will index its buffers: the picture size against the caps,
// component and channel counts the decoders assume, and, for layouts whose size follows from the
// header, whether the file can hold the data at all. A reader refuses only what no encoder writes
// and no decoder can show; everything else goes on to FreeImage, which has the final word.
// Invariants: no read goes past the end of the source; nothing is allocated from a header value.

#include "imageio/HeaderSanity.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include <FreeImage.h>

namespace tessoly {
namespace {

HeaderCheck Verdict(bool plausible) { return plausible ? HeaderCheck::Plausible : HeaderCheck::Refused; }

// --- JPEG --------------------------------------------------------------------------------------

bool IsStartOfFrame(int marker) {
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// An Exif block (the APP1 body after "Exif\0\0") is a little TIFF file. FreeImage's Exif reader
// follows its directory counts and value offsets without comparing them with the block's length,
// so every directory it reads (IFD0, the next one, the Exif, GPS and interoperability ones) must
// lie inside the block, and so must every value stored outside its entry.
bool ExifBlockIsSound(const std::uint8_t* t, std::size_t n) {
    if (n < 8) return false;
    const bool little = t[0] == 'I' && t[1] == 'I';
    if (!little && !(t[0] == 'M' && t[1] == 'M')) return false;
    auto u16 = [little](const std::uint8_t* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [little](const std::uint8_t* p) { return little ? Le32(p) : Be32(p); };
    if (u16(t + 2) != 42) return false;
    // Bytes per value of TIFF types 1..13.
    static constexpr std::uint8_t kTypeBytes[14] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    constexpr int kMaxDirectories = 16;
    std::uint32_t pending[kMaxDirectories];
    std::uint32_t seen[kMaxDirectories];
    int pendingCount = 0, seenCount = 0;
    pending[pendingCount++] = u32(t + 4);
    bool first = true;
    while (pendingCount > 0) {
        const std::uint32_t at = pending[--pendingCount];
        for (int i = 0; i < seenCount; ++i) {
            if (seen[i] == at) return false; // a loop
        }
        if (seenCount == kMaxDirectories) return false;
        seen[seenCount++] = at;
        if (at > n || n - at < 2) return false;
        const std::size_t count = u16(t + at);
        if ((n - at - 2) / 12 < count) return false;
        for (std::size_t e = 0; e < count; ++e) {
            const std::uint8_t* entry = t + at + 2 + 12 * e;
            const unsigned tag = u16(entry), type = u16(entry + 2);
            if (type < 1 || type > 13) return false;
            const std::uint64_t bytes = std::uint64_t(u32(entry + 4)) * kTypeBytes[type];
            const std::uint32_t value = u32(entry + 8);
            if (bytes > 4 && (value > n || bytes > n - value)) return false;
            if (tag == 0x8769 || tag == 0x8825 || tag == 0xA005) {
                if (pendingCount == kMaxDirectories) return false;
                pending[pendingCount++] = value;
            }
        }
        // IFD0 links to IFD1 (the thumbnail's directory); later links are not followed by readers.
        const std::size_t linkAt = at + 2 + 12 * count;
        if (first && n - linkAt >= 4) {
            const std::uint32_t next = u32(t + linkAt);
            if (next != 0) {
                if (pendingCount == kMaxDirectories) return false;
                pending[pendingCount++] = next;
            }
        }
        first = false;
    }
    return true;
}

// Walks the marker structure from SOI to EOI the way libjpeg does (garbage between segments is
// skipped, as libjpeg skips it with a warning). A file that ends before its EOI marker is cut
// short: libjpeg would fill the missing rows with grey and call it a success.
HeaderCheck CheckJpeg(ByteReader& r) {
    r.Seek(0);
    if (r.Get() != 0xFF || r.Get() != 0xD8) return HeaderCheck::Refused;
    bool sawFrame = false;
    bool sawScan = false;
    for (;;) {
        if (!r.SkipPastNextFF()) return HeaderCheck::Refused;
        int marker = r.Get();
        while (marker == 0xFF) marker = r.Get();
        if (marker < 0) return HeaderCheck::Refused;
        // Stuffed zero, restart markers and TEM carry no segment; inside scan data they are normal.
        if (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (marker == 0xD9) return Verdict(sawFrame && sawScan);
        if (marker == 0xD8) return HeaderCheck::Refused;

        std::uint8_t lengthBytes[2];
        if (!r.ReadAt(r.Position(), lengthBytes, 2)) return HeaderCheck::Refused;
        const std::uint16_t length = Be16(lengthBytes);
        if (length < 2) return HeaderCheck::Refused;
        const std::uint64_t body = r.Position() + 2;
        const std::size_t bodyLength = length - 2u;

        if (IsStartOfFrame(marker)) {
            if (sawFrame || bodyLength < 6) return HeaderCheck::Refused;
            std::uint8_t frame[6 + 3 * 255];
            const std::size_t want = bodyLength < sizeof frame ? bodyLength : sizeof frame;
            if (!r.ReadAt(body, frame, want)) return HeaderCheck::Refused;
            const unsigned height = Be16(frame + 1);
            const unsigned width = Be16(frame + 3);
            const unsigned components = frame[5];
            // FreeImage handles grey, RGB/YCbCr and CMYK/YCCK only; more corrupts its heap.
            if (components < 1 || components > 4 || bodyLength != 6 + 3 * components) {
                return HeaderCheck::Refused;
            }
            // A zero height would be defined later by a DNL marker, which libjpeg does not support.
            if (!PlausiblePictureSize(width, height)) return HeaderCheck::Refused;
            for (unsigned c = 0; c < components; ++c) {
                const unsigned sampling = frame[6 + 3 * c + 1];
                const unsigned h = sampling >> 4, v = sampling & 15u;
                if (h < 1 || h > 4 || v < 1 || v > 4 || frame[6 + 3 * c + 2] > 3) return HeaderCheck::Refused;
            }
            sawFrame = true;
        } else if (marker == 0xE1 && bodyLength >= 6) {
            std::vector<std::uint8_t> app(bodyLength);
            if (!r.ReadAt(body, app.data(), bodyLength)) return HeaderCheck::Refused;
            if (std::memcmp(app.data(), "Exif\0\0", 6) == 0 && !ExifBlockIsSound(app.data() + 6, bodyLength - 6)) {
                return HeaderCheck::Refused;
            }
        } else if (marker == 0xDA) {
            if (!sawFrame || bodyLength < 1) return HeaderCheck::Refused;
            std::uint8_t count;
            if (!r.ReadAt(body, &count, 1)) return HeaderCheck::Refused;
            if (count < 1 || count > 4 || bodyLength != 4u + 2u * count) return HeaderCheck::Refused;
            sawScan = true;
        }
        r.Seek(body + bodyLength);
    }
}

// --- PNG ---------------------------------------------------------------------------------------

HeaderCheck CheckPng(ByteReader& r) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::uint8_t h[33];
    if (!r.ReadAt(0, h, sizeof h)) return HeaderCheck::Refused;
    if (std::memcmp(h, kSignature, 8) != 0 || Be32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0) {
        return HeaderCheck::Refused;
    }
    const std::uint32_t width = Be32(h + 16), height = Be32(h + 20);
    const unsigned depth = h[24], colourType = h[25];
    if (!PlausiblePictureSize(width, height)) return HeaderCheck::Refused;
    unsigned channels;
    bool depthOk;
    switch (colourType) {
    case 0: channels = 1; depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16; break;
    case 2: channels = 3; depthOk = depth == 8 || depth == 16; break;
    case 3: channels = 1; depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8; break;
    case 4: channels = 2; depthOk = depth == 8 || depth == 16; break;
    case 6: channels = 4; depthOk = depth == 8 || depth == 16; break;
    default: return HeaderCheck::Refused;
    }
    if (!depthOk || h[26] != 0 || h[27] != 0 || h[28] > 1) return HeaderCheck::Refused;
    // Deflate packs at most 1032 bytes into one, so the file must hold at least that share of
    // the filtered rows: a tiny file claiming a huge picture is refused before anything is sized.
    const std::uint64_t rowBytes = (std::uint64_t(width) * depth * channels + 7) / 8 + 1;
    return Verdict(r.Size() >= sizeof h + rowBytes * height / 1032);
}

// --- BMP ---------------------------------------------------------------------------------------

HeaderCheck CheckBmp(ByteReader& r) {
    std::uint8_t h[14 + 40] = {};
    if (!r.ReadAt(0, h, 18)) return HeaderCheck::Refused;
    // OS/2 bitmap arrays and icons ("BA", "CI", ...) have other layouts.
    if (h[0] != 'B' || h[1] != 'M') return HeaderCheck::NotChecked;
    const std::uint32_t headerSize = Le32(h + 14);
    if (headerSize < 12) return HeaderCheck::Refused;
    const std::size_t want = headerSize < 40 ? headerSize : 40;
    if (!r.ReadAt(14, h + 14, want)) return HeaderCheck::Refused;
    std::int64_t width, height;
    unsigned bitCount, compression = 0;
    if (headerSize == 12) {
        width = Le16(h + 18);
        height = Le16(h + 20);
        bitCount = Le16(h + 24);
    } else {
        if (headerSize < 16) return HeaderCheck::Refused;
        width = static_cast<std::int32_t>(Le32(h + 18));
        height = static_cast<std::int32_t>(Le32(h + 22));
        bitCount = Le16(h + 28);
        if (headerSize >= 20) compression = Le32(h + 30);
    }
    if (height < 0) height = -height; // top-down rows
    if (width <= 0 || !PlausiblePictureSize(std::uint64_t(width), std::uint64_t(height))) {
        return HeaderCheck::Refused;
    }
    // Uncompressed rows (BI_RGB, BI_BITFIELDS, BI_ALPHABITFIELDS) are read in one piece, so the file
    // must hold them after its headers; RLE data may end early by design and is not measured.
    if (compression == 0 || compression == 3 || compression == 6) {
        const std::uint64_t stride = (std::uint64_t(width) * bitCount + 31) / 32 * 4;
        const std::uint64_t needed = 14 + std::uint64_t(headerSize) + stride * std::uint64_t(height);
        if (r.Size() < needed) return HeaderCheck::Refused;
    }
    return HeaderCheck::Plausible;
}

// --- GIF ---------------------------------------------------------------------------------------

// Skips a chain of data sub-blocks (a length byte, that many bytes, ..., a zero length).
bool SkipSubBlocks(ByteReader& r) {
    for (;;) {
        const int length = r.Get();
        if (length < 0) return false;
        if (length == 0) return true;
        r.Seek(r.Position() + static_cast<unsigned>(length));
    }
}

// The first image of the file is what FreeImage loads by default: its descriptor must describe a
// real picture and its LZW code size must fit FreeImage's 12-bit string table.
HeaderCheck CheckGif(ByteReader& r) {
    std::uint8_t h[13];
    if (!r.ReadAt(0, h, sizeof h)) return HeaderCheck::Refused;
    if (std::memcmp(h, "GIF87a", 6) != 0 && std::memcmp(h, "GIF89a", 6) != 0) return HeaderCheck::Refused;
    std::uint64_t position = sizeof h;
    if (h[10] & 0x80) position += 3u << ((h[10] & 7) + 1);
    r.Seek(position);
    for (;;) {
        const int block = r.Get();
        if (block == 0x21) {
            if (r.Get() < 0 || !SkipSubBlocks(r)) return HeaderCheck::Refused;
        } else if (block == 0x2C) {
            std::uint8_t d[9];
            if (!r.ReadAt(r.Position(), d, sizeof d)) return HeaderCheck::Refused;
            if (!PlausiblePictureSize(Le16(d + 4), Le16(d + 6))) return HeaderCheck::Refused;
            std::uint64_t next = r.Position() + sizeof d;
            if (d[8] & 0x80) next += 3u << ((d[8] & 7) + 1);
            std::uint8_t codeSize;
            if (!r.ReadAt(next, &codeSize, 1)) return HeaderCheck::Refused;
            return Verdict(codeSize >= 1 && codeSize <= 11);
        } else {
            return HeaderCheck::Refused; // the trailer, the end, or garbage before any image
        }
    }
}

// --- TIFF --------------------------------------------------------------------------------------

// The first directory (the page FreeImage loads) must name a width and a length inside the caps.
HeaderCheck CheckTiff(ByteReader& r) {
    std::uint8_t h[16];
    if (!r.ReadAt(0, h, 8)) return HeaderCheck::Refused;
    const bool little = h[0] == 'I' && h[1] == 'I';
    if (!little && !(h[0] == 'M' && h[1] == 'M')) return HeaderCheck::Refused;
    auto u16 = [little](const std::uint8_t* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [little](const std::uint8_t* p) { return little ? Le32(p) : Be32(p); };
    auto u64 = [little](const std::uint8_t* p) { return little ? Le64(p) : Be64(p); };
    const unsigned version = u16(h + 2);
    const bool big = version == 43;
    if (version != 42 && !big) return HeaderCheck::Refused;
    std::uint64_t directory;
    if (big) {
        if (!r.ReadAt(0, h, 16) || u16(h + 4) != 8) return HeaderCheck::Refused;
        directory = u64(h + 8);
    } else {
        directory = u32(h + 4);
    }
    std::uint8_t countBytes[8];
    if (!r.ReadAt(directory, countBytes, big ? 8 : 2)) return HeaderCheck::Refused;
    const std::uint64_t count = big ? u64(countBytes) : u16(countBytes);
    const std::size_t entrySize = big ? 20 : 12;
    if (count == 0 || count > 0xFFFF) return HeaderCheck::Refused;
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(count) * entrySize);
    if (!r.ReadAt(directory + (big ? 8 : 2), entries.data(), entries.size())) return HeaderCheck::Refused;
    std::uint64_t width = 0, length = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = entries.data() + i * entrySize;
        const unsigned tag = u16(e);
        if (tag != 256 && tag != 257) continue;
        const unsigned type = u16(e + 2);
        const std::uint8_t* value = e + (big ? 12 : 8);
        std::uint64_t v;
        if (type == 3) v = u16(value);        // SHORT
        else if (type == 4) v = u32(value);   // LONG
        else if (type == 16 && big) v = u64(value); // LONG8
        else return HeaderCheck::Refused;
        (tag == 256 ? width : length) = v;
    }
    return Verdict(PlausiblePictureSize(width, length));
}

// --- PSD ---------------------------------------------------------------------------------------

HeaderCheck CheckPsd(ByteReader& r) {
    std::uint8_t h[26];
    if (!r.ReadAt(0, h, sizeof h) || std::memcmp(h, "8BPS", 4) != 0) return HeaderCheck::Refused;
    const unsigned version = Be16(h + 4), channels = Be16(h + 12), depth = Be16(h + 22);
    if (version != 1 && version != 2) return HeaderCheck::Refused;
    if (channels < 1 || channels > 56) return HeaderCheck::Refused;
    if (depth != 1 && depth != 8 && depth != 16 && depth != 32) return HeaderCheck::Refused;
    const std::uint64_t width = Be32(h + 18), height = Be32(h + 14);
    if (!PlausiblePictureSize(width, height)) return HeaderCheck::Refused;

    // FreeImage decodes the merged image after three length-prefixed sections and fills what a
    // cut-short file lacks, so the data the header implies must be in the file.
    const bool big = version == 2;
    std::uint64_t position = sizeof h;
    for (int section = 0; section < 3; ++section) {
        std::uint8_t length[8];
        const std::size_t lengthBytes = section == 2 && big ? 8 : 4;
        if (!r.ReadAt(position, length, lengthBytes)) return HeaderCheck::Refused;
        const std::uint64_t bytes = lengthBytes == 8 ? Be64(length) : Be32(length);
        position += lengthBytes;
        if (bytes > r.Size() - position) return HeaderCheck::Refused;
        position += bytes;
    }
    std::uint8_t compressionBytes[2];
    if (!r.ReadAt(position, compressionBytes, 2)) return HeaderCheck::Refused;
    position += 2;
    const unsigned compression = Be16(compressionBytes);
    const std::uint64_t rows = std::uint64_t(channels) * height;
    const std::uint64_t rowBytes = (width * depth + 7) / 8;
    if (compression == 0) return Verdict(r.Size() - position >= rows * rowBytes);
    if (compression != 1) return HeaderCheck::Plausible;
    // PackBits: a table of each row's coded length, then the rows. FreeImage's unpacker trusts the
    // codes and writes past its row buffer when they ask for more than a row, so every row is
    // walked here: its codes must give exactly one row from exactly its coded bytes.
    const std::size_t countBytes = big ? 4 : 2;
    if (rows * countBytes > r.Size() - position) return HeaderCheck::Refused;
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
            if (coded > longestRow || coded > r.Size() - data) return HeaderCheck::Refused;
            row.resize(static_cast<std::size_t>(coded));
            if (!r.ReadAt(data, row.data(), row.size())) return HeaderCheck::Refused;
            data += coded;
            std::uint64_t produced = 0;
            for (std::size_t at = 0; at < row.size();) {
                const int code = static_cast<std::int8_t>(row[at++]);
                if (code == -128) continue; // no operation
                const std::uint64_t length = code >= 0 ? std::uint64_t(code) + 1 : std::uint64_t(1 - code);
                const std::size_t consumed = code >= 0 ? static_cast<std::size_t>(length) : 1;
                if (consumed > row.size() - at) return HeaderCheck::Refused;
                at += consumed;
                produced += length;
                if (produced > rowBytes) return HeaderCheck::Refused;
            }
            if (produced != rowBytes) return HeaderCheck::Refused;
        }
        done += n;
    }
    return HeaderCheck::Plausible;
}

// --- TARGA -------------------------------------------------------------------------------------

HeaderCheck CheckTarga(ByteReader& r) {
    std::uint8_t h[18];
    if (!r.ReadAt(0, h, sizeof h)) return HeaderCheck::Refused;
    const unsigned idLength = h[0], colourMapType = h[1], imageType = h[2];
    const unsigned mapLength = Le16(h + 5), mapEntryBits = h[7];
    const std::uint64_t width = Le16(h + 12), height = Le16(h + 14);
    const unsigned pixelBytes = (h[16] + 7u) / 8u;
    if (!PlausiblePictureSize(width, height)) return HeaderCheck::Refused;
    const std::uint64_t pixels = width * height;
    const std::uint64_t prefix =
        sizeof h + idLength + (colourMapType == 1 ? std::uint64_t(mapLength) * ((mapEntryBits + 7u) / 8u) : 0);
    if (imageType >= 1 && imageType <= 3) return Verdict(r.Size() >= prefix + pixels * pixelBytes);
    if (imageType >= 9 && imageType <= 11) {
        // An RLE packet covers at most 128 pixels with a count byte and at least one pixel value,
        // which bounds the size before the walk.
        if (r.Size() < prefix + (pixels + 127) / 128 * (1 + pixelBytes)) return HeaderCheck::Refused;
        // FreeImage fills whatever a cut-short packet stream leaves undefined and reports success,
        // so walk the packets: they must cover every pixel before the file ends.
        std::uint64_t covered = 0;
        r.Seek(prefix);
        while (covered < pixels) {
            const int packet = r.Get();
            if (packet < 0) return HeaderCheck::Refused;
            const unsigned count = (static_cast<unsigned>(packet) & 0x7Fu) + 1u;
            const std::uint64_t valueBytes = (packet & 0x80) ? pixelBytes : std::uint64_t(count) * pixelBytes;
            if (valueBytes > r.Size() - r.Position()) return HeaderCheck::Refused;
            r.Seek(r.Position() + valueBytes);
            covered += count;
        }
    }
    return HeaderCheck::Plausible;
}

// --- PCX ---------------------------------------------------------------------------------------

HeaderCheck CheckPcx(ByteReader& r) {
    std::uint8_t h[128];
    if (!r.ReadAt(0, h, sizeof h) || h[0] != 0x0A) return HeaderCheck::Refused;
    const unsigned bitsPerPixel = h[3];
    const unsigned xMin = Le16(h + 4), yMin = Le16(h + 6), xMax = Le16(h + 8), yMax = Le16(h + 10);
    const unsigned planes = h[65], bytesPerLine = Le16(h + 66);
    if (xMax < xMin || yMax < yMin || planes < 1 || bitsPerPixel < 1) return HeaderCheck::Refused;
    const std::uint64_t width = xMax - xMin + 1u, height = yMax - yMin + 1u;
    if (!PlausiblePictureSize(width, height)) return HeaderCheck::Refused;
    // Each plane's scan line has to hold a row of the picture.
    if (std::uint64_t(bytesPerLine) * 8 < width * bitsPerPixel) return HeaderCheck::Refused;
    // The run-length code turns two bytes into at most 63.
    const std::uint64_t decoded = height * planes * bytesPerLine;
    if (r.Size() < sizeof h + decoded / 63) return HeaderCheck::Refused;
    if (h[2] != 1) return Verdict(r.Size() - sizeof h >= decoded);
    // FreeImage fills the rows of a cut-short file and reports success, so walk the runs: they must
    // give every byte of every scan line before the file ends.
    r.Seek(sizeof h);
    for (std::uint64_t produced = 0; produced < decoded;) {
        const int code = r.Get();
        if (code < 0) return HeaderCheck::Refused;
        if ((code & 0xC0) == 0xC0) {
            if (r.Get() < 0) return HeaderCheck::Refused;
            produced += static_cast<unsigned>(code) & 0x3Fu;
        } else {
            ++produced;
        }
    }
    return HeaderCheck::Plausible;
}

// --- JPEG-2000 ---------------------------------------------------------------------------------

// The SIZ segment that opens every code stream: the reference grid, its offset and components.
HeaderCheck CheckCodeStream(ByteReader& r, std::uint64_t at) {
    std::uint8_t s[42];
    if (!r.ReadAt(at, s, sizeof s)) return HeaderCheck::Refused;
    if (Be16(s) != 0xFF4F || Be16(s + 2) != 0xFF51) return HeaderCheck::Refused;
    const std::uint32_t xSize = Be32(s + 8), ySize = Be32(s + 12);
    const std::uint32_t xOffset = Be32(s + 16), yOffset = Be32(s + 20);
    const std::uint32_t tileWidth = Be32(s + 24), tileHeight = Be32(s + 28);
    const unsigned components = Be16(s + 40);
    if (xSize <= xOffset || ySize <= yOffset || tileWidth == 0 || tileHeight == 0) return HeaderCheck::Refused;
    if (components < 1 || components > 16384 || Be16(s + 4) != 38 + 3 * components) return HeaderCheck::Refused;
    return Verdict(PlausiblePictureSize(xSize - xOffset, ySize - yOffset));
}

// A JP2 file is a list of boxes; the header box holds the image header, the code stream box the
// code stream. Both must be there and agree with the caps.
HeaderCheck CheckJp2(ByteReader& r) {
    constexpr int kMaxBoxes = 4096;
    bool sawHeader = false;
    std::uint64_t position = 0, end = r.Size();
    std::uint64_t headerEnd = 0; // inside the jp2h super box while position < headerEnd
    for (int boxes = 0; boxes < kMaxBoxes && position < end; ++boxes) {
        std::uint8_t b[16];
        if (!r.ReadAt(position, b, 8)) return HeaderCheck::Refused;
        std::uint64_t length = Be32(b);
        std::uint64_t headerBytes = 8;
        if (length == 1) {
            if (!r.ReadAt(position + 8, b + 8, 8)) return HeaderCheck::Refused;
            length = Be64(b + 8);
            headerBytes = 16;
        } else if (length == 0) {
            length = end - position; // runs to the end of the file
        }
        if (length < headerBytes || length > end - position) return HeaderCheck::Refused;
        const std::uint64_t content = position + headerBytes;
        if (std::memcmp(b + 4, "jp2h", 4) == 0) {
            headerEnd = position + length;
            position = content; // walk into the super box
            continue;
        }
        if (std::memcmp(b + 4, "ihdr", 4) == 0 && position < headerEnd) {
            std::uint8_t ihdr[10];
            if (!r.ReadAt(content, ihdr, sizeof ihdr)) return HeaderCheck::Refused;
            if (!PlausiblePictureSize(Be32(ihdr + 4), Be32(ihdr)) || Be16(ihdr + 8) < 1) {
                return HeaderCheck::Refused;
            }
            sawHeader = true;
        } else if (std::memcmp(b + 4, "jp2c", 4) == 0) {
            if (!sawHeader) return HeaderCheck::Refused;
            return CheckCodeStream(r, content);
        }
        position += length;
    }
    return HeaderCheck::Refused;
}

} // namespace

bool PlausiblePictureSize(std::uint64_t width, std::uint64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxSourceSide && height <= kMaxSourceSide &&
           width * height <= kMaxSourcePixels;
}

HeaderCheck CheckSourceHeader(ByteReader& reader, int formatCode) {
    if (!reader.Ok()) return HeaderCheck::Refused;
    switch (formatCode) {
    case FIF_BMP: return CheckBmp(reader);
    case FIF_JPEG: return CheckJpeg(reader);
    case FIF_PCX: return CheckPcx(reader);
    case FIF_PNG: return CheckPng(reader);
    case FIF_TARGA: return CheckTarga(reader);
    case FIF_TIFF: return CheckTiff(reader);
    case FIF_PSD: return CheckPsd(reader);
    case FIF_GIF: return CheckGif(reader);
    case FIF_JP2: return CheckJp2(reader);
    case FIF_J2K: return CheckCodeStream(reader, 0);
    default: return HeaderCheck::NotChecked;
    }
}

bool SourceHeaderIsPlausible(const std::string& path, int formatCode) {
    {
        ByteReader reader(path);
        const HeaderCheck check = CheckSourceHeader(reader, formatCode);
        if (check != HeaderCheck::NotChecked) return check == HeaderCheck::Plausible;
    }
    const auto format = static_cast<FREE_IMAGE_FORMAT>(formatCode);
    // Formats without a reader here: the plugin's own header-only load tells the size, where it has
    // one. Formats with neither (Koala, IFF, SGI, ...) go to the decoder unchecked.
    if (!FreeImage_FIFSupportsNoPixels(format)) return true;
    FIBITMAP* header = FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS);
    if (!header) return false;
    const bool plausible = PlausiblePictureSize(FreeImage_GetWidth(header), FreeImage_GetHeight(header));
    FreeImage_Unload(header);
    return plausible;
}

} // namespace tessoly
