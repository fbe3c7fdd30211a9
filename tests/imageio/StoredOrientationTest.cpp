#include "imageio/StoredOrientation.h"

#include <gtest/gtest.h>
#include <vector>

#include "imageio/ExifThumbnail.h"

namespace tessoly {
namespace {

//! An Exif payload with IFD0 holding the orientation and linking to a thumbnail directory.
std::vector<std::uint8_t> Exif(bool little, int orientation) {
    auto u16 = [&](std::vector<std::uint8_t>& v, unsigned x) {
        little ? v.insert(v.end(), {std::uint8_t(x), std::uint8_t(x >> 8)})
               : v.insert(v.end(), {std::uint8_t(x >> 8), std::uint8_t(x)});
    };
    auto u32 = [&](std::vector<std::uint8_t>& v, unsigned x) {
        little ? (u16(v, x & 0xFFFF), u16(v, x >> 16)) : (u16(v, x >> 16), u16(v, x & 0xFFFF));
    };
    std::vector<std::uint8_t> v = {'E', 'x', 'i', 'f', 0, 0};
    v.insert(v.end(), little ? std::initializer_list<std::uint8_t>{'I', 'I'}
                             : std::initializer_list<std::uint8_t>{'M', 'M'});
    u16(v, 42), u32(v, 8);
    u16(v, 1), u16(v, 0x0112), u16(v, 3), u32(v, 1), u16(v, static_cast<unsigned>(orientation)), u16(v, 0),
        u32(v, 26);
    u16(v, 2), u16(v, 0x0201), u16(v, 4), u32(v, 1), u32(v, 56), u16(v, 0x0202), u16(v, 4), u32(v, 1),
        u32(v, 4), u32(v, 0);
    v.insert(v.end(), {0xFF, 0xD8, 0xFF, 0xD9});
    return v;
}

TEST(StoredOrientation, ExifOrientationInEitherByteOrderAndNothingPastTheEnd) {
    for (const bool little : {true, false}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            const std::vector<std::uint8_t> exif = Exif(little, orientation);
            EXPECT_EQ(ExifOrientationOfApp1(exif.data(), exif.size()), orientation);
            // Cut short anywhere: the tag is read only when it is all there.
            for (std::size_t size = 0; size < exif.size(); ++size) {
                const std::vector<std::uint8_t> cut(exif.begin(), exif.begin() + static_cast<long>(size));
                const int found = ExifOrientationOfApp1(cut.data(), cut.size());
                EXPECT_TRUE(found == 1 || (found == orientation && size >= 6 + 22)) << size;
                std::vector<std::uint8_t> copy = cut;
                DropExifThumbnail(copy);
                EXPECT_EQ(copy.size(), cut.size());
            }
        }
    }
    const std::vector<std::uint8_t> nine = Exif(false, 9);
    EXPECT_EQ(ExifOrientationOfApp1(nine.data(), nine.size()), 1);
}

TEST(StoredOrientation, TheThumbnailIsUnlinkedAndZeroed) {
    std::vector<std::uint8_t> exif = Exif(true, 6);
    DropExifThumbnail(exif);
    std::vector<std::uint8_t> expected = Exif(true, 6);
    std::fill(expected.begin() + 6 + 22, expected.begin() + 6 + 26, 0);
    std::fill(expected.begin() + 6 + 56, expected.end(), 0);
    EXPECT_EQ(exif, expected);
    EXPECT_EQ(ExifOrientationOfApp1(exif.data(), exif.size()), 6);
}

TEST(StoredOrientation, EveryOrientationMapsBackAndForth) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const StoredOrientation o{orientation, 7, 5};
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                int vx = 0, vy = 0, sx = 0, sy = 0;
                o.ToViewed(x, y, vx, vy);
                ASSERT_TRUE(vx >= 0 && vx < o.ViewedWidth() && vy >= 0 && vy < o.ViewedHeight());
                o.ToStored(vx, vy, sx, sy);
                EXPECT_EQ(sx, x);
                EXPECT_EQ(sy, y);
            }
        }
        const TRect stored{2, 1, 6, 4};
        const TRect back = o.StoredRect(o.ViewedRect(stored));
        EXPECT_EQ(back.left, 2);
        EXPECT_EQ(back.top, 1);
        EXPECT_EQ(back.right, 6);
        EXPECT_EQ(back.bottom, 4);
    }
    // Orientation 6 shows stored row 0 as the right-hand column.
    const StoredOrientation six{6, 7, 5};
    int vx = 0, vy = 0;
    six.ToViewed(0, 0, vx, vy);
    EXPECT_EQ(vx, 4);
    EXPECT_EQ(vy, 0);
}

} // namespace
} // namespace tessoly
