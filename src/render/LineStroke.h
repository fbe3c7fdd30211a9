#pragma once
// Thick polylines drawn as filled bands, and thin one-pixel anti-aliased lines.

#include "render/Bitmap32.h"
#include "render/FixedPoint.h"

namespace tessoly {

//! The band StrokePolyline fills: for an open line one polygon (left side, then the right side
//! reversed), for a closed contour two rings (left, reversed right). Empty when nothing is drawn.
TPolyPolygon BuildStrokeBand(const TPolygon& points, bool closed, double width);

//! Draws the polyline as a band of the given width [pixels] with bevel joins, no caps, filled
//! nonzero with 16 sub-scanlines.
void StrokePolyline(TBitmap32& dst, const TPolygon& points, bool closed, double width, TColor32 colour);

//! One-pixel anti-aliased line from p1 to p2.
void AaLine(TBitmap32& dst, FixedPoint p1, FixedPoint p2, TColor32 colour);
//! AaLine along consecutive points; closed adds the segment from the last point to the first.
void AaPolyline(TBitmap32& dst, const TPolygon& points, bool closed, TColor32 colour);

} // namespace tessoly
