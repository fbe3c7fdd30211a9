#pragma once
// Scan conversion of a polygon set into per-row coverage, with no knowledge of colours or blending.
//
// Each pixel row is sampled on S sub-scanlines (S = 8 or 16); a sub-scanline k samples the polygon
// edges at y = (k + 1/2) / S pixel, so an edge from y0 to y1 crosses exactly the sub-scanlines whose
// sample lies in [y0, y1). Crossings are rounded to 1/S pixel, sorted, and paired into spans by the
// fill rule. A span from x0 to x1 (in 1/S units, x0 = S*p + f, x1 = S*q + g) is accumulated as
// differences: +((S-1) - f) at p, +f at p+1, -((S-1) - g) at q, -g at q+1. The running sum of a row is
// its coverage: S-1 per sub-scanline for a pixel the span covers completely, S*(S-1) for a whole row.
//
// Invariants: spans are clipped to [0, width] horizontally and sub-scanlines to [0, height*S), so
// every index written lies in the difference array of width + 2 entries; per sub-scanline the spans
// are disjoint, so no pixel ever exceeds S*(S-1) (56 for S = 8, 240 for S = 16). Only the rows between
// the first and last edge and the columns a row's spans touch are visited.

#include <cstdint>
#include <span>
#include <vector>

#include "render/FixedPoint.h"
#include "render/PolygonFill.h"

namespace tessoly {

//! One pixel row of coverage handed to the blend step.
struct TCoverageRow {
    int Y = 0;     //!< Pixel row.
    int Left = 0;  //!< First pixel column of the row's coverage.
    int Right = 0; //!< One past the last pixel column; Right > Left.
    //! Coverage of pixel Left + i at Coverage[i], 0..S*(S-1); valid until the next NextRow call.
    const std::int32_t* Coverage = nullptr;
};

class TCoverageRasterizer {
public:
    //! Prepares the polygon set for a clip area of clipWidth x clipHeight pixels. Polygons of fewer
    //! than 3 points contribute nothing. samples is 8 or 16 (any other value counts as 16).
    void Reset(std::span<const TPolygon> polygons, TPolyFillMode mode, int samples, int clipWidth,
               int clipHeight);

    //! Produces the next pixel row that any span touches, top to bottom; false when none is left.
    bool NextRow(TCoverageRow& row);

    //! Sub-scanlines per pixel row: 8 or 16.
    int Samples() const { return samples_; }

private:
    //! One non-horizontal polygon edge in sub-scanline units.
    struct Edge {
        double X0 = 0;    //!< Crossing x at sub-scanline First [1/S pixel].
        double Slope = 0; //!< Change of x per sub-scanline [1/S pixel].
        int First = 0;    //!< First sub-scanline crossed (already clipped).
        int Last = 0;     //!< One past the last sub-scanline crossed (already clipped).
        int Dir = 0;      //!< +1 for an edge going down, -1 going up.
    };
    //! An edge in the active list, kept in x order from one sub-scanline to the next.
    struct Active {
        int X = 0; //!< Crossing on the current sub-scanline, rounded and clamped [1/S pixel].
        int Dir = 0;
        int First = 0;
        int Last = 0;
        double X0 = 0;
        double Slope = 0;
    };

    void AddEdge(const FixedPoint& a, const FixedPoint& b);
    void ClearTouched();
    void ScanSubline(int k);
    void AddSpan(int x0, int x1);

    TPolyFillMode mode_ = TPolyFillMode::pfWinding;
    int samples_ = 16;
    int shift_ = 4;           //!< log2(samples_).
    int width_ = 0;           //!< Clip width [pixels].
    int height_ = 0;          //!< Clip height [pixels].
    std::vector<Edge> edges_; //!< Sorted by First.
    std::size_t nextEdge_ = 0;
    std::vector<Active> active_;
    int row_ = 0; //!< Next pixel row to scan.
    //! Coverage differences, then (after a row is finished) coverage, over the polygons' columns.
    std::vector<std::int32_t> cells_;
    int cellBase_ = 0; //!< Pixel column of cells_[0].
    int cellEnd_ = 0;  //!< Last pixel column a span may end at; cells_ has cellEnd_ - cellBase_ + 2 entries.
    double xMinSub_ = 0; //!< Crossings are clamped to [xMinSub_, xMaxSub_] [1/S pixel].
    double xMaxSub_ = 0;
    int touchedLo_ = 0; //!< Pixel columns written since the last clear, inclusive.
    int touchedHi_ = -1;
};

} // namespace tessoly
