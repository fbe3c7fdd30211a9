#include "imageio/ExifRewrite.h"

#include <algorithm>
#include <cstring>

#include "imageio/TiffDirectory.h"

namespace tessoly {

namespace {

constexpr unsigned kTypeShort = 3;
constexpr unsigned kTypeLong = 4;

//! Writes a block in its own byte order.
struct BlockWriter {
    std::uint8_t* t;
    bool little;
    void Put16(std::size_t at, unsigned v) const {
        t[at + (little ? 0 : 1)] = static_cast<std::uint8_t>(v);
        t[at + (little ? 1 : 0)] = static_cast<std::uint8_t>(v >> 8);
    }
    void Put32(std::size_t at, std::uint32_t v) const {
        for (int i = 0; i < 4; ++i)
            t[at + (little ? i : 3 - i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    std::uint32_t Get32(std::size_t at) const { return little ? Le32(t + at) : Be32(t + at); }
};

//! Sets a single SHORT or LONG value held in its entry; a SHORT too small for value, or any
//! other shape, is left alone.
void SetCount(const BlockWriter& w, const DirectoryEntry& entry, std::uint32_t value) {
    if (entry.bytes == 2 && entry.type == kTypeShort && value <= 0xFFFF) {
        w.Put16(entry.at + 8, value);
    } else if (entry.bytes == 4 && entry.type == kTypeLong) {
        w.Put32(entry.at + 8, value);
    }
}

//! Zeroes bytes [offset, offset + length) of the n-byte block, as far as they lie inside it.
void Zero(std::uint8_t* t, std::size_t n, std::uint64_t offset, std::uint64_t length) {
    if (offset >= n)
        return;
    std::memset(t + offset, 0, static_cast<std::size_t>(std::min<std::uint64_t>(length, n - offset)));
}

//! The single SHORT or LONG value of an entry, or 0.
std::uint32_t SingleValue(const BlockWriter& w, const DirectoryEntry& entry) {
    if (entry.bytes == 2 && entry.type == kTypeShort)
        return w.little ? Le16(entry.inlineValue) : Be16(entry.inlineValue);
    if (entry.bytes == 4 && entry.type == kTypeLong)
        return w.Get32(entry.at + 8);
    return 0;
}

//! Unlinks IFD1 from IFD0 and zeroes it with the thumbnail it describes.
bool DropThumbnail(const BlockWriter& w, std::size_t n, std::size_t linkAt) {
    const std::uint32_t ifd1 = w.Get32(linkAt);
    w.Put32(linkAt, 0);
    if (ifd1 == 0)
        return true;
    std::uint64_t jpegAt = 0, jpegBytes = 0, stripAt = 0, stripBytes = 0;
    std::size_t count = 0;
    const bool sound = WalkDirectory(w.t, n, ifd1, w.little, count, [&](const DirectoryEntry& entry) {
        if (entry.tag == 0x0201)
            jpegAt = SingleValue(w, entry);
        else if (entry.tag == 0x0202)
            jpegBytes = SingleValue(w, entry);
        else if (entry.tag == 0x0111)
            stripAt = SingleValue(w, entry);
        else if (entry.tag == 0x0117)
            stripBytes = SingleValue(w, entry);
        return true;
    });
    if (!sound)
        return false;
    Zero(w.t, n, jpegAt, jpegBytes);
    Zero(w.t, n, stripAt, stripBytes);
    Zero(w.t, n, ifd1, 2 + 12 * std::uint64_t(count) + 4);
    return true;
}

} // namespace

bool RewriteExifBlock(std::vector<std::uint8_t>& block, const ExifUpdate& update) {
    const std::size_t start = block.size() >= 6 && std::memcmp(block.data(), "Exif\0\0", 6) == 0 ? 6 : 0;
    std::uint8_t* t = block.data() + start;
    const std::size_t n = block.size() - start;
    if (!ExifBlockIsSound(t, n))
        return false;
    const BlockWriter w{t, t[0] == 'I'};
    const std::uint32_t ifd0 = w.Get32(4);
    std::uint32_t exifIfd = 0;
    std::size_t count = 0;
    WalkDirectory(t, n, ifd0, w.little, count, [&](const DirectoryEntry& entry) {
        if (entry.tag == 0x0112 && update.orientationUpright)
            SetCount(w, entry, 1);
        else if (entry.tag == 0x0100)
            SetCount(w, entry, update.width);
        else if (entry.tag == 0x0101)
            SetCount(w, entry, update.height);
        else if (entry.tag == 0x8769)
            exifIfd = entry.value; // followed as the soundness check follows it
        return true;
    });
    // The soundness check has walked IFD0 already; a link that does not fit is no link.
    const std::size_t linkAt = ifd0 + 2 + 12 * count;
    if (n >= 4 && linkAt <= n - 4 && !DropThumbnail(w, n, linkAt))
        return false;
    if (exifIfd != 0) {
        WalkDirectory(t, n, exifIfd, w.little, count, [&](const DirectoryEntry& entry) {
            if (entry.tag == 0xA002)
                SetCount(w, entry, update.width);
            else if (entry.tag == 0xA003)
                SetCount(w, entry, update.height);
            return true;
        });
    }
    return true;
}

} // namespace tessoly
