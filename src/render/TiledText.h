#pragma once
// The repeated caption. Drawing the caption is a chain of blends, each an affine map of the
// destination channel (fill, outline, trails, the emboss merge), so the whole mark is one affine
// map per pixel and channel: out = b + d * k. The mark is drawn once on black (giving b) and once
// on white (giving b + 255 k) into a layer the size of its ink, and every copy applies that map.
// Two drawings of the caption then serve any number of copies; each copy costs one pass over
// its layer. The result matches drawing each copy directly up to the 8-bit rounding of the
// individual blends.

#include <vector>

#include "render/Bitmap32.h"
#include "render/FixedPoint.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! A whole-pixel offset of one copy from the placed glyphs.
struct TileOffset {
    int dx = 0;
    int dy = 0;
};

//! Draws the placed glyphs (as DrawPlacedCaption would) at every offset onto dst.
void DrawTiledCaption(TBitmap32& dst, const std::vector<TPolyPolygon>& glyphs,
                      const WatermarkSettings& settings, int alpha, const std::vector<TileOffset>& offsets);

} // namespace tessoly
