#include "imageio/SourceFormat.h"

#include <cstdint>
#include <cstdio>

#include <FreeImage.h>

#include "imageio/HeifCodec.h"

namespace tessoly {

int DetectSourceFormat(const std::string& path) {
    std::uint8_t head[64];
    std::size_t got = 0;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        got = std::fread(head, 1, sizeof head, file);
        std::fclose(file);
    }
    // FreeImage 3.18 knows nothing of the HEIF family, so its brand is asked first.
    if (const int heif = HeifFormatFromHeader(head, got); heif >= 0)
        return heif;
    return FreeImage_GetFileType(path.c_str(), 0);
}

FIBITMAP* LoadSourceBitmap(int formatCode, const std::string& path, SourceLoadInfo& info) {
    info = SourceLoadInfo{};
    if (IsHeifFamily(formatCode)) {
        FIBITMAP* dib = DecodeHeif(path, info.storedOrientation);
        info.orientationApplied = true;
        return dib;
    }
    if (formatCode < 0)
        return nullptr;
    return FreeImage_Load(static_cast<FREE_IMAGE_FORMAT>(formatCode), path.c_str(), 0);
}

} // namespace tessoly
