#include "render/TiledText.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "render/TextWatermark.h"

namespace tessoly {

namespace {

//! Room around the glyph points for the outline (0.9), the trails (6) and anti-aliasing [pixels].
constexpr int kInkMargin = 12;

struct PixelBounds {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
    bool Empty() const { return x0 > x1 || y0 > y1; }
};

PixelBounds InkBounds(const std::vector<TPolyPolygon>& glyphs) {
    PixelBounds b;
    for (const TPolyPolygon& glyph : glyphs)
        for (const TPolygon& contour : glyph)
            for (const FixedPoint& p : contour) {
                b.x0 = std::min(b.x0, p.X >> 16);
                b.y0 = std::min(b.y0, p.Y >> 16);
                b.x1 = std::max(b.x1, (p.X >> 16) + 1);
                b.y1 = std::max(b.y1, (p.Y >> 16) + 1);
            }
    return b;
}

std::vector<TPolyPolygon> Moved(const std::vector<TPolyPolygon>& glyphs, int dx, int dy) {
    std::vector<TPolyPolygon> moved = glyphs;
    const TFixed fx = FixedFromInt(dx);
    const TFixed fy = FixedFromInt(dy);
    for (TPolyPolygon& glyph : moved)
        for (TPolygon& contour : glyph)
            for (FixedPoint& p : contour) {
                p.X += fx;
                p.Y += fy;
            }
    return moved;
}

//! round(x / 255) for x in 0..65025, exactly.
inline std::uint32_t Div255(std::uint32_t x) {
    return ((x + 128) * 257) >> 16;
}

//! The map of one touched layer pixel: out = base + d * scale / 255 per channel.
struct PixelMap {
    std::uint8_t base[4];
    std::uint8_t scale[4];
};

//! A run of touched pixels of one layer row.
struct Run {
    int from = 0;
    //! Index of the run's first map in the layer's map list.
    std::size_t first = 0;
    int count = 0;
};

inline TColor32 ApplyMap(TColor32 d, const PixelMap& map) {
    TColor32 out = 0;
    for (int c = 0; c < 4; ++c) {
        const std::uint32_t v = (d >> (8 * c)) & 0xFFu;
        const std::uint32_t r = std::min<std::uint32_t>(255u, map.base[c] + Div255(v * map.scale[c]));
        out |= r << (8 * c);
    }
    return out;
}

} // namespace

void DrawTiledCaption(TBitmap32& dst, const std::vector<TPolyPolygon>& glyphs,
                      const WatermarkSettings& settings, int alpha, const std::vector<TileOffset>& offsets) {
    const PixelBounds ink = InkBounds(glyphs);
    if (dst.Empty() || ink.Empty() || offsets.empty())
        return;
    const int left = ink.x0 - kInkMargin;
    const int top = ink.y0 - kInkMargin;
    const int width = ink.x1 - ink.x0 + 2 * kInkMargin;
    const int height = ink.y1 - ink.y0 + 2 * kInkMargin;
    const std::vector<TPolyPolygon> local = Moved(glyphs, -left, -top);
    TBitmap32 black(width, height);
    black.Clear(0xFF000000u);
    TBitmap32 white(width, height);
    white.Clear(0xFFFFFFFFu);
    DrawPlacedCaption(black, local, settings, alpha);
    DrawPlacedCaption(white, local, settings, alpha);

    // The touched pixels of each row as runs of maps, so copies pass over drawn pixels only.
    std::vector<PixelMap> maps;
    std::vector<std::vector<Run>> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const TColor32* b = black.ScanLine(y);
        const TColor32* w = white.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (b[x] == 0xFF000000u && w[x] == 0xFFFFFFFFu)
                continue; // nothing drawn here
            std::vector<Run>& runs = rows[static_cast<std::size_t>(y)];
            if (runs.empty() || runs.back().from + runs.back().count != x)
                runs.push_back({x, maps.size(), 0});
            ++runs.back().count;
            PixelMap map{};
            for (int c = 0; c < 4; ++c) {
                const int lo = static_cast<int>((b[x] >> (8 * c)) & 0xFFu);
                const int hi = static_cast<int>((w[x] >> (8 * c)) & 0xFFu);
                map.base[c] = static_cast<std::uint8_t>(lo);
                map.scale[c] = static_cast<std::uint8_t>(std::clamp(hi - lo, 0, 255));
            }
            maps.push_back(map);
        }
    }

    for (const TileOffset& at : offsets) {
        const int originX = left + at.dx;
        const int originY = top + at.dy;
        const int y0 = std::max(0, originY);
        const int y1 = std::min(dst.Height(), originY + height);
        for (int y = y0; y < y1; ++y) {
            TColor32* row = dst.ScanLine(y);
            for (const Run& run : rows[static_cast<std::size_t>(y - originY)]) {
                const int from = std::max(0, originX + run.from);
                const int to = std::min(dst.Width(), originX + run.from + run.count);
                const PixelMap* map = maps.data() + run.first + (from - originX - run.from);
                for (int x = from; x < to; ++x, ++map)
                    row[x] = ApplyMap(row[x], *map);
            }
        }
    }
}

} // namespace tessoly
