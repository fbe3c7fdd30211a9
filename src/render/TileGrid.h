#pragma once
// The grid of a repeated mark: copies of the placed mark at whole-pixel steps of its size plus
// the spacing, in every direction from it, as far as any copy can reach into the image.

namespace tessoly {

//! The copies along one axis that can reach into the image: first..last steps from the placed
//! mark (empty when last < first).
struct TileAxis {
    //! Distance between copies [pixels], at least 1.
    int step = 1;
    int first = 0;
    int last = 0;
};

//! Most copies one image gets; a smaller mark has its steps widened to stay within it.
inline constexpr long long kMaxTiles = 40000;

//! Copies along an axis of length size for a mark at offset whose extent is [lo, hi] relative to
//! offset, grown by pad on both sides; spacingPercent of the extent lies between copies.
TileAxis TileAxisFor(double offset, double lo, double hi, int size, double pad, int spacingPercent);

//! Both axes, with the steps widened evenly when there would be more than kMaxTiles copies.
void TileAxesFor(double offsetX, double loX, double hiX, int width, double offsetY, double loY, double hiY,
                 int height, double pad, int spacingPercent, TileAxis& x, TileAxis& y);

} // namespace tessoly
