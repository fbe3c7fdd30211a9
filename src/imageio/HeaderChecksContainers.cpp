// Header checks of the chunked and tagged formats (PNG, GIF, TIFF, JPEG-2000): the chunk, block,
// directory or box that states the picture size, read without trusting any offset or length.

#include <algorithm>
#include <cstring>
#include <vector>

#include "imageio/HeaderChecks.h"

namespace tessoly {

// --- PNG ---------------------------------------------------------------------------------------

HeaderCheck CheckPng(ByteReader& r) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::uint8_t h[33];
    if (!r.ReadAt(0, h, sizeof h))
        return HeaderCheck::Refused;
    if (std::memcmp(h, kSignature, 8) != 0 || Be32(h + 8) != 13 || std::memcmp(h + 12, "IHDR", 4) != 0) {
        return HeaderCheck::Refused;
    }
    const std::uint32_t width = Be32(h + 16), height = Be32(h + 20);
    const unsigned depth = h[24], colourType = h[25];
    if (!PlausiblePictureSize(width, height))
        return HeaderCheck::Refused;
    unsigned channels;
    bool depthOk;
    switch (colourType) {
    case 0:
        channels = 1;
        depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        break;
    case 2:
        channels = 3;
        depthOk = depth == 8 || depth == 16;
        break;
    case 3:
        channels = 1;
        depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8;
        break;
    case 4:
        channels = 2;
        depthOk = depth == 8 || depth == 16;
        break;
    case 6:
        channels = 4;
        depthOk = depth == 8 || depth == 16;
        break;
    default:
        return HeaderCheck::Refused;
    }
    if (!depthOk || h[26] != 0 || h[27] != 0 || h[28] > 1)
        return HeaderCheck::Refused;
    // Deflate packs at most 1032 bytes into one, so the file must hold at least that share of
    // the filtered rows: a tiny file claiming a huge picture is refused before anything is sized.
    const std::uint64_t rowBytes = (std::uint64_t(width) * depth * channels + 7) / 8 + 1;
    return Verdict(r.Size() >= sizeof h + rowBytes * height / 1032);
}

// --- GIF ---------------------------------------------------------------------------------------

namespace {

// Skips a chain of data sub-blocks (a length byte, that many bytes, ..., a zero length).
bool SkipSubBlocks(ByteReader& r) {
    for (;;) {
        const int length = r.Get();
        if (length < 0)
            return false;
        if (length == 0)
            return true;
        r.Seek(r.Position() + static_cast<unsigned>(length));
    }
}

} // namespace

// The first image of the file is what FreeImage loads by default: its descriptor must describe a
// real picture and its LZW code size must fit FreeImage's 12-bit string table.
HeaderCheck CheckGif(ByteReader& r, HeaderPictureSize* size) {
    std::uint8_t h[13];
    if (!r.ReadAt(0, h, sizeof h))
        return HeaderCheck::Refused;
    if (std::memcmp(h, "GIF87a", 6) != 0 && std::memcmp(h, "GIF89a", 6) != 0)
        return HeaderCheck::Refused;
    std::uint64_t position = sizeof h;
    if (h[10] & 0x80)
        position += 3u << ((h[10] & 7) + 1);
    r.Seek(position);
    for (;;) {
        const int block = r.Get();
        if (block == 0x21) {
            if (r.Get() < 0 || !SkipSubBlocks(r))
                return HeaderCheck::Refused;
        } else if (block == 0x2C) {
            std::uint8_t d[9];
            if (!r.ReadAt(r.Position(), d, sizeof d))
                return HeaderCheck::Refused;
            if (!PlausiblePictureSize(Le16(d + 4), Le16(d + 6)))
                return HeaderCheck::Refused;
            if (size != nullptr)
                *size = {Le16(d + 4), Le16(d + 6)};
            std::uint64_t next = r.Position() + sizeof d;
            if (d[8] & 0x80)
                next += 3u << ((d[8] & 7) + 1);
            std::uint8_t codeSize;
            if (!r.ReadAt(next, &codeSize, 1))
                return HeaderCheck::Refused;
            return Verdict(codeSize >= 1 && codeSize <= 11);
        } else {
            return HeaderCheck::Refused; // the trailer, the end, or garbage before any image
        }
    }
}

// Every frame of an animation, as the multi-page reader and the player decode them all: the
// logical screen and each frame inside the caps, each LZW code size inside the string table, and
// every frame's data present up to the trailer.
HeaderCheck CheckGifFrames(ByteReader& r) {
    std::uint8_t h[13];
    if (!r.ReadAt(0, h, sizeof h) || (std::memcmp(h, "GIF87a", 6) != 0 && std::memcmp(h, "GIF89a", 6) != 0))
        return HeaderCheck::Refused;
    if (!PlausiblePictureSize(std::max<unsigned>(Le16(h + 6), 1), std::max<unsigned>(Le16(h + 8), 1)))
        return HeaderCheck::Refused;
    std::uint64_t position = sizeof h;
    if (h[10] & 0x80)
        position += 3u << ((h[10] & 7) + 1);
    r.Seek(position);
    int frames = 0;
    for (;;) {
        const int block = r.Get();
        if (block == 0x21) {
            if (r.Get() < 0 || !SkipSubBlocks(r))
                return HeaderCheck::Refused;
        } else if (block == 0x2C) {
            std::uint8_t d[9];
            if (!r.ReadAt(r.Position(), d, sizeof d) || !PlausiblePictureSize(Le16(d + 4), Le16(d + 6)))
                return HeaderCheck::Refused;
            std::uint64_t next = r.Position() + sizeof d;
            if (d[8] & 0x80)
                next += 3u << ((d[8] & 7) + 1);
            std::uint8_t codeSize;
            if (!r.ReadAt(next, &codeSize, 1) || codeSize < 1 || codeSize > 11)
                return HeaderCheck::Refused;
            r.Seek(next + 1);
            if (!SkipSubBlocks(r))
                return HeaderCheck::Refused;
            ++frames;
        } else {
            // The trailer ends the frames; the end of the file or anything else after a frame
            // does too, as readers stop there.
            return Verdict(frames > 0);
        }
    }
}

// --- TIFF --------------------------------------------------------------------------------------

// The first directory (the page FreeImage loads) must name a width and a length inside the caps.
HeaderCheck CheckTiff(ByteReader& r) {
    std::uint8_t h[16];
    if (!r.ReadAt(0, h, 8))
        return HeaderCheck::Refused;
    const bool little = h[0] == 'I' && h[1] == 'I';
    if (!little && !(h[0] == 'M' && h[1] == 'M'))
        return HeaderCheck::Refused;
    auto u16 = [little](const std::uint8_t* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [little](const std::uint8_t* p) { return little ? Le32(p) : Be32(p); };
    auto u64 = [little](const std::uint8_t* p) { return little ? Le64(p) : Be64(p); };
    const unsigned version = u16(h + 2);
    const bool big = version == 43;
    if (version != 42 && !big)
        return HeaderCheck::Refused;
    std::uint64_t directory;
    if (big) {
        if (!r.ReadAt(0, h, 16) || u16(h + 4) != 8)
            return HeaderCheck::Refused;
        directory = u64(h + 8);
    } else {
        directory = u32(h + 4);
    }
    std::uint8_t countBytes[8];
    if (!r.ReadAt(directory, countBytes, big ? 8 : 2))
        return HeaderCheck::Refused;
    const std::uint64_t count = big ? u64(countBytes) : u16(countBytes);
    const std::size_t entrySize = big ? 20 : 12;
    if (count == 0 || count > 0xFFFF)
        return HeaderCheck::Refused;
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(count) * entrySize);
    if (!r.ReadAt(directory + (big ? 8 : 2), entries.data(), entries.size()))
        return HeaderCheck::Refused;
    std::uint64_t width = 0, length = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = entries.data() + i * entrySize;
        const unsigned tag = u16(e);
        if (tag != 256 && tag != 257)
            continue;
        const unsigned type = u16(e + 2);
        const std::uint8_t* value = e + (big ? 12 : 8);
        std::uint64_t v;
        if (type == 3)
            v = u16(value); // SHORT
        else if (type == 4)
            v = u32(value); // LONG
        else if (type == 16 && big)
            v = u64(value); // LONG8
        else
            return HeaderCheck::Refused;
        (tag == 256 ? width : length) = v;
    }
    return Verdict(PlausiblePictureSize(width, length));
}

// --- JPEG-2000 ---------------------------------------------------------------------------------

// The SIZ segment that opens every code stream: the reference grid, its offset and components.
HeaderCheck CheckCodeStream(ByteReader& r, std::uint64_t at, HeaderPictureSize* size) {
    std::uint8_t s[42];
    if (!r.ReadAt(at, s, sizeof s))
        return HeaderCheck::Refused;
    if (Be16(s) != 0xFF4F || Be16(s + 2) != 0xFF51)
        return HeaderCheck::Refused;
    const std::uint32_t xSize = Be32(s + 8), ySize = Be32(s + 12);
    const std::uint32_t xOffset = Be32(s + 16), yOffset = Be32(s + 20);
    const std::uint32_t tileWidth = Be32(s + 24), tileHeight = Be32(s + 28);
    const unsigned components = Be16(s + 40);
    if (xSize <= xOffset || ySize <= yOffset || tileWidth == 0 || tileHeight == 0)
        return HeaderCheck::Refused;
    if (components < 1 || components > 16384 || Be16(s + 4) != 38 + 3 * components)
        return HeaderCheck::Refused;
    if (size != nullptr)
        *size = {xSize - xOffset, ySize - yOffset};
    return Verdict(PlausiblePictureSize(xSize - xOffset, ySize - yOffset));
}

// A JP2 file is a list of boxes; the header box holds the image header, the code stream box the
// code stream. Both must be there and agree with the caps.
HeaderCheck CheckJp2(ByteReader& r, HeaderPictureSize* size) {
    constexpr int kMaxBoxes = 4096;
    bool sawHeader = false;
    std::uint64_t position = 0, end = r.Size();
    std::uint64_t headerEnd = 0; // inside the jp2h super box while position < headerEnd
    for (int boxes = 0; boxes < kMaxBoxes && position < end; ++boxes) {
        std::uint8_t b[16];
        if (!r.ReadAt(position, b, 8))
            return HeaderCheck::Refused;
        std::uint64_t length = Be32(b);
        std::uint64_t headerBytes = 8;
        if (length == 1) {
            if (!r.ReadAt(position + 8, b + 8, 8))
                return HeaderCheck::Refused;
            length = Be64(b + 8);
            headerBytes = 16;
        } else if (length == 0) {
            length = end - position; // runs to the end of the file
        }
        if (length < headerBytes || length > end - position)
            return HeaderCheck::Refused;
        const std::uint64_t content = position + headerBytes;
        if (std::memcmp(b + 4, "jp2h", 4) == 0) {
            headerEnd = position + length;
            position = content; // walk into the super box
            continue;
        }
        if (std::memcmp(b + 4, "ihdr", 4) == 0 && position < headerEnd) {
            std::uint8_t ihdr[10];
            if (!r.ReadAt(content, ihdr, sizeof ihdr))
                return HeaderCheck::Refused;
            if (!PlausiblePictureSize(Be32(ihdr + 4), Be32(ihdr)) || Be16(ihdr + 8) < 1) {
                return HeaderCheck::Refused;
            }
            sawHeader = true;
        } else if (std::memcmp(b + 4, "jp2c", 4) == 0) {
            if (!sawHeader)
                return HeaderCheck::Refused;
            return CheckCodeStream(r, content, size);
        }
        position += length;
    }
    return HeaderCheck::Refused;
}

} // namespace tessoly
