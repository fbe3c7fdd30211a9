// The JPEG header check: the marker structure from SOI to EOI, the frame header, the scan headers
// and the Exif block that FreeImage reads from APP1. See HeaderSanity.h for why.

#include <algorithm>
#include <cstring>
#include <vector>

#include "imageio/HeaderChecks.h"
#include "imageio/TiffDirectory.h"

namespace tessoly {

namespace {

bool IsStartOfFrame(int marker) {
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// A Canon maker note is a directory whose offsets count from the Exif block's start. FreeImage
// splits some of its tags into arrays of 16-bit values whatever type they declare, and reads past
// the value when the type is narrower: those tags must be SHORT (as Canon writes them), and every
// value must lie inside the block.
bool CanonMakerNoteIsSound(const std::uint8_t* t, std::size_t n, std::uint32_t at, bool little) {
    std::size_t count = 0;
    return WalkDirectory(t, n, at, little, count, [](const DirectoryEntry& entry) {
        const unsigned tag = entry.tag;
        const bool splitIntoShorts = tag == 0x0001 || tag == 0x0002 || tag == 0x0004 || tag == 0x0012 ||
                                     tag == 0x00A0 || tag == 0x00E0;
        return !splitIntoShorts || entry.type == 3;
    });
}

} // namespace

// An Exif block (the APP1 body after "Exif\0\0") is a little TIFF file. FreeImage's Exif reader
// follows its directory counts and value offsets without comparing them with the block's length,
// so every directory it reads (IFD0, the next one, the Exif, GPS and interoperability ones) must
// lie inside the block, and so must every value stored outside its entry.
bool ExifBlockIsSound(const std::uint8_t* t, std::size_t n) {
    if (n < 8)
        return false;
    const bool little = t[0] == 'I' && t[1] == 'I';
    if (!little && !(t[0] == 'M' && t[1] == 'M'))
        return false;
    auto u16 = [little](const std::uint8_t* p) { return little ? Le16(p) : Be16(p); };
    auto u32 = [little](const std::uint8_t* p) { return little ? Le32(p) : Be32(p); };
    if (u16(t + 2) != 42)
        return false;
    constexpr int kMaxDirectories = 16;
    std::uint32_t pending[kMaxDirectories];
    std::uint32_t seen[kMaxDirectories];
    int pendingCount = 0, seenCount = 0;
    pending[pendingCount++] = u32(t + 4);
    bool first = true;
    bool canon = false;
    std::uint32_t makerNoteAt = 0;
    std::uint64_t makerNoteBytes = 0;
    while (pendingCount > 0) {
        const std::uint32_t at = pending[--pendingCount];
        for (int i = 0; i < seenCount; ++i) {
            if (seen[i] == at)
                return false; // a loop
        }
        if (seenCount == kMaxDirectories)
            return false;
        seen[seenCount++] = at;
        std::size_t count = 0;
        const bool sound = WalkDirectory(t, n, at, little, count, [&](const DirectoryEntry& entry) {
            if (entry.tag == 0x010F) {
                const std::uint8_t* make = entry.bytes > 4 ? t + entry.value : entry.inlineValue;
                canon = entry.bytes >= 5 && std::memcmp(make, "Canon", 5) == 0;
            }
            if (entry.tag == 0x927C && entry.bytes > 4) {
                makerNoteAt = entry.value;
                makerNoteBytes = entry.bytes;
            }
            if (entry.tag == 0x8769 || entry.tag == 0x8825 || entry.tag == 0xA005) {
                if (pendingCount == kMaxDirectories)
                    return false;
                pending[pendingCount++] = entry.value;
            }
            return true;
        });
        if (!sound)
            return false;
        // IFD0 links to IFD1 (the thumbnail's directory); later links are not followed by readers.
        const std::size_t linkAt = at + 2 + 12 * count;
        if (first && n - linkAt >= 4) {
            const std::uint32_t next = u32(t + linkAt);
            if (next != 0) {
                if (pendingCount == kMaxDirectories)
                    return false;
                pending[pendingCount++] = next;
            }
        }
        first = false;
    }
    return !canon || makerNoteBytes == 0 || CanonMakerNoteIsSound(t, n, makerNoteAt, little);
}

// Walks the marker structure from SOI to EOI the way libjpeg does (garbage between segments is
// skipped, as libjpeg skips it with a warning). A file that ends before its EOI marker is cut
// short: libjpeg would fill the missing rows with grey and call it a success. With stopAtFirstScan
// the walk ends at the first scan header, as libjpeg's jpeg_read_header does.
HeaderCheck CheckJpeg(ByteReader& r, bool stopAtFirstScan) {
    r.Seek(0);
    if (r.Get() != 0xFF || r.Get() != 0xD8)
        return HeaderCheck::Refused;
    bool sawFrame = false;
    bool sawScan = false;
    for (;;) {
        if (!r.SkipPastNextFF())
            return HeaderCheck::Refused;
        int marker = r.Get();
        while (marker == 0xFF)
            marker = r.Get();
        if (marker < 0)
            return HeaderCheck::Refused;
        // Stuffed zero, restart markers and TEM carry no segment; inside scan data they are normal.
        if (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue;
        if (marker == 0xD9)
            return Verdict(sawFrame && sawScan);
        if (marker == 0xD8)
            return HeaderCheck::Refused;

        std::uint8_t lengthBytes[2];
        if (!r.ReadAt(r.Position(), lengthBytes, 2))
            return HeaderCheck::Refused;
        const std::uint16_t length = Be16(lengthBytes);
        if (length < 2)
            return HeaderCheck::Refused;
        const std::uint64_t body = r.Position() + 2;
        const std::size_t bodyLength = length - 2u;

        if (IsStartOfFrame(marker)) {
            if (sawFrame || bodyLength < 6)
                return HeaderCheck::Refused;
            std::uint8_t frame[6 + 3 * 255];
            const std::size_t want = bodyLength < sizeof frame ? bodyLength : sizeof frame;
            if (!r.ReadAt(body, frame, want))
                return HeaderCheck::Refused;
            const unsigned height = Be16(frame + 1);
            const unsigned width = Be16(frame + 3);
            const unsigned components = frame[5];
            // FreeImage handles grey, RGB/YCbCr and CMYK/YCCK only; more corrupts its heap.
            if (components < 1 || components > 4 || bodyLength != 6 + 3 * components) {
                return HeaderCheck::Refused;
            }
            // A zero height would be defined later by a DNL marker, which libjpeg does not support.
            if (!PlausiblePictureSize(width, height))
                return HeaderCheck::Refused;
            for (unsigned c = 0; c < components; ++c) {
                const unsigned sampling = frame[6 + 3 * c + 1];
                const unsigned h = sampling >> 4, v = sampling & 15u;
                if (h < 1 || h > 4 || v < 1 || v > 4 || frame[6 + 3 * c + 2] > 3)
                    return HeaderCheck::Refused;
            }
            sawFrame = true;
        } else if (marker == 0xE1 && bodyLength >= 6) {
            std::vector<std::uint8_t> app(bodyLength);
            if (!r.ReadAt(body, app.data(), bodyLength))
                return HeaderCheck::Refused;
            if (std::memcmp(app.data(), "Exif\0\0", 6) == 0 &&
                !ExifBlockIsSound(app.data() + 6, bodyLength - 6)) {
                return HeaderCheck::Refused;
            }
        } else if (marker == 0xDA) {
            if (!sawFrame || bodyLength < 1)
                return HeaderCheck::Refused;
            std::uint8_t count;
            if (!r.ReadAt(body, &count, 1))
                return HeaderCheck::Refused;
            if (count < 1 || count > 4 || bodyLength != 4u + 2u * count)
                return HeaderCheck::Refused;
            sawScan = true;
            // A header-only load stops here: the scan data is the pixels' business.
            if (stopAtFirstScan)
                return HeaderCheck::Plausible;
        }
        r.Seek(body + bodyLength);
    }
}

} // namespace tessoly
