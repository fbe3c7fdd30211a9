#pragma once
// TText32: the text engine of one measurement or one drawing. It holds the rotation angle, the
// glyph and advance matrices in 16.16 derived from it, and the pen.

#include <cstdint>

#include "render/FixedPoint.h"

namespace tessoly {

//! A 2 x 2 matrix in 16.16 fixed point.
struct TFixedMatrix {
    TFixed eM11 = kFixedOne;
    TFixed eM12 = 0;
    TFixed eM21 = 0;
    TFixed eM22 = kFixedOne;
    friend bool operator==(const TFixedMatrix&, const TFixedMatrix&) = default;
};

//! degrees mod 360 (sign of the dividend), then into -180..180.
int NormalizeTextAngle(int degrees);
//! (a * b) >> 16 with a 64-bit product and an arithmetic shift, saturated to 32 bits.
TFixed FixedMul(TFixed a, TFixed b);

class TText32 {
public:
    //! Angle 0: identity matrices, pen at (0, 0).
    TText32() = default;

    //! Sets the rotation [degrees]; positive turns counter-clockwise on screen (y down).
    void SetAngle(int degrees);
    int Angle() const { return angle_; }
    //! (c, -s; s, c): a glyph point (x, y) goes to (x c + y s, -x s + y c).
    const TFixedMatrix& GlyphMatrix() const { return glyph_; }
    //! The rotation by -angle, (c, s; -s, c), that moves the pen along the rotated baseline.
    const TFixedMatrix& AdvanceMatrix() const { return advance_; }

    void SetPen(float x, float y);
    float PenX() const { return penX_; }
    float PenY() const { return penY_; }
    //! Moves the pen by one character's advance [whole pixels] along the rotated baseline.
    void Advance(int cellIncX, int cellIncY);

    //! A glyph point placed at the pen: the glyph matrix, then the pen converted to 16.16.
    FixedPoint Place(FixedPoint glyphPoint) const;
    //! Every point of the glyph's contours placed at the pen.
    TPolyPolygon Place(const TPolyPolygon& glyph) const;

private:
    int angle_ = 0;
    TFixedMatrix glyph_;
    TFixedMatrix advance_;
    //! Pen [pixels]; 32-bit floats, whose rounding along a long caption is part of the placement.
    float penX_ = 0;
    float penY_ = 0;
};

} // namespace tessoly
