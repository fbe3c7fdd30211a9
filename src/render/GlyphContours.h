#pragma once
// Flattening of one glyph's outline records into polygons.

#include "render/FixedPoint.h"
#include "render/GlyphOutline.h"

namespace tessoly {

//! Subdivision stops once the piece's flatness sum is below this [pixels].
constexpr double kFlatness = 0.5;

//! The glyph's contours as polygons in 16.16 pixels relative to its origin, y down. Throws
//! RenderError on a contour header or record of an unknown type.
TPolyPolygon GlyphContours(const TGlyphOutline& outline);

} // namespace tessoly
