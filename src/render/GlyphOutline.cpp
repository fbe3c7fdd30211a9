// GlyphOutline: FreeType's unhinted outline of one character turned into native outline records.
//
// FreeType works in 26.6 pixels with y growing upwards; the records are 16.16 with y growing
// downwards, which is what GDI's (1, 0; 0, -1) transformation gives. FT_Outline_Decompose already
// splits TrueType B-splines at their implied on-curve points, so every quadratic record holds one
// piece (control, end); the flattener reads the general B-spline form all the same. The closing
// line FreeType adds back to the start point is dropped: contours are closed implicitly.

#include "render/GlyphOutline.h"

#include <cstdint>
#include <limits>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H

#include "render/RenderError.h"
#include "render/TrueTypeFontImpl.h"

namespace tessoly {

namespace {

//! 26.6 to 16.16, saturated: a hostile font must not overflow the coordinates.
std::int32_t FromF26Dot6(FT_Pos v) {
    const long long r = static_cast<long long>(v) * 1024;
    if (r > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (r < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(r);
}

TOutlinePoint ToRecordPoint(const FT_Vector* v) {
    return {FromF26Dot6(v->x), FromF26Dot6(-v->y)};
}

//! Rounds a 26.6 advance to whole pixels, halves up.
int RoundAdvance(FT_Pos v) {
    const long long r = (static_cast<long long>(v) + 32) >> 6;
    if (r > std::numeric_limits<int>::max() / 2)
        return std::numeric_limits<int>::max() / 2;
    if (r < std::numeric_limits<int>::min() / 2)
        return std::numeric_limits<int>::min() / 2;
    return static_cast<int>(r);
}

struct Builder {
    TGlyphOutline* outline = nullptr;
    TOutlinePoint current;

    TOutlineCurve& CurveOfType(int type) {
        auto& curves = outline->contours.back().curves;
        if (curves.empty() || curves.back().type != type || type == kPrimQSpline) {
            curves.push_back(TOutlineCurve{type, {}});
        }
        return curves.back();
    }
};

int MoveTo(const FT_Vector* to, void* user) {
    auto* b = static_cast<Builder*>(user);
    TOutlineContour contour;
    contour.start = ToRecordPoint(to);
    b->outline->contours.push_back(std::move(contour));
    b->current = b->outline->contours.back().start;
    return 0;
}

int LineTo(const FT_Vector* to, void* user) {
    auto* b = static_cast<Builder*>(user);
    if (b->outline->contours.empty())
        return 1;
    const TOutlinePoint p = ToRecordPoint(to);
    if (p == b->current)
        return 0;
    b->CurveOfType(kPrimLine).points.push_back(p);
    b->current = p;
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* b = static_cast<Builder*>(user);
    if (b->outline->contours.empty())
        return 1;
    TOutlineCurve& curve = b->CurveOfType(kPrimQSpline);
    curve.points.push_back(ToRecordPoint(control));
    curve.points.push_back(ToRecordPoint(to));
    b->current = curve.points.back();
    return 0;
}

int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto* b = static_cast<Builder*>(user);
    if (b->outline->contours.empty())
        return 1;
    TOutlineCurve& curve = b->CurveOfType(kPrimCSpline);
    curve.points.push_back(ToRecordPoint(control1));
    curve.points.push_back(ToRecordPoint(control2));
    curve.points.push_back(ToRecordPoint(to));
    b->current = curve.points.back();
    return 0;
}

void DropClosingLines(TGlyphOutline& outline) {
    for (TOutlineContour& contour : outline.contours) {
        auto& curves = contour.curves;
        if (curves.empty() || curves.back().type != kPrimLine)
            continue;
        auto& points = curves.back().points;
        if (!points.empty() && points.back() == contour.start)
            points.pop_back();
        if (points.empty())
            curves.pop_back();
    }
}

} // namespace

bool GlyphOutline(TTrueTypeFont& font, char16_t ch, TGlyphOutline& outline) {
    outline = TGlyphOutline{};
    TTrueTypeFont::Impl& f = font.impl();
    if (f.face == nullptr)
        return false;
    const FT_UInt index = FT_Get_Char_Index(f.face, ch);
    if (FT_Load_Glyph(f.face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return false;
    FT_GlyphSlot slot = f.face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE)
        throw RenderError("GetGlyphOutline() error - wrong header type");
    if (f.file.syntheticBold)
        FT_GlyphSlot_Embolden(slot);
    if (f.file.syntheticItalic)
        FT_GlyphSlot_Oblique(slot);

    Builder builder;
    builder.outline = &outline;
    const FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    if (FT_Outline_Decompose(&slot->outline, &funcs, &builder) != 0) {
        throw RenderError("GetGlyphOutline() error - wrong curve type");
    }
    DropClosingLines(outline);
    outline.cellIncX = RoundAdvance(slot->advance.x);
    outline.cellIncY = -RoundAdvance(slot->advance.y);
    return true;
}

} // namespace tessoly
