// ComposeWatermark on large frames, beside one plain copy of the same frame: the text and the
// picture watermark should each cost at most a few frame copies, since the preview re-renders on
// every keystroke and slider step.
//
//   tessoly_bench --benchmark_filter='Compose|FrameCopy'

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <string>

#include <QImage>

#include "BenchFrames.h"
#include "render/Composer.h"

namespace tessoly {
namespace {

TBitmap32 Frame(int w, int h) { return bench::PatternFrame(w, h); }

//! A 400 x 200 PNG with a soft-edged ellipse, written once to the temp folder.
const std::string& PicturePath() {
    static const std::string path = [] {
        QImage image(400, 200, QImage::Format_ARGB32);
        image.fill(0u);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; ++x) {
                const double dx = (x - 200) / 190.0, dy = (y - 100) / 90.0, d = dx * dx + dy * dy;
                if (d < 1.0)
                    image.setPixel(x, y,
                                   qRgba(30, 90, 200, d < 0.8 ? 255 : static_cast<int>((1 - d) * 1275)));
            }
        const std::string p = (std::filesystem::temp_directory_path() / "tessoly-bench-picture.png").string();
        image.save(QString::fromStdString(p), "PNG");
        return p;
    }();
    return path;
}

void BM_FrameCopy(benchmark::State& state) {
    const TBitmap32 source = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TBitmap32 composed(source.Width(), source.Height());
    for (auto _ : state) {
        std::memcpy(composed.Bits(), source.Bits(),
                    static_cast<std::size_t>(source.Width()) * source.Height() * sizeof(TColor32));
        benchmark::ClobberMemory();
    }
}

void BM_ComposeText(benchmark::State& state) {
    const TBitmap32 source = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TBitmap32 composed;
    TTrueTypeFont font;
    const WatermarkSettings settings; // "© Tessoly", Arial 60 pt bold, outline and 3D, opacity 30, centre
    for (auto _ : state) {
        ComposeWatermark(settings, source, composed, font, {});
        benchmark::ClobberMemory();
    }
}

//! The default caption 4 % of the shorter side high: the size is fitted by measuring the caption.
void BM_ComposeRelativeText(benchmark::State& state) {
    const TBitmap32 source = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TBitmap32 composed;
    TTrueTypeFont font;
    WatermarkSettings settings;
    settings.fontSize = 4;
    settings.fontSizeUnit = SizeUnit::PercentOfImage;
    for (auto _ : state) {
        ComposeWatermark(settings, source, composed, font, {});
        benchmark::ClobberMemory();
    }
}

//! The default caption repeated across the whole frame at the default spacing.
void BM_ComposeTiledText(benchmark::State& state) {
    const TBitmap32 source = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TBitmap32 composed;
    TTrueTypeFont font;
    WatermarkSettings settings;
    settings.tile = true;
    for (auto _ : state) {
        ComposeWatermark(settings, source, composed, font, {});
        benchmark::ClobberMemory();
    }
}

void BM_ComposePicture(benchmark::State& state) {
    const TBitmap32 source = Frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TBitmap32 composed;
    TTrueTypeFont font;
    WatermarkSettings settings;
    settings.mode = kModeImage;
    settings.picturePath = PicturePath();
    for (auto _ : state) {
        ComposeWatermark(settings, source, composed, font, {});
        benchmark::ClobberMemory();
    }
}

void Frames(benchmark::internal::Benchmark* b) {
    b->Args({6000, 4000})->Args({1920, 1080})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_FrameCopy)->Apply(Frames);
BENCHMARK(BM_ComposeText)->Apply(Frames);
BENCHMARK(BM_ComposePicture)->Apply(Frames);
BENCHMARK(BM_ComposeRelativeText)->Apply(Frames);
BENCHMARK(BM_ComposeTiledText)->Apply(Frames);

} // namespace
} // namespace tessoly
