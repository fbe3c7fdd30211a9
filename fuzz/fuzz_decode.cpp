// Fuzz entry point of the source decoder: the bytes become a file (the decoder reads files, as
// the program does) and go through the same detection, header checks and decoding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "imageio/FreeImageLibrary.h"
#include "imageio/SourceDecoder.h"
#include "imageio/WorkingImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tessoly::FreeImageLibrary library;
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/tessoly-fuzz-decode-" + std::to_string(::getpid());
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) {
        std::remove(path.c_str());
        return 0;
    }
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
    std::remove(path.c_str());
    return 0;
}
