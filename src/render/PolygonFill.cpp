#include "render/PolygonFill.h"

#include <span>

#include "render/CoverageBlend.h"
#include "render/CoverageRasterizer.h"

namespace tessoly {

namespace {

void FillPolygons(TBitmap32& dst, std::span<const TPolygon> polygons, TColor32 colour, TPolyFillMode mode,
                  int samples) {
    // The colour's alpha is the master alpha: at 0 every weight is 0.
    if (dst.Empty() || AlphaOf(colour) == 0)
        return;
    // Kept per thread so that filling glyph after glyph reuses the edge and cell buffers.
    thread_local TCoverageRasterizer rasterizer;
    rasterizer.Reset(polygons, mode, samples, dst.Width(), dst.Height());
    const TCoverageBlender blender(colour, rasterizer.Samples());
    TCoverageRow row;
    while (rasterizer.NextRow(row)) {
        blender.BlendRow(dst.ScanLine(row.Y) + row.Left, row.Coverage, row.Right - row.Left);
    }
}

} // namespace

void FillPolyPolygon(TBitmap32& dst, const TPolyPolygon& polygons, TColor32 colour, TPolyFillMode mode,
                     int samples) {
    FillPolygons(dst, polygons, colour, mode, samples);
}

void FillPolygon(TBitmap32& dst, const TPolygon& polygon, TColor32 colour, TPolyFillMode mode, int samples) {
    FillPolygons(dst, std::span<const TPolygon>(&polygon, 1), colour, mode, samples);
}

} // namespace tessoly
