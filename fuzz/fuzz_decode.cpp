// Fuzz entry point of the source decoder: the bytes become a file (the decoder reads files, as
// the program does) and go through the same detection, header checks and decoding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "FuzzInputFile.h"
#include "imageio/FreeImageLibrary.h"
#include "imageio/SourceDecoder.h"
#include "imageio/WorkingImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tessoly::FreeImageLibrary library;
    static const std::string path = tessoly::fuzz::FuzzTempPath("decode");
    const tessoly::fuzz::FuzzInputFile input(path, data, size);
    if (!input.Ok())
        return 0;
    tessoly::WorkingImage image;
    const bool decoded = tessoly::DecodeSourceImage(image, path);
    if (decoded) {
        // The properties line reads the open library image; the bitmaps must match its size.
        const std::string properties = tessoly::PropertiesText(image);
        if (image.SourceBitmap.Width() != image.PreviewBitmap.Width() || properties.empty())
            std::abort();
    }
    if (std::getenv("TESSOLY_FUZZ_VERBOSE")) {
        std::fprintf(stderr, "%s\n", decoded ? tessoly::PropertiesText(image).c_str() : "refused");
    }
    tessoly::ReleaseSourceImage(image);
    return 0;
}
