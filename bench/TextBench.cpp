// The text path on every keystroke: measuring, drawing the default caption on large frames, and
// the emboss confined to the glyphs' region beside the same emboss over the whole frame.
//
//   tessoly_bench --benchmark_filter='Text|Emboss'

#include <benchmark/benchmark.h>
#include <cstring>

#include "BenchFrames.h"
#include "render/GlyphContours.h"
#include "render/GlyphOutline.h"
#include "render/Text32.h"
#include "render/TextEffects.h"
#include "render/TextWatermark.h"

namespace tessoly {
namespace {

TBitmap32 Frame(int w, int h) { return bench::PatternFrame(w, h); }

//! The default caption's contours, placed in the middle of a w x h frame.
TPolyPolygon CentredCaption(TTrueTypeFont& font, int w, int h) {
    const WatermarkSettings s;
    font.ApplyFontSettings(s.fontName, s.fontSize, s.bold, s.italic);
    TText32 text;
    text.SetPen(static_cast<float>(w / 2 - 190), static_cast<float>(h / 2 + 30));
    TPolyPolygon all;
    TGlyphOutline outline;
    for (char16_t ch : s.caption) {
        if (!GlyphOutline(font, ch, outline))
            break;
        for (TPolygon& c : text.Place(GlyphContours(outline)))
            all.push_back(std::move(c));
        text.Advance(outline.cellIncX, outline.cellIncY);
    }
    return all;
}

void BM_TextMeasure(benchmark::State& state) {
    TTrueTypeFont font;
    const WatermarkSettings s;
    font.ApplyFontSettings(s.fontName, s.fontSize, s.bold, s.italic);
    for (auto _ : state)
        benchmark::DoNotOptimize(MeasureText(font, s.caption));
}

void BM_TextDraw(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    const TBitmap32 source = Frame(w, h);
    TBitmap32 dst;
    dst.Assign(source);
    TTrueTypeFont font;
    const WatermarkSettings s;
    font.ApplyFontSettings(s.fontName, s.fontSize, s.bold, s.italic);
    for (auto _ : state) {
        DrawTextWatermark(dst, static_cast<float>(w / 2 - 190), static_cast<float>(h / 2 + 30), s, 153, font);
        benchmark::ClobberMemory();
    }
}

void BM_Emboss3D(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    TBitmap32 dst = Frame(w, h);
    TTrueTypeFont font;
    const TPolyPolygon contours = CentredCaption(font, w, h);
    for (auto _ : state) {
        Emboss3D(dst, contours, kTrailOffset, kTrailOffset, 0x99FFFFFFu, 0x99000000u);
        benchmark::ClobberMemory();
    }
}

//! The same pixels the whole-frame way: full copy, full-size mask, every row merged.
void BM_Emboss3DFullFrame(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    TBitmap32 dst = Frame(w, h);
    TTrueTypeFont font;
    const TPolyPolygon contours = CentredCaption(font, w, h);
    TBitmap32 copy;
    TBitmap32 mask;
    for (auto _ : state) {
        copy.Assign(dst);
        GlyphMask(contours, TRect{0, 0, w, h}, mask);
        ShadowTrail(dst, contours, -kTrailOffset, -kTrailOffset, 0x99000000u);
        ShadowTrail(dst, contours, kTrailOffset, kTrailOffset, 0x99FFFFFFu);
        for (int y = 0; y < h; ++y)
            EmbossRestoreRow(copy.ScanLine(y), mask.ScanLine(y), dst.ScanLine(y), w);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_TextMeasure)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextDraw)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Emboss3D)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Emboss3DFullFrame)->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tessoly
