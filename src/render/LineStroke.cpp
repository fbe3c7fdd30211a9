// Thick-line stroking: builds the outline of a polyline of a given width and fills it.
//
// Each side of the line is offset by h = width / 2 along the segments' unit normals (left normal
// n = (dy, -dx) / length, y growing downwards). At an interior vertex the outer side of the turn gets
// a bevel (the vertex offset along both normals) and the inner side one point, the intersection of
// the two offset lines, V + (n1 + n2) * h / (1 + n1.n2) on that side. An intersection farther from the
// vertex than the offset far end of the shorter adjacent segment would fold the band over itself,
// so it is replaced by the point at the shorter length along the longer segment, offset along that
// segment's normal (none when both segments are equally long). A reversal gets the offset points of
// both segments on both sides. Open lines end square at their end points; closed contours are
// joined all round. The band is filled nonzero, so self-overlaps of the sides stay filled once.
//
// Turn direction, straightness and reversals are decided on the exact integer segment vectors.

#include "render/LineStroke.h"

#include <cmath>
#include <vector>

#include "render/PolygonFill.h"

namespace tessoly {

namespace {

struct Vec {
    double X = 0;
    double Y = 0;
};

Vec operator+(Vec a, Vec b) {
    return {a.X + b.X, a.Y + b.Y};
}
Vec operator-(Vec a, Vec b) {
    return {a.X - b.X, a.Y - b.Y};
}
Vec operator*(Vec a, double s) {
    return {a.X * s, a.Y * s};
}
double Dot(Vec a, Vec b) {
    return a.X * b.X + a.Y * b.Y;
}

//! One segment of the cleaned polyline.
struct Segment {
    std::int64_t Dx = 0, Dy = 0; //!< Exact vector [fixed units].
    Vec Dir;                     //!< Unit direction.
    Vec Normal;                  //!< Unit left normal.
    double Length = 0;           //!< [pixels]
};

Segment MakeSegment(const FixedPoint& a, const FixedPoint& b) {
    Segment s;
    s.Dx = std::int64_t(b.X) - a.X;
    s.Dy = std::int64_t(b.Y) - a.Y;
    const double dx = double(s.Dx) / kFixedOne;
    const double dy = double(s.Dy) / kFixedOne;
    s.Length = std::hypot(dx, dy);
    s.Dir = {dx / s.Length, dy / s.Length};
    s.Normal = {s.Dir.Y, -s.Dir.X};
    return s;
}

Vec ToVec(const FixedPoint& p) {
    return {FixedToReal(p.X), FixedToReal(p.Y)};
}

class BandBuilder {
public:
    explicit BandBuilder(double halfWidth) : h_(halfWidth) {}

    void Start(Vec p, const Segment& s) {
        left_.push_back(p + s.Normal * h_);
        right_.push_back(p - s.Normal * h_);
    }
    void End(Vec p, const Segment& s) { Start(p, s); }

    void Join(Vec v, const Segment& s1, const Segment& s2) {
        // The products of two 33-bit components need more than 64 bits.
        const __int128 cross = __int128(s1.Dx) * s2.Dy - __int128(s1.Dy) * s2.Dx;
        const __int128 dot = __int128(s1.Dx) * s2.Dx + __int128(s1.Dy) * s2.Dy;
        if (cross == 0 && dot > 0) { // straight on: the offsets of both segments coincide
            left_.push_back(v + s1.Normal * h_);
            right_.push_back(v - s1.Normal * h_);
            return;
        }
        if (cross == 0) { // straight back: 1 + n1.n2 = 0, both offsets on both sides
            left_.push_back(v + s1.Normal * h_);
            left_.push_back(v + s2.Normal * h_);
            right_.push_back(v - s1.Normal * h_);
            right_.push_back(v - s2.Normal * h_);
            return;
        }
        // With y downwards a positive cross product turns clockwise on screen: the left side is outer.
        const double outer = cross > 0 ? 1.0 : -1.0;
        std::vector<Vec>& outerSide = cross > 0 ? left_ : right_;
        std::vector<Vec>& innerSide = cross > 0 ? right_ : left_;
        outerSide.push_back(v + s1.Normal * (outer * h_));
        outerSide.push_back(v + s2.Normal * (outer * h_));

        const double inner = -outer;
        const Vec sum = s1.Normal + s2.Normal;
        const double denom = 1.0 + Dot(s1.Normal, s2.Normal);
        const Vec meet = v + sum * (inner * h_ / denom);
        // Which segment is shorter is decided on the exact squared lengths, so "equally long" is exact.
        const __int128 sq1 = __int128(s1.Dx) * s1.Dx + __int128(s1.Dy) * s1.Dy;
        const __int128 sq2 = __int128(s2.Dx) * s2.Dx + __int128(s2.Dy) * s2.Dy;
        const double shorter = sq1 < sq2 ? s1.Length : s2.Length;
        const Vec toMeet = meet - v;
        if (Dot(toMeet, toMeet) <= shorter * shorter + h_ * h_) {
            innerSide.push_back(meet);
        } else if (sq1 < sq2) {
            innerSide.push_back(v + s2.Dir * s1.Length + s2.Normal * (inner * h_));
        } else if (sq2 < sq1) {
            innerSide.push_back(v - s1.Dir * s2.Length + s1.Normal * (inner * h_));
        }
    }

    //! Both sides as fixed-point polygons, the right side reversed.
    TPolygon Left() const { return ToFixed(left_.begin(), left_.end()); }
    TPolygon ReversedRight() const { return ToFixed(right_.rbegin(), right_.rend()); }

private:
    template <class It> static TPolygon ToFixed(It first, It last) {
        TPolygon out;
        out.reserve(static_cast<std::size_t>(std::distance(first, last)));
        for (It it = first; it != last; ++it)
            out.push_back(FixedPointFromReal(it->X, it->Y));
        return out;
    }

    double h_;
    std::vector<Vec> left_;
    std::vector<Vec> right_;
};

} // namespace

TPolyPolygon BuildStrokeBand(const TPolygon& points, bool closed, double width) {
    if (!(width >= 1.0))
        return {}; // also refuses NaN
    TPolygon pts;
    pts.reserve(points.size());
    for (const FixedPoint& p : points) {
        if (pts.empty() || !(pts.back() == p))
            pts.push_back(p);
    }
    if (closed && pts.size() >= 2 && pts.back() == pts.front())
        pts.pop_back();
    if (pts.size() < 2)
        return {};

    const std::size_t n = pts.size();
    BandBuilder band(width / 2);
    if (closed && n >= 3) {
        std::vector<Segment> segments(n);
        for (std::size_t i = 0; i < n; ++i)
            segments[i] = MakeSegment(pts[i], pts[(i + 1) % n]);
        for (std::size_t i = 0; i < n; ++i)
            band.Join(ToVec(pts[i]), segments[(i + n - 1) % n], segments[i]);
        return {band.Left(), band.ReversedRight()};
    }
    std::vector<Segment> segments(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i)
        segments[i] = MakeSegment(pts[i], pts[i + 1]);
    band.Start(ToVec(pts[0]), segments[0]);
    for (std::size_t i = 1; i + 1 < n; ++i)
        band.Join(ToVec(pts[i]), segments[i - 1], segments[i]);
    band.End(ToVec(pts[n - 1]), segments[n - 2]);
    TPolygon outline = band.Left();
    const TPolygon back = band.ReversedRight();
    outline.insert(outline.end(), back.begin(), back.end());
    return {outline};
}

void StrokePolyline(TBitmap32& dst, const TPolygon& points, bool closed, double width, TColor32 colour) {
    const TPolyPolygon band = BuildStrokeBand(points, closed, width);
    if (!band.empty())
        FillPolyPolygon(dst, band, colour, TPolyFillMode::pfWinding, 16);
}

} // namespace tessoly
