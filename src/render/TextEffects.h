#pragma once
// The text's 3D look: trails of fading outlines (the drop shadow and the bevel's light and dark
// edges) and the emboss that keeps the trails only inside the glyphs.

#include <vector>

#include "render/Bitmap32.h"
#include "render/FixedPoint.h"

namespace tessoly {

//! Distance between the trail's outlines and its length: max(|dx|, |dy|) outlines one step apart.
constexpr int kTrailOffset = 6;

//! The alphas of the n = max(|dx|, |dy|) outlines of a trail starting at alpha a0: a 32-bit float
//! multiplied by 0.05^(1/n) per step, less a0 * 0.05 / n per step taken, halves to even. 153 gives
//! 153, 92, 54, 30, 16, 6.
std::vector<int> TrailAlphas(int a0, int dx, int dy);

//! Draws each contour as a closed AaLine polyline n times, moving one step of (dx, dy) / n after
//! each, in colour with the faded alphas. Unclipped: it draws wherever the trail goes.
void ShadowTrail(TBitmap32& dst, const TPolyPolygon& contours, int dx, int dy, TColor32 colour);

//! The emboss mask of the region of a bitmap: region-sized, zero outside the glyphs, the contours
//! filled even-odd (S = 16) in white and their edges drawn over in black AaLine polylines.
//! Contours are in the bitmap's coordinates.
void GlyphMask(const TPolyPolygon& contours, const TRect& region, TBitmap32& mask);

//! The pixels that Emboss3D can change: the contours' bounds grown by the trail and the line
//! width, clipped to a width x height bitmap. Empty when nothing reaches the bitmap.
TRect EmbossRegion(const TPolyPolygon& contours, int dx, int dy, int width, int height);

//! Puts the pre-trail copy back over one row: pixel = MergePixelEx(copy, pixel, 255 - mask blue).
//! A pixel nothing drew on keeps its value.
void EmbossRestoreRow(const TColor32* copy, const TColor32* mask, TColor32* row, int count);

//! The bevel: trails of dark up-left and light down-right, then the copy merged back by the
//! inverse mask, so they remain inside the glyphs only. Works on EmbossRegion alone.
void Emboss3D(TBitmap32& dst, const TPolyPolygon& contours, int dx, int dy, TColor32 light, TColor32 dark);

} // namespace tessoly
