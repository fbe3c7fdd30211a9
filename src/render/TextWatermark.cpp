// DrawTextWatermark: the caption straight onto the destination, in the order fill, outline,
// emboss, drop shadow.
//
// The pen starts on the whole pixel nearest to (X, Y) (halves to even) and follows the rotated
// baseline as 32-bit floats. A character the font cannot give ends the text. Each character is
// filled on its own (nonzero, S = 8), so overlapping neighbours blend twice; the black outline of
// every contour comes after all fills; the emboss and the shadow take all contours at once. The
// placed contours are computed once per drawing and shared by the four steps.

#include "render/TextWatermark.h"

#include <cmath>

#include "render/GlyphContours.h"
#include "render/GlyphOutline.h"
#include "render/LineStroke.h"
#include "render/PolygonFill.h"
#include "render/Text32.h"
#include "render/TextEffects.h"

namespace tessoly {

namespace {

//! Width of the black outline [pixels].
constexpr double kOutlineWidth = 1.8;

} // namespace

std::vector<TPolyPolygon> PlaceCaption(float X, float Y, const WatermarkSettings& settings, TTrueTypeFont& font) {
    TText32 text;
    text.SetAngle(settings.textAngle);
    text.SetPen(std::nearbyint(X), std::nearbyint(Y));
    std::vector<TPolyPolygon> glyphs;
    glyphs.reserve(settings.caption.size());
    TGlyphOutline record;
    for (const char16_t ch : settings.caption) {
        if (!GlyphOutline(font, ch, record))
            break;
        glyphs.push_back(text.Place(GlyphContours(record)));
        text.Advance(record.cellIncX, record.cellIncY);
    }
    return glyphs;
}

void DrawPlacedCaption(TBitmap32& dst, std::vector<TPolyPolygon> glyphs, const WatermarkSettings& settings,
                       int alpha) {
    if (dst.Empty())
        return;
    const TColor32 fill = SetAlpha(settings.textColour, alpha);
    const TColor32 outline = SetAlpha(0xFF000000u, alpha);
    const TColor32 light = SetAlpha(0xFFFFFFFFu, alpha);
    const TColor32 dark = outline;
    const TColor32 shadow = outline;

    for (const TPolyPolygon& glyph : glyphs) {
        if (!glyph.empty())
            FillPolyPolygon(dst, glyph, fill, TPolyFillMode::pfWinding, 8);
    }
    if (settings.outline) {
        for (const TPolyPolygon& glyph : glyphs) {
            for (const TPolygon& contour : glyph)
                StrokePolyline(dst, contour, true, kOutlineWidth, outline);
        }
    }
    if (settings.effect3D) {
        TPolyPolygon all;
        for (TPolyPolygon& glyph : glyphs) {
            for (TPolygon& contour : glyph)
                all.push_back(std::move(contour));
        }
        Emboss3D(dst, all, kTrailOffset, kTrailOffset, light, dark);
        ShadowTrail(dst, all, kTrailOffset, kTrailOffset, shadow);
    }
}

void DrawTextWatermark(TBitmap32& dst, float X, float Y, const WatermarkSettings& settings, int alpha,
                       TTrueTypeFont& font) {
    if (dst.Empty() || settings.caption.empty())
        return;
    DrawPlacedCaption(dst, PlaceCaption(X, Y, settings, font), settings, alpha);
}

} // namespace tessoly
