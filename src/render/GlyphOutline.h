#pragma once
// The glyph source: one character's outline as records of lines and quadratic and cubic splines,
// the shape GDI's native outline format has, read from FreeType. Coordinates are 16.16 pixels
// relative to the character origin on the baseline, y growing downwards.

#include <cstdint>
#include <vector>

namespace tessoly {

class TTrueTypeFont;

//! Record type codes of the native outline format.
constexpr int kPolygonHeaderType = 24; // TT_POLYGON_TYPE
constexpr int kPrimLine = 1;           // TT_PRIM_LINE
constexpr int kPrimQSpline = 2;        // TT_PRIM_QSPLINE
constexpr int kPrimCSpline = 3;        // TT_PRIM_CSPLINE

//! A point of an outline record [16.16 pixels].
struct TOutlinePoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TOutlinePoint&, const TOutlinePoint&) = default;
};

//! One record: a line through its points, a quadratic B-spline (off-curve points with implied
//! on-curve midpoints, the last point on the curve) or cubic pieces (control, control, end).
struct TOutlineCurve {
    int type = kPrimLine;
    std::vector<TOutlinePoint> points;
};

//! One closed contour: a start point and the records that follow it.
struct TOutlineContour {
    int headerType = kPolygonHeaderType;
    TOutlinePoint start;
    std::vector<TOutlineCurve> curves;
};

//! A character's outline and advance; a space has no contours but an advance.
struct TGlyphOutline {
    std::vector<TOutlineContour> contours;
    //! Advance along the baseline and across it [whole pixels].
    int cellIncX = 0;
    int cellIncY = 0;
};

//! Fills outline with the unhinted outline of ch in the font's current face, size and style.
//! Returns false when the font cannot give this character (the caller stops there). Throws
//! RenderError with the outline error texts when the glyph's data cannot be read as records.
bool GlyphOutline(TTrueTypeFont& font, char16_t ch, TGlyphOutline& outline);

} // namespace tessoly
