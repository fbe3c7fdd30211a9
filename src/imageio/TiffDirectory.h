#pragma once
// The bounds-checked walk over one directory of a TIFF-shaped block (a TIFF file, or the Exif
// block of a JPEG), shared by the header checks and the output stage's Exif rewriting.

#include <cstddef>
#include <cstdint>

#include "imageio/ByteReader.h"

namespace tessoly {

// Bytes per value of TIFF types 1..13.
inline constexpr std::uint8_t kTypeBytes[14] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};

// One 12-byte directory entry, read with the block's byte order.
struct DirectoryEntry {
    unsigned tag;
    unsigned type;
    std::uint64_t bytes;             // the value's size
    std::uint32_t value;             // the value's offset when it does not fit the entry
    const std::uint8_t* inlineValue; // the value itself when it does
    std::size_t at;                  // the entry's own offset in the block
};

// Walks the directory at `at` in a TIFF-shaped block of n bytes, handing each entry to visit once
// its type is known and its value is known to lie inside the block. FreeImage trusts all of these,
// so a directory whose count, type or value offset points outside the block is refused, as is one
// that visit refuses. On success, count holds the number of entries.
template <typename Visit>
bool WalkDirectory(const std::uint8_t* t, std::size_t n, std::uint32_t at, bool little, std::size_t& count,
                   Visit&& visit) {
    auto u16 = [little](const std::uint8_t* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [little](const std::uint8_t* p) { return little ? Le32(p) : Be32(p); };
    if (at > n || n - at < 2)
        return false;
    count = u16(t + at);
    if ((n - at - 2) / 12 < count)
        return false;
    for (std::size_t e = 0; e < count; ++e) {
        const std::uint8_t* entry = t + at + 2 + 12 * e;
        const unsigned type = u16(entry + 2);
        if (type < 1 || type > 13)
            return false;
        const std::uint64_t bytes = std::uint64_t(u32(entry + 4)) * kTypeBytes[type];
        const std::uint32_t value = u32(entry + 8);
        if (bytes > 4 && (value > n || bytes > n - value))
            return false;
        if (!visit(DirectoryEntry{u16(entry), type, bytes, value, entry + 8, at + 2 + 12 * e}))
            return false;
    }
    return true;
}

//! Does an Exif block (the TIFF-shaped APP1 body after "Exif\0\0", n bytes) keep every
//! directory FreeImage reads, and every value stored outside its entry, inside its n bytes?
bool ExifBlockIsSound(const std::uint8_t* t, std::size_t n);

} // namespace tessoly
