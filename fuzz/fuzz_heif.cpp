// Fuzz entry point of the HEIF seam: the bytes become a file and go through the header checks
// and libheif's decoding directly, whatever brand they claim, so mutated boxes reach the parser.
// Replays tests/data/heif (cut-short, oversized and scrambled files) as a plain program.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <FreeImage.h>

#include "FuzzInputFile.h"
#include "imageio/FreeImageLibrary.h"
#include "imageio/HeaderSanity.h"
#include "imageio/HeifCodec.h"
#include "imageio/SourceFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tessoly::FreeImageLibrary library;
    static const std::string path = tessoly::fuzz::FuzzTempPath("heif");
    const tessoly::fuzz::FuzzInputFile input(path, data, size);
    if (!input.Ok())
        return 0;
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
    return 0;
}
