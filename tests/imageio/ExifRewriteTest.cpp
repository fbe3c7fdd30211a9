// The in-place Exif rewrite: dimensions, orientation and the thumbnail directory, in both byte
// orders, and the refusal of blocks whose directories do not lie inside them.

#include "imageio/ExifRewrite.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/TiffMetadata.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace tessoly {
namespace {

//! Writes a TIFF-shaped block in either byte order.
struct Block {
    bool big = false;
    std::vector<std::uint8_t> b;
    void U16(std::size_t at, unsigned v) {
        b[at + (big ? 1 : 0)] = static_cast<std::uint8_t>(v);
        b[at + (big ? 0 : 1)] = static_cast<std::uint8_t>(v >> 8);
    }
    void U32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + (big ? 3 - i : i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    unsigned R16(std::size_t at) const { return big ? (b[at] << 8 | b[at + 1]) : (b[at] | b[at + 1] << 8); }
    std::uint32_t R32(std::size_t at) const {
        return big ? (std::uint32_t(R16(at)) << 16 | R16(at + 2)) : (R16(at) | std::uint32_t(R16(at + 2)) << 16);
    }
    //! An entry whose value fits it; SHORT values sit in the entry's first two bytes.
    void Entry(std::size_t at, unsigned tag, unsigned type, unsigned count, std::uint32_t value) {
        U16(at, tag);
        U16(at + 2, type);
        U32(at + 4, count);
        if (type == 3 && count == 1) {
            U32(at + 8, 0);
            U16(at + 8, value);
        } else {
            U32(at + 8, value);
        }
    }
};

// Offsets of the fixture's parts.
constexpr std::size_t kIfd0 = 8, kExif = 52, kNote = 94, kIfd1 = 110, kThumb = 152, kSize = 168;

//! IFD0 (Orientation 8, ImageWidth SHORT, the Exif pointer) -> IFD1 (a 16-byte "thumbnail");
//! the Exif directory has PixelXDimension LONG, PixelYDimension SHORT and a 16-byte maker note.
Block Fixture(bool big) {
    Block k{big, std::vector<std::uint8_t>(kSize, 0)};
    k.b[0] = k.b[1] = big ? 'M' : 'I';
    k.U16(2, 42);
    k.U32(4, kIfd0);
    k.U16(kIfd0, 3);
    k.Entry(kIfd0 + 2, 0x0100, 3, 1, 4000);
    k.Entry(kIfd0 + 14, 0x0112, 3, 1, 8);
    k.Entry(kIfd0 + 26, 0x8769, 4, 1, kExif);
    k.U32(kIfd0 + 38, kIfd1);
    k.U16(kExif, 3);
    k.Entry(kExif + 2, 0xA002, 4, 1, 4000);
    k.Entry(kExif + 14, 0xA003, 3, 1, 3000);
    k.Entry(kExif + 26, 0x927C, 7, 16, kNote);
    for (std::size_t i = 0; i < 16; ++i)
        k.b[kNote + i] = static_cast<std::uint8_t>(0xA0 + i);
    k.U16(kIfd1, 3);
    k.Entry(kIfd1 + 2, 0x0103, 3, 1, 6);
    k.Entry(kIfd1 + 14, 0x0201, 4, 1, kThumb);
    k.Entry(kIfd1 + 26, 0x0202, 4, 1, 16);
    for (std::size_t i = 0; i < 16; ++i)
        k.b[kThumb + i] = static_cast<std::uint8_t>(0xD0 + i);
    return k;
}

TEST(ExifRewriteTest, DimensionsOrientationAndThumbnailInBothByteOrders) {
    for (const bool big : {false, true}) {
        for (const bool upright : {false, true}) {
            Block k = Fixture(big);
            const std::vector<std::uint8_t> before = k.b;
            ASSERT_TRUE(RewriteExifBlock(k.b, {800, 600, upright}));
            ASSERT_EQ(k.b.size(), before.size()) << "nothing moves";
            EXPECT_EQ(k.R16(kIfd0 + 2 + 8), 800u);
            EXPECT_EQ(k.R16(kIfd0 + 14 + 8), upright ? 1u : 8u);
            EXPECT_EQ(k.R32(kExif + 2 + 8), 800u);
            EXPECT_EQ(k.R16(kExif + 14 + 8), 600u);
            EXPECT_EQ(k.R32(kIfd0 + 38), 0u) << "IFD1 unlinked";
            EXPECT_TRUE(std::all_of(k.b.begin() + kIfd1, k.b.end(), [](std::uint8_t v) { return v == 0; }))
                << "IFD1 and its thumbnail zeroed";
            EXPECT_TRUE(std::equal(k.b.begin() + kNote, k.b.begin() + kNote + 16, before.begin() + kNote))
                << "maker note untouched";
        }
    }
}

TEST(ExifRewriteTest, AnOpeningExifMarkerIsKeptAndASideTooLongForShortStaysAsItWas) {
    Block k = Fixture(false);
    std::vector<std::uint8_t> withMarker = {'E', 'x', 'i', 'f', 0, 0};
    withMarker.insert(withMarker.end(), k.b.begin(), k.b.end());
    ASSERT_TRUE(RewriteExifBlock(withMarker, {70000, 600, false}));
    EXPECT_EQ(std::memcmp(withMarker.data(), "Exif\0\0", 6), 0);
    k.b.assign(withMarker.begin() + 6, withMarker.end());
    EXPECT_EQ(k.R16(kIfd0 + 2 + 8), 4000u);  // SHORT cannot hold 70000
    EXPECT_EQ(k.R32(kExif + 2 + 8), 70000u); // LONG can
}

TEST(ExifRewriteTest, MalformedBlocksAreRefused) {
    struct Case {
        const char* what;
        void (*spoil)(Block&);
    };
    const Case cases[] = {
        {"IFD0 past the end", [](Block& k) { k.U32(4, 4000); }},
        {"entry count past the end", [](Block& k) { k.U16(kIfd0, 400); }},
        {"Exif directory past the end", [](Block& k) { k.Entry(kIfd0 + 26, 0x8769, 4, 1, 9999); }},
        {"maker note past the end", [](Block& k) { k.Entry(kExif + 26, 0x927C, 7, 999, kNote); }},
        {"IFD1 past the end", [](Block& k) { k.U32(kIfd0 + 38, kSize - 4); }},
        {"not a TIFF header", [](Block& k) { k.U16(2, 43); }},
        {"a directory loop", [](Block& k) { k.U32(kIfd0 + 38, kIfd0); }},
    };
    for (const Case& c : cases) {
        Block k = Fixture(false);
        c.spoil(k);
        EXPECT_FALSE(RewriteExifBlock(k.b, {800, 600, true})) << c.what;
    }
    std::vector<std::uint8_t> tiny = {'I', 'I', 42};
    EXPECT_FALSE(RewriteExifBlock(tiny, {1, 1, false}));
}

TEST(TiffMetadataTest, ABigEndianExifBlockIsTurnedToTheFilesOrder) {
    const FreeImagePtr picture(FreeImage_Allocate(8, 8, 24));
    const FreeImageMemoryPtr memory(FreeImage_OpenMemory(nullptr, 0));
    ASSERT_TRUE(FreeImage_SaveToMemory(FIF_TIFF, picture.get(), memory.get(), 0));
    BYTE* data = nullptr;
    DWORD size = 0;
    ASSERT_TRUE(FreeImage_AcquireMemory(memory.get(), &data, &size));
    const std::vector<std::uint8_t> iptc = {0x1C, 0x02, 0x78, 0x00, 0x03, 'B', 'o', 'y'};
    std::vector<std::uint8_t> tiff = AddTiffMetadata(data, size, Fixture(true).b, iptc);
    ASSERT_FALSE(tiff.empty());
    const FreeImageMemoryPtr in(FreeImage_OpenMemory(tiff.data(), static_cast<DWORD>(tiff.size())));
    const FreeImagePtr loaded(FreeImage_LoadFromMemory(FIF_TIFF, in.get(), 0));
    ASSERT_TRUE(loaded);
    FITAG* tag = nullptr;
    ASSERT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_EXIF, loaded.get(), "PixelXDimension", &tag));
    EXPECT_EQ(*static_cast<const DWORD*>(FreeImage_GetTagValue(tag)), 4000u);
    ASSERT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_EXIF, loaded.get(), "PixelYDimension", &tag));
    EXPECT_EQ(*static_cast<const DWORD*>(FreeImage_GetTagValue(tag)), 3000u); // SHORT widened to LONG
    EXPECT_NE(std::search(tiff.begin(), tiff.end(), iptc.begin(), iptc.end()), tiff.end());
    // A file that is no TIFF, or an Exif block that is not sound, gives nothing.
    EXPECT_TRUE(AddTiffMetadata(iptc.data(), iptc.size(), {}, iptc).empty());
    Block spoilt = Fixture(false);
    spoilt.U32(4, 4000);
    EXPECT_TRUE(AddTiffMetadata(data, size, spoilt.b, {}).empty());
}

} // namespace
} // namespace tessoly
