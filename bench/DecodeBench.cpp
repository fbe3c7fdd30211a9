// DecodeSourceImage of a 6000 x 4000 JPEG against FreeImage_Load alone: the price of the header
// walk, the transfer into 32-bit pixels and, for the window, the preview's full-size copy.

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

#include <FreeImage.h>

#include "imageio/FreeImageLibrary.h"
#include "imageio/SourceDecoder.h"
#include "imageio/WorkingImage.h"

namespace {

//! The photo-sized test file, written once per run into the temp folder.
const std::string& PhotoPath() {
    static tessoly::FreeImageLibrary library;
    static const std::string path = [] {
        const std::string p = "/tmp/tessoly-bench-6000x4000.jpg";
        FIBITMAP* dib = FreeImage_Allocate(6000, 4000, 24);
        unsigned seed = 12345;
        for (unsigned y = 0; y < 4000; ++y) {
            BYTE* row = FreeImage_GetScanLine(dib, static_cast<int>(y));
            for (unsigned x = 0; x < 6000; ++x) {
                seed = seed * 1103515245u + 12345u;
                const unsigned noise = (seed >> 16) & 15u; // a little grain, as photos have
                row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>((x / 24 + noise) & 0xFF);
                row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>((y / 16 + noise) & 0xFF);
                row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(((x + y) / 40 + noise) & 0xFF);
            }
        }
        if (!FreeImage_Save(FIF_JPEG, dib, p.c_str(), JPEG_QUALITYGOOD))
            std::fprintf(stderr, "cannot write %s\n", p.c_str());
        FreeImage_Unload(dib);
        return p;
    }();
    return path;
}

void BM_FreeImageLoadJpeg(benchmark::State& state) {
    const std::string& path = PhotoPath();
    for (auto _ : state) {
        FIBITMAP* dib = FreeImage_Load(FIF_JPEG, path.c_str(), 0);
        benchmark::DoNotOptimize(dib);
        FreeImage_Unload(dib);
    }
}
BENCHMARK(BM_FreeImageLoadJpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DecodeSourceImageJpeg(benchmark::State& state) {
    const std::string& path = PhotoPath();
    tessoly::WorkingImage image;
    for (auto _ : state) {
        if (!tessoly::DecodeSourceImage(image, path))
            state.SkipWithError("decode failed");
        tessoly::ReleaseSourceImage(image);
    }
}
BENCHMARK(BM_DecodeSourceImageJpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The batch with no preview: SourceBitmap alone.
void BM_DecodeSourceImageJpegSourceOnly(benchmark::State& state) {
    const std::string& path = PhotoPath();
    tessoly::WorkingImage image;
    for (auto _ : state) {
        if (!tessoly::DecodeSourceImage(image, path, tessoly::DecodeTargets::SourceOnly))
            state.SkipWithError("decode failed");
        tessoly::ReleaseSourceImage(image);
    }
}
BENCHMARK(BM_DecodeSourceImageJpegSourceOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
