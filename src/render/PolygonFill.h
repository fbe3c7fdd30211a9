#pragma once
// Anti-aliased polygon filling with S sub-scanlines per pixel row.

#include "render/Bitmap32.h"
#include "render/FixedPoint.h"

namespace tessoly {

//! Fill rule: even-odd (alternate) or nonzero winding.
enum class TPolyFillMode { pfAlternate, pfWinding };

//! Fills the polygon set with colour (its alpha as master alpha) using S = 8 or 16 sub-scanlines.
void FillPolyPolygon(TBitmap32& dst, const TPolyPolygon& polygons, TColor32 colour, TPolyFillMode mode,
                     int samples);
//! One polygon; the same as a set of one.
void FillPolygon(TBitmap32& dst, const TPolygon& polygon, TColor32 colour, TPolyFillMode mode, int samples);

} // namespace tessoly
