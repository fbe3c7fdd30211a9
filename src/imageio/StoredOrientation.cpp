#include "imageio/StoredOrientation.h"

#include <algorithm>
#include <cstring>

#include "imageio/ByteReader.h"
#include "imageio/TiffDirectory.h"

namespace tessoly {

namespace {

constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kTypeShort = 3;

} // namespace

int ExifOrientationOfApp1(const std::uint8_t* data, std::size_t size) {
    if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    const std::uint8_t* tiff = data + 6;
    const std::size_t tiffSize = size - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    int orientation = 1;
    std::size_t count = 0;
    // The walk stops at the tag: what follows it does not matter here.
    WalkDirectory(tiff, tiffSize, little ? Le32(tiff + 4) : Be32(tiff + 4), little, count,
                  [&](const DirectoryEntry& entry) {
                      if (entry.tag != kOrientationTag)
                          return true;
                      if (entry.type == kTypeShort && entry.bytes == 2) {
                          const int value = little ? Le16(entry.inlineValue) : Be16(entry.inlineValue);
                          orientation = value >= 1 && value <= 8 ? value : 1;
                      }
                      return false;
                  });
    return orientation;
}

void StoredOrientation::ToViewed(int x, int y, int& vx, int& vy) const {
    const int w = storedWidth - 1;
    const int h = storedHeight - 1;
    switch (orientation) {
    case 2:
        vx = w - x;
        vy = y;
        break;
    case 3:
        vx = w - x;
        vy = h - y;
        break;
    case 4:
        vx = x;
        vy = h - y;
        break;
    case 5:
        vx = y;
        vy = x;
        break;
    case 6:
        vx = h - y;
        vy = x;
        break;
    case 7:
        vx = h - y;
        vy = w - x;
        break;
    case 8:
        vx = y;
        vy = w - x;
        break;
    default:
        vx = x;
        vy = y;
        break;
    }
}

void StoredOrientation::ToStored(int vx, int vy, int& x, int& y) const {
    const int w = storedWidth - 1;
    const int h = storedHeight - 1;
    switch (orientation) {
    case 2:
        x = w - vx;
        y = vy;
        break;
    case 3:
        x = w - vx;
        y = h - vy;
        break;
    case 4:
        x = vx;
        y = h - vy;
        break;
    case 5:
        x = vy;
        y = vx;
        break;
    case 6:
        x = vy;
        y = h - vx;
        break;
    case 7:
        x = w - vy;
        y = h - vx;
        break;
    case 8:
        x = w - vy;
        y = vx;
        break;
    default:
        x = vx;
        y = vy;
        break;
    }
}

TRect StoredOrientation::ViewedRect(const TRect& stored) const {
    int ax = 0, ay = 0, bx = 0, by = 0;
    ToViewed(stored.left, stored.top, ax, ay);
    ToViewed(stored.right - 1, stored.bottom - 1, bx, by);
    return {std::min(ax, bx), std::min(ay, by), std::max(ax, bx) + 1, std::max(ay, by) + 1};
}

TRect StoredOrientation::StoredRect(const TRect& viewed) const {
    int ax = 0, ay = 0, bx = 0, by = 0;
    ToStored(viewed.left, viewed.top, ax, ay);
    ToStored(viewed.right - 1, viewed.bottom - 1, bx, by);
    return {std::min(ax, bx), std::min(ay, by), std::max(ax, bx) + 1, std::max(ay, by) + 1};
}

void StoredOrientation::StoredToViewed(const TBitmap32& piece, const TRect& stored, TBitmap32& viewed) const {
    const TRect v = ViewedRect(stored);
    viewed.SetSizeForOverwrite(v.Width(), v.Height());
    for (int py = 0; py < piece.Height(); ++py) {
        const TColor32* row = piece.ScanLine(py);
        for (int px = 0; px < piece.Width(); ++px) {
            int vx = 0, vy = 0;
            ToViewed(px + stored.left, py + stored.top, vx, vy);
            viewed.SetPixel(vx - v.left, vy - v.top, row[px]);
        }
    }
}

void StoredOrientation::ViewedToStored(const TBitmap32& viewed, const TRect& stored, TBitmap32& piece) const {
    const TRect v = ViewedRect(stored);
    for (int py = 0; py < piece.Height(); ++py) {
        TColor32* row = piece.ScanLine(py);
        for (int px = 0; px < piece.Width(); ++px) {
            int vx = 0, vy = 0;
            ToViewed(px + stored.left, py + stored.top, vx, vy);
            row[px] = viewed.Pixel(vx - v.left, vy - v.top);
        }
    }
}

} // namespace tessoly
