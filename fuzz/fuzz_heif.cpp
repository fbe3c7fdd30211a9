// Fuzz entry point of the HEIF seam: the bytes become a file and go through the header checks
// and libheif's decoding directly, whatever brand they claim, so mutated boxes reach the parser.
// Replays tests/data/heif (cut-short, oversized and scrambled files) as a plain program.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <FreeImage.h>

#include "imageio/FreeImageLibrary.h"
#include "imageio/HeaderSanity.h"
#include "imageio/HeifCodec.h"
#include "imageio/SourceFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tessoly::FreeImageLibrary library;
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/tessoly-fuzz-heif-" + std::to_string(::getpid());
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) {
        std::remove(path.c_str());
        return 0;
    }
    const bool plausible = tessoly::SourceHeaderIsPlausible(path, tessoly::kFormatHeif);
    unsigned width = 0, height = 0;
    const bool sized = tessoly::ReadHeifSize(path, width, height);
    if (sized && !tessoly::PlausiblePictureSize(width, height))
        std::abort();
    const char* verdict = "refused";
    if (plausible) {
        int orientation = 0;
        if (FIBITMAP* dib = tessoly::DecodeHeif(path, orientation)) {
            // The bitmap is the size the boxes stated, and the orientation a valid Exif value.
            if (FreeImage_GetWidth(dib) != width || FreeImage_GetHeight(dib) != height || orientation < 1 ||
                orientation > 8) {
                std::abort();
            }
            FreeImage_Unload(dib);
            verdict = "decoded";
        }
    }
    if (std::getenv("TESSOLY_FUZZ_VERBOSE"))
        std::fprintf(stderr, "%s\n", verdict);
    std::remove(path.c_str());
    return 0;
}
