#pragma once
// 16.16 fixed-point coordinates and the polygon types the filler and the strokers take.

#include <cmath>
#include <cstdint>
#include <vector>

namespace tessoly {

//! A 16.16 fixed-point number: 65536 is one pixel.
using TFixed = std::int32_t;
constexpr TFixed kFixedOne = 65536;

//! A point with 16.16 coordinates, y growing downwards.
struct FixedPoint {
    TFixed X = 0;
    TFixed Y = 0;
    friend bool operator==(const FixedPoint&, const FixedPoint&) = default;
};

constexpr TFixed FixedFromInt(int v) {
    return static_cast<TFixed>(static_cast<std::uint32_t>(v) << 16);
}
//! round-half-to-even of v * 65536 (the default floating-point rounding mode), saturated to the
//! 16.16 range (about +-32768 pixels); NaN gives 0.
inline TFixed FixedFromReal(double v) {
    const double f = std::nearbyint(v * 65536.0);
    if (!(f == f))
        return 0;
    if (f >= 2147483647.0)
        return INT32_MAX;
    if (f <= -2147483648.0)
        return INT32_MIN;
    return static_cast<TFixed>(f);
}
constexpr double FixedToReal(TFixed v) {
    return static_cast<double>(v) / 65536.0;
}

inline FixedPoint FixedPointFromInt(int x, int y) {
    return {FixedFromInt(x), FixedFromInt(y)};
}
inline FixedPoint FixedPointFromReal(double x, double y) {
    return {FixedFromReal(x), FixedFromReal(y)};
}

//! A polygon: implicitly closed list of points.
using TPolygon = std::vector<FixedPoint>;
//! A polygon set, filled together.
using TPolyPolygon = std::vector<TPolygon>;

} // namespace tessoly
