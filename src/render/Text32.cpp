// TText32: the rotation of the text engine, in its own fixed-point arithmetic.
//
// cos and sin of the angle are rounded to 32-bit floats and truncated toward zero to 16.16, so a
// quarter turn gives exact 0 and +-65536 entries. Glyph points are multiplied with 64-bit products
// and an arithmetic shift, which rounds toward minus infinity: fx(x, -s) is not -fx(x, s), and the
// matrix keeps -s as its own entry for that reason. The pen is a pair of 32-bit floats, moved by
// the advance matrix's entries and converted to 16.16 (halves to even) for each glyph.

#include "render/Text32.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace tessoly {

namespace {

TFixed Saturate(std::int64_t v) {
    if (v > std::numeric_limits<TFixed>::max())
        return std::numeric_limits<TFixed>::max();
    if (v < std::numeric_limits<TFixed>::min())
        return std::numeric_limits<TFixed>::min();
    return static_cast<TFixed>(v);
}

//! A trigonometric value: 32-bit float, then 16.16 truncated toward zero.
TFixed TrigToFixed(double v) {
    const float f = static_cast<float>(v);
    return static_cast<TFixed>(std::trunc(static_cast<double>(f) * 65536.0));
}

TFixed PenToFixed(float v) {
    const double scaled = std::nearbyint(static_cast<double>(v) * 65536.0);
    if (!(scaled < 2147483647.0))
        return std::numeric_limits<TFixed>::max();
    if (!(scaled > -2147483648.0))
        return std::numeric_limits<TFixed>::min();
    return static_cast<TFixed>(scaled);
}

} // namespace

int NormalizeTextAngle(int degrees) {
    int b = degrees % 360;
    if (b > 180)
        b -= 360;
    if (b < -180)
        b += 360;
    return b;
}

TFixed FixedMul(TFixed a, TFixed b) {
    return Saturate((static_cast<std::int64_t>(a) * static_cast<std::int64_t>(b)) >> 16);
}

void TText32::SetAngle(int degrees) {
    angle_ = NormalizeTextAngle(degrees);
    const double radians = angle_ * std::numbers::pi / 180.0;
    const TFixed c = TrigToFixed(std::cos(radians));
    const TFixed s = TrigToFixed(std::sin(radians));
    glyph_ = {c, -s, s, c};
    advance_ = {c, s, -s, c};
}

void TText32::SetPen(float x, float y) {
    penX_ = x;
    penY_ = y;
}

void TText32::Advance(int cellIncX, int cellIncY) {
    const float c = static_cast<float>(advance_.eM11) / 65536.0f;
    const float s = static_cast<float>(advance_.eM12) / 65536.0f;
    const float adv = static_cast<float>(cellIncX);
    const float incY = static_cast<float>(cellIncY);
    penX_ += adv * c - incY * s;
    penY_ += -(adv * s + incY * c);
}

FixedPoint TText32::Place(FixedPoint p) const {
    const std::int64_t ox = PenToFixed(penX_);
    const std::int64_t oy = PenToFixed(penY_);
    const std::int64_t x = ox + FixedMul(p.X, glyph_.eM11) + FixedMul(p.Y, glyph_.eM21);
    const std::int64_t y = oy + FixedMul(p.X, glyph_.eM12) + FixedMul(p.Y, glyph_.eM22);
    return {Saturate(x), Saturate(y)};
}

TPolyPolygon TText32::Place(const TPolyPolygon& glyph) const {
    TPolyPolygon placed;
    placed.reserve(glyph.size());
    for (const TPolygon& contour : glyph) {
        TPolygon out;
        out.reserve(contour.size());
        for (const FixedPoint& p : contour)
            out.push_back(Place(p));
        placed.push_back(std::move(out));
    }
    return placed;
}

} // namespace tessoly
