// GlyphContours: outline records to polygons.
//
// Each contour starts with its start point; line records append their points. Spline pieces are
// halved at t = 1/2 until flat, and the end point of every flat piece is appended:
//   quadratic (p0, p1, p2): |x0 + x2 - 2 x1| + |y0 + y2 - 2 y1| < 0.5 px;
//   cubic (p0..p3): the same second differences over (p0, p1, p2) and (p1, p2, p3), summed.
// A quadratic record is a TrueType B-spline: between two consecutive off-curve points lies an
// implied on-curve point at their midpoint. The arithmetic is in doubles (exact for halvings of
// 16.16 values); points go back to 16.16 rounding halves to even. The depth cap only matters for
// absurd coordinates, where it still ends with the piece's end point.

#include "render/GlyphContours.h"

#include <cmath>

#include "render/RenderError.h"

namespace tessoly {

namespace {

struct PointD {
    double x = 0;
    double y = 0;
};

constexpr int kMaxDepth = 24;

PointD ToReal(const TOutlinePoint& p) {
    return {p.x / 65536.0, p.y / 65536.0};
}
PointD Mid(const PointD& a, const PointD& b) {
    return {(a.x + b.x) * 0.5, (a.y + b.y) * 0.5};
}
void Append(TPolygon& polygon, const PointD& p) {
    polygon.push_back(FixedPointFromReal(p.x, p.y));
}

void FlattenQuadratic(const PointD& p0, const PointD& p1, const PointD& p2, int depth, TPolygon& out) {
    const double flatness = std::fabs(p0.x + p2.x - 2 * p1.x) + std::fabs(p0.y + p2.y - 2 * p1.y);
    if (flatness < kFlatness || depth >= kMaxDepth) {
        Append(out, p2);
        return;
    }
    const PointD p01 = Mid(p0, p1);
    const PointD p12 = Mid(p1, p2);
    const PointD m = Mid(p01, p12);
    FlattenQuadratic(p0, p01, m, depth + 1, out);
    FlattenQuadratic(m, p12, p2, depth + 1, out);
}

void FlattenCubic(const PointD& p0, const PointD& p1, const PointD& p2, const PointD& p3, int depth,
                  TPolygon& out) {
    const double flatness = std::fabs(p0.x + p2.x - 2 * p1.x) + std::fabs(p1.x + p3.x - 2 * p2.x) +
                            std::fabs(p0.y + p2.y - 2 * p1.y) + std::fabs(p1.y + p3.y - 2 * p2.y);
    if (flatness < kFlatness || depth >= kMaxDepth) {
        Append(out, p3);
        return;
    }
    const PointD p01 = Mid(p0, p1);
    const PointD p12 = Mid(p1, p2);
    const PointD p23 = Mid(p2, p3);
    const PointD a = Mid(p01, p12);
    const PointD b = Mid(p12, p23);
    const PointD m = Mid(a, b);
    FlattenCubic(p0, p01, a, m, depth + 1, out);
    FlattenCubic(m, b, p23, p3, depth + 1, out);
}

[[noreturn]] void WrongCurve() {
    throw RenderError("GetGlyphOutline() error - wrong curve type");
}

} // namespace

TPolyPolygon GlyphContours(const TGlyphOutline& outline) {
    TPolyPolygon contours;
    contours.reserve(outline.contours.size());
    for (const TOutlineContour& contour : outline.contours) {
        if (contour.headerType != kPolygonHeaderType) {
            throw RenderError("GetGlyphOutline() error - wrong header type");
        }
        TPolygon polygon;
        PointD current = ToReal(contour.start);
        polygon.push_back(FixedPointFromReal(current.x, current.y));
        for (const TOutlineCurve& curve : contour.curves) {
            const auto& pts = curve.points;
            switch (curve.type) {
            case kPrimLine:
                for (const TOutlinePoint& p : pts) {
                    current = ToReal(p);
                    Append(polygon, current);
                }
                break;
            case kPrimQSpline:
                if (pts.size() < 2)
                    WrongCurve();
                for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
                    const PointD control = ToReal(pts[i]);
                    const PointD end =
                        i + 2 == pts.size() ? ToReal(pts[i + 1]) : Mid(control, ToReal(pts[i + 1]));
                    FlattenQuadratic(current, control, end, 0, polygon);
                    current = end;
                }
                break;
            case kPrimCSpline:
                if (pts.empty() || pts.size() % 3 != 0)
                    WrongCurve();
                for (std::size_t i = 0; i < pts.size(); i += 3) {
                    const PointD end = ToReal(pts[i + 2]);
                    FlattenCubic(current, ToReal(pts[i]), ToReal(pts[i + 1]), end, 0, polygon);
                    current = end;
                }
                break;
            default:
                WrongCurve();
            }
        }
        contours.push_back(std::move(polygon));
    }
    return contours;
}

} // namespace tessoly
