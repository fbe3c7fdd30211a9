// The raster engine on a 6000 x 4000 frame: a plain copy of the frame is the yardstick for the
// blend transfer (DrawAt at master alpha 153), the polygon fill of a caption-sized set of glyph-like
// contours and a stroked outline of the same contours.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

#include "render/Bitmap32.h"
#include "render/LineStroke.h"
#include "render/PolygonFill.h"

namespace tessoly {
namespace {

constexpr int kFrameWidth = 6000;
constexpr int kFrameHeight = 4000;

TBitmap32 Frame(std::uint32_t seed, bool varyAlpha) {
    TBitmap32 b(kFrameWidth, kFrameHeight);
    std::mt19937 rng(seed);
    TColor32* p = b.Bits();
    const std::size_t n = std::size_t(kFrameWidth) * kFrameHeight;
    for (std::size_t i = 0; i < n; ++i)
        p[i] = varyAlpha ? rng() : (rng() | 0xFF000000u);
    return b;
}

// Fourteen glyph-like shapes over about 2000 x 300 pixels: an outer contour of 240 points with a
// wavy rim and a hole of 120 points wound the other way, like the bowl of an "o" or a "g".
TPolyPolygon Caption() {
    TPolyPolygon set;
    const double left = 2000, top = 1800, advance = 143, height = 300;
    for (int g = 0; g < 14; ++g) {
        const double cx = left + advance * (g + 0.5), cy = top + height / 2;
        TPolygon outer, inner;
        for (int i = 0; i < 240; ++i) {
            const double a = 2 * M_PI * i / 240;
            const double r = 1 + 0.08 * std::sin(7 * a + g);
            outer.push_back(FixedPointFromReal(cx + 0.45 * advance * r * std::cos(a),
                                               cy + 0.5 * height * r * std::sin(a)));
        }
        for (int i = 120; i > 0; --i) {
            const double a = 2 * M_PI * i / 120;
            inner.push_back(
                FixedPointFromReal(cx + 0.2 * advance * std::cos(a), cy + 0.25 * height * std::sin(a)));
        }
        set.push_back(std::move(outer));
        set.push_back(std::move(inner));
    }
    return set;
}

void BM_CopyFrame(benchmark::State& state) {
    const TBitmap32 src = Frame(1, false);
    TBitmap32 dst(kFrameWidth, kFrameHeight);
    for (auto _ : state) {
        std::copy(src.Bits(), src.Bits() + std::size_t(kFrameWidth) * kFrameHeight, dst.Bits());
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMillisecond);

void BM_DrawAtBlend153(benchmark::State& state) {
    TBitmap32 src = Frame(2, true);
    src.DrawMode = dmBlend;
    src.MasterAlpha = 153;
    const TBitmap32 original = Frame(3, false);
    TBitmap32 dst;
    dst.Assign(original);
    for (auto _ : state) {
        DrawAt(src, dst, 0, 0);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawAtBlend153)->Unit(benchmark::kMillisecond);

void BM_DrawAtBlend255(benchmark::State& state) {
    TBitmap32 src = Frame(2, true);
    src.DrawMode = dmBlend;
    TBitmap32 dst = Frame(3, false);
    for (auto _ : state) {
        DrawAt(src, dst, 0, 0);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_DrawAtBlend255)->Unit(benchmark::kMillisecond);

void BM_Rotate90(benchmark::State& state) {
    const TBitmap32 src = Frame(6, true);
    TBitmap32 dst;
    for (auto _ : state) {
        Rotate90(src, dst);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Rotate90)->Unit(benchmark::kMillisecond);

void BM_FillCaption(benchmark::State& state) {
    const int samples = int(state.range(0));
    const TPolyPolygon caption = Caption();
    TBitmap32 dst = Frame(4, false);
    for (auto _ : state) {
        FillPolyPolygon(dst, caption, 0x99FFFFFFu, TPolyFillMode::pfWinding, samples);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FillCaption)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

void BM_StrokeCaption(benchmark::State& state) {
    const TPolyPolygon caption = Caption();
    TBitmap32 dst = Frame(5, false);
    for (auto _ : state) {
        for (const TPolygon& contour : caption)
            StrokePolyline(dst, contour, true, 1.8, 0xFF000000u);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StrokeCaption)->Unit(benchmark::kMillisecond);

void BM_AaOutlineCaption(benchmark::State& state) {
    // One pass of a shadow trail: every contour as a closed thin line.
    const TPolyPolygon caption = Caption();
    TBitmap32 dst = Frame(7, false);
    for (auto _ : state) {
        for (const TPolygon& contour : caption)
            AaPolyline(dst, contour, true, 0xC0000000u);
        benchmark::DoNotOptimize(dst.Bits());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AaOutlineCaption)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tessoly
