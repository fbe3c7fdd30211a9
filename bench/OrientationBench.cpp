// Turning a photo upright by its Exif orientation: the tiled turn of a 6000 x 4000 frame against a
// plain copy of it, and DecodeSourceImage of a 6000 x 4000 JPEG stored with Orientation 6 against
// the same JPEG with Orientation 1 (the batch's path: SourceBitmap alone).

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <FreeImage.h>

#include "BenchFrames.h"
#include "batch/ImagePipeline.h"
#include "imageio/ExifOrientation.h"
#include "imageio/FreeImageLibrary.h"
#include "imageio/PixelTransfer.h"
#include "imageio/SourceDecoder.h"
#include "imageio/WorkingImage.h"

namespace {

//! An APP1 Exif segment with one IFD holding Orientation = n.
std::string OrientationSegment(int n) {
    const std::string body = std::string("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24) +
                             static_cast<char>(n) + std::string(7, '\0');
    const std::size_t length = body.size() + 2;
    return std::string("\xFF\xE1", 2) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF) + body;
}

//! The photo-sized JPEG with orientation n, written once per run into the temp folder.
std::string OrientedPhoto(int n) {
    static tessoly::FreeImageLibrary library;
    static const std::string jpeg = [] {
        FIBITMAP* dib = FreeImage_Allocate(6000, 4000, 24);
        unsigned seed = 12345;
        for (unsigned y = 0; y < 4000; ++y) {
            BYTE* row = FreeImage_GetScanLine(dib, static_cast<int>(y));
            for (unsigned x = 0; x < 6000; ++x) {
                seed = seed * 1103515245u + 12345u;
                const unsigned noise = (seed >> 16) & 15u;
                row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>((x / 24 + noise) & 0xFF);
                row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>((y / 16 + noise) & 0xFF);
                row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(((x + y) / 40 + noise) & 0xFF);
            }
        }
        FIMEMORY* memory = FreeImage_OpenMemory(nullptr, 0);
        FreeImage_SaveToMemory(FIF_JPEG, dib, memory, JPEG_QUALITYGOOD);
        BYTE* data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(memory, &data, &size);
        std::string bytes(reinterpret_cast<const char*>(data), size);
        FreeImage_CloseMemory(memory);
        FreeImage_Unload(dib);
        return bytes;
    }();
    const std::string path = "/tmp/tessoly-bench-6000x4000-o" + std::to_string(n) + ".jpg";
    const std::size_t at = 4 + ((static_cast<unsigned char>(jpeg[4]) << 8) | static_cast<unsigned char>(jpeg[5]));
    std::ofstream(path, std::ios::binary) << jpeg.substr(0, at) << OrientationSegment(n) << jpeg.substr(at);
    return path;
}

void BM_CopyFrame(benchmark::State& state) {
    const tessoly::TBitmap32 frame = tessoly::bench::PatternFrame(6000, 4000);
    tessoly::TBitmap32 copy(6000, 4000);
    for (auto _ : state) {
        copy.Assign(frame);
        benchmark::DoNotOptimize(copy.Bits());
    }
}
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMillisecond);

void BM_OrientUpright(benchmark::State& state) {
    const tessoly::TBitmap32 frame = tessoly::bench::PatternFrame(6000, 4000);
    tessoly::TBitmap32 upright;
    for (auto _ : state) {
        tessoly::OrientUpright(frame, static_cast<int>(state.range(0)), upright);
        benchmark::DoNotOptimize(upright.Bits());
    }
}
BENCHMARK(BM_OrientUpright)->Arg(1)->Arg(3)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);

// The pixels of a decoded 6000 x 4000 photo into a 32-bit bitmap: as stored (argument 1) or turned
// upright (any other orientation), the decoding itself left out.
void BM_TransferUpright(benchmark::State& state) {
    const int orientation = static_cast<int>(state.range(0));
    FIBITMAP* dib = FreeImage_Load(FIF_JPEG, OrientedPhoto(orientation).c_str(), 0);
    unsigned w = FreeImage_GetWidth(dib), h = FreeImage_GetHeight(dib);
    tessoly::UprightSize(orientation, w, h);
    tessoly::TBitmap32 upright(static_cast<int>(w), static_cast<int>(h));
    for (auto _ : state) {
        if (orientation == 1) {
            tessoly::TransferLibraryPixels(dib, upright);
        } else {
            tessoly::UprightTransfer transfer;
            if (!transfer.Prepare(dib, orientation))
                state.SkipWithError("no memory");
            transfer.Run(upright, true);
        }
        benchmark::DoNotOptimize(upright.Bits());
    }
    FreeImage_Unload(dib);
}
BENCHMARK(BM_TransferUpright)->Arg(1)->Arg(3)->Arg(6)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_DecodeOrientedJpeg(benchmark::State& state) {
    const std::string path = OrientedPhoto(static_cast<int>(state.range(0)));
    tessoly::WorkingImage image;
    for (auto _ : state) {
        if (!tessoly::DecodeSourceImage(image, path, tessoly::DecodeTargets::SourceOnly))
            state.SkipWithError("decode failed");
        tessoly::ReleaseSourceImage(image);
    }
}
BENCHMARK(BM_DecodeOrientedJpeg)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

namespace {

// The whole item of tessoly-cli --jobs 1 (decode, compose, convert, encode, write) on the photo
// with orientation 1 and 6: the figure behind the cost of orientation.
void BM_ProcessOrientedJpeg(benchmark::State& state) {
    const std::string path = OrientedPhoto(static_cast<int>(state.range(0)));
    tessoly::WorkingImage image;
    tessoly::TTrueTypeFont font;
    tessoly::OutputSettings output;
    output.formatChoice = "JPEG";
    output.outputFolder = "/tmp/tessoly-bench-out";
    output.existingFilePolicy = tessoly::ExistingFilePolicy::Overwrite;
    std::filesystem::create_directories(output.outputFolder);
    tessoly::PipelineOptions options;
    options.showInPreview = false;
    const tessoly::WatermarkSettings watermark;
    for (auto _ : state) {
        const tessoly::PipelineResult result = tessoly::ProcessImage(path, watermark, output, image, font, options);
        if (result.status != tessoly::ItemStatus::Successful)
            state.SkipWithError(result.reason.c_str());
    }
}
BENCHMARK(BM_ProcessOrientedJpeg)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
