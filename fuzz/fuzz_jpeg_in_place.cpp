// Fuzz entry point of marking a JPEG in place: the bytes become a source file, a fixed box in the
// middle of the picture is "marked" (its pixels inverted), and the result is written next to it.
// Whatever the bytes, the route must either write a JPEG libjpeg reads back or decline.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "FuzzInputFile.h"
#include "imageio/JpegCoefficientMark.h"
#include "imageio/JpegLib.h"

namespace {

class InvertingMark : public tessoly::ViewedMark {
public:
    tessoly::TRect Place(int width, int height) override {
        return {width / 3, height / 3, width / 3 + 40, height / 3 + 24};
    }
    void Draw(tessoly::TBitmap32& piece, int originX, int originY) override {
        (void)originX;
        (void)originY;
        for (int y = 0; y < piece.Height(); ++y) {
            for (int x = 0; x < piece.Width(); ++x)
                piece.SetPixel(x, y, piece.Pixel(x, y) ^ 0x00FFFFFFu);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string source = tessoly::fuzz::FuzzTempPath("inplace-in", ".jpg");
    static const std::string folder = tessoly::fuzz::FuzzTempPath("inplace-out");
    const tessoly::fuzz::FuzzInputFile input(source, data, size);
    if (!input.Ok())
        return 0;
    ::mkdir(folder.c_str(), 0700);
    tessoly::OutputSettings settings;
    settings.losslessJpeg = true;
    settings.outputFolder = folder;
    settings.existingFilePolicy = tessoly::ExistingFilePolicy::Overwrite;
    InvertingMark mark;
    const tessoly::InPlaceOutcome outcome = tessoly::MarkJpegInPlace(source, settings, mark);
    if (outcome.handled && !outcome.output.OutputFailed) {
        // The written file must be a JPEG libjpeg reads as coefficients.
        std::FILE* out = std::fopen(outcome.output.targetPath.c_str(), "rb");
        if (!out)
            std::abort();
        tessoly::JpegDecompressor in;
        try {
            jpeg_stdio_src(&in.info, out);
            jpeg_read_header(&in.info, TRUE);
            jpeg_read_coefficients(&in.info);
        } catch (const tessoly::JpegError&) {
            std::abort();
        }
        std::fclose(out);
        std::remove(outcome.output.targetPath.c_str());
    }
    if (std::getenv("TESSOLY_FUZZ_VERBOSE"))
        std::fprintf(stderr, "%s\n", outcome.handled ? "marked in place" : outcome.notApplied.c_str());
    ::rmdir(folder.c_str());
    return 0;
}
