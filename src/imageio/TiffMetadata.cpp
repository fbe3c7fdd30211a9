#include "imageio/TiffMetadata.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "imageio/TiffDirectory.h"

namespace tessoly {

namespace {

constexpr unsigned kTypeShort = 3;
constexpr unsigned kTypeLong = 4;
constexpr unsigned kTypeUndefined = 7;
constexpr unsigned kTagOrientation = 0x0112;
constexpr unsigned kTagIptc = 0x83BB;
constexpr unsigned kTagExifIfd = 0x8769;
constexpr unsigned kTagGpsIfd = 0x8825;
constexpr unsigned kTagInteropIfd = 0xA005;
constexpr unsigned kTagMakerNote = 0x927C;
constexpr unsigned kTagPixelXDimension = 0xA002;
constexpr unsigned kTagPixelYDimension = 0xA003;

//! The descriptive IFD0 tags of a camera's Exif that a TIFF's own first directory holds.
bool IsDescriptiveTag(unsigned tag) {
    switch (tag) {
    case 0x010E: // ImageDescription
    case 0x010F: // Make
    case 0x0110: // Model
    case 0x0131: // Software
    case 0x0132: // DateTime
    case 0x013B: // Artist
    case 0x8298: // Copyright
        return true;
    default:
        return false;
    }
}

//! One directory entry in the output's byte order; value holds the value itself when it fits,
//! otherwise its offset.
struct Entry {
    unsigned tag = 0;
    unsigned type = 0;
    std::uint32_t count = 0;
    std::uint8_t value[4] = {0, 0, 0, 0};
};

//! Builds the output file: the library's bytes followed by what is appended.
class TiffBuilder {
public:
    TiffBuilder(const std::uint8_t* data, std::size_t size, bool little)
        : out_(data, data + size), little_(little) {}

    bool Little() const { return little_; }
    std::vector<std::uint8_t>& Bytes() { return out_; }

    //! Appends bytes at an even offset (TIFF values start on a word boundary); returns it.
    std::uint32_t Append(const std::uint8_t* bytes, std::size_t count) {
        if (out_.size() % 2 != 0)
            out_.push_back(0);
        const auto at = static_cast<std::uint32_t>(out_.size());
        out_.insert(out_.end(), bytes, bytes + count);
        return at;
    }
    void Put32(std::uint8_t* at, std::uint32_t v) const {
        for (int i = 0; i < 4; ++i)
            at[little_ ? i : 3 - i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void Put16(std::uint8_t* at, unsigned v) const {
        at[little_ ? 0 : 1] = static_cast<std::uint8_t>(v);
        at[little_ ? 1 : 0] = static_cast<std::uint8_t>(v >> 8);
    }
    Entry PointerEntry(unsigned tag, std::uint32_t offset) const {
        Entry e{tag, kTypeLong, 1, {}};
        Put32(e.value, offset);
        return e;
    }
    //! An entry for count values of type held in bytes (already in the output's order).
    Entry ValueEntry(unsigned tag, unsigned type, std::uint32_t count, const std::vector<std::uint8_t>& bytes) {
        Entry e{tag, type, count, {}};
        if (bytes.empty())
            return e;
        if (bytes.size() <= 4)
            std::memcpy(e.value, bytes.data(), bytes.size());
        else
            Put32(e.value, Append(bytes.data(), bytes.size()));
        return e;
    }
    //! Appends a directory of entries, sorted by tag as TIFF requires; returns its offset.
    std::uint32_t AppendDirectory(std::vector<Entry> entries, std::uint32_t next) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
        std::vector<std::uint8_t> ifd(2 + 12 * entries.size() + 4);
        Put16(ifd.data(), static_cast<unsigned>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::uint8_t* e = ifd.data() + 2 + 12 * i;
            Put16(e, entries[i].tag);
            Put16(e + 2, entries[i].type);
            Put32(e + 4, entries[i].count);
            std::memcpy(e + 8, entries[i].value, 4);
        }
        Put32(ifd.data() + ifd.size() - 4, next);
        return Append(ifd.data(), ifd.size());
    }

private:
    std::vector<std::uint8_t> out_;
    bool little_;
};

//! Bytes of a value turned from one byte order to another, unit by unit.
std::vector<std::uint8_t> InOrder(const std::uint8_t* value, std::uint64_t bytes, unsigned type, bool fromLittle,
                                  bool toLittle) {
    std::vector<std::uint8_t> v(value, value + bytes);
    // Rationals are two 4-byte numbers; the one-byte types have no order.
    const unsigned unit = (type == 5 || type == 10) ? 4u : kTypeBytes[type];
    if (fromLittle != toLittle && unit > 1) {
        for (std::size_t at = 0; at + unit <= v.size(); at += unit)
            std::reverse(v.begin() + static_cast<std::ptrdiff_t>(at), v.begin() + static_cast<std::ptrdiff_t>(at + unit));
    }
    return v;
}

//! Reads the source Exif block and copies its directories into the builder.
class ExifCopier {
public:
    ExifCopier(const std::vector<std::uint8_t>& exif, TiffBuilder& builder)
        : t_(exif.data()), n_(exif.size()), little_(exif.size() >= 2 && exif[0] == 'I'), builder_(builder) {}

    bool Little() const { return little_; }
    std::uint32_t FirstDirectory() const { return little_ ? Le32(t_ + 4) : Be32(t_ + 4); }

    Entry CopyEntry(const DirectoryEntry& e) {
        const std::uint8_t* value = e.bytes > 4 ? t_ + e.value : e.inlineValue;
        // Exif lets the pixel dimensions be SHORT; libtiff's reader takes LONG only.
        if ((e.tag == kTagPixelXDimension || e.tag == kTagPixelYDimension) && e.type == kTypeShort && e.bytes == 2) {
            const std::uint32_t number = little_ ? Le16(value) : Be16(value);
            Entry widened{e.tag, kTypeLong, 1, {}};
            builder_.Put32(widened.value, number);
            return widened;
        }
        return builder_.ValueEntry(e.tag, e.type, static_cast<std::uint32_t>(e.bytes / kTypeBytes[e.type]),
                                   InOrder(value, e.bytes, e.type, little_, builder_.Little()));
    }

    //! Copies the directory at `at` (an Exif, GPS or interoperability one), its values moved;
    //! returns its new offset, or nothing when it does not lie inside the block.
    std::optional<std::uint32_t> CopyDirectory(std::uint32_t at, bool withInterop) {
        std::vector<Entry> entries;
        std::size_t count = 0;
        const bool sound = WalkDirectory(t_, n_, at, little_, count, [&](const DirectoryEntry& e) {
            if (e.tag == kTagMakerNote)
                return true;
            if (e.tag == kTagInteropIfd) {
                if (withInterop) {
                    if (const auto moved = CopyDirectory(e.value, false))
                        entries.push_back(builder_.PointerEntry(e.tag, *moved));
                }
                return true;
            }
            entries.push_back(CopyEntry(e));
            return true;
        });
        if (!sound)
            return std::nullopt;
        return builder_.AppendDirectory(std::move(entries), 0);
    }

    //! The entries the output's first directory takes from the source's IFD0.
    bool FirstDirectoryEntries(std::vector<Entry>& entries) {
        std::size_t count = 0;
        return WalkDirectory(t_, n_, FirstDirectory(), little_, count, [&](const DirectoryEntry& e) {
            if (IsDescriptiveTag(e.tag) || e.tag == kTagOrientation) {
                entries.push_back(CopyEntry(e));
            } else if (e.tag == kTagExifIfd || e.tag == kTagGpsIfd) {
                if (const auto moved = CopyDirectory(e.value, e.tag == kTagExifIfd))
                    entries.push_back(builder_.PointerEntry(e.tag, *moved));
            }
            return true;
        });
    }

private:
    const std::uint8_t* t_;
    std::size_t n_;
    bool little_;
    TiffBuilder& builder_;
};

} // namespace

std::vector<std::uint8_t> AddTiffMetadata(const std::uint8_t* data, std::size_t size,
                                          const std::vector<std::uint8_t>& exif,
                                          const std::vector<std::uint8_t>& iptc) {
    if (size < 8 || (exif.empty() && iptc.empty()))
        return {};
    const bool little = data[0] == 'I' && data[1] == 'I';
    if (!little && !(data[0] == 'M' && data[1] == 'M'))
        return {};
    if ((little ? Le16(data + 2) : Be16(data + 2)) != 42)
        return {};
    if (!exif.empty() && !ExifBlockIsSound(exif.data(), exif.size()))
        return {};

    // The library's first directory, its entries kept as they are.
    const std::uint32_t first = little ? Le32(data + 4) : Be32(data + 4);
    std::vector<Entry> entries;
    std::size_t count = 0;
    const bool sound = WalkDirectory(data, size, first, little, count, [&](const DirectoryEntry& e) {
        Entry kept{e.tag, e.type, 0, {}};
        const std::uint8_t* raw = data + e.at;
        kept.count = little ? Le32(raw + 4) : Be32(raw + 4);
        std::memcpy(kept.value, raw + 8, 4);
        entries.push_back(kept);
        return true;
    });
    const std::size_t linkAt = first + 2 + 12 * count;
    if (!sound || size - linkAt < 4)
        return {};
    const std::uint32_t next = little ? Le32(data + linkAt) : Be32(data + linkAt);

    TiffBuilder builder(data, size, little);
    std::vector<Entry> added;
    if (!exif.empty()) {
        ExifCopier copier(exif, builder);
        if (!copier.FirstDirectoryEntries(added))
            return {};
    }
    if (!iptc.empty()) {
        // Whole 4-byte units with a zero after the last record: readers that take the block as
        // LONG values get all of it, and record parsers stop at the padding.
        std::vector<std::uint8_t> padded(iptc);
        padded.resize((iptc.size() + 4) & ~std::size_t(3), 0);
        added.push_back(builder.ValueEntry(kTagIptc, kTypeUndefined, static_cast<std::uint32_t>(padded.size()), padded));
    }
    // What the source says replaces what the library wrote (its Orientation 1, its cut IPTC).
    for (const Entry& a : added) {
        entries.erase(std::remove_if(entries.begin(), entries.end(), [&a](const Entry& e) { return e.tag == a.tag; }),
                      entries.end());
    }
    entries.insert(entries.end(), added.begin(), added.end());
    const std::uint32_t directory = builder.AppendDirectory(std::move(entries), next);
    // A classic TIFF's offsets are 32 bits: a file that outgrew them would point nowhere.
    if (builder.Bytes().size() > 0xFFFFFFFFu)
        return {};
    builder.Put32(builder.Bytes().data() + 4, directory);
    return std::move(builder.Bytes());
}

} // namespace tessoly
