// Header checks for the source formats. Each reader looks only at the fields that decide how much
// the decoder will allocate or how it will index its buffers: the picture size against the caps,
// component and channel counts the decoders assume, and, for layouts whose size follows from the
// header, whether the file can hold the data at all. A reader refuses only what no encoder writes
// and no decoder can show; everything else goes on to FreeImage, which has the final word.
// Invariants: no read goes past the end of the source; nothing is allocated from a header value.

#include "imageio/HeaderSanity.h"

#include <FreeImage.h>

#include "imageio/HeaderChecks.h"
#include "imageio/HeifCodec.h"
#include "imageio/SourceFormat.h"

namespace tessoly {

bool PlausiblePictureSize(std::uint64_t width, std::uint64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxSourceSide && height <= kMaxSourceSide &&
           width * height <= kMaxSourcePixels;
}

HeaderCheck CheckSourceHeader(ByteReader& reader, int formatCode, HeaderScope scope,
                              HeaderPictureSize* size) {
    if (!reader.Ok())
        return HeaderCheck::Refused;
    switch (formatCode) {
    case FIF_BMP:
        return CheckBmp(reader);
    case FIF_JPEG:
        return CheckJpeg(reader, scope == HeaderScope::HeaderOnly);
    case FIF_PCX:
        return CheckPcx(reader);
    case FIF_PNG:
        return CheckPng(reader);
    case FIF_TARGA:
        return CheckTarga(reader);
    case FIF_TIFF:
        return CheckTiff(reader);
    case FIF_PSD:
        return CheckPsd(reader);
    case FIF_GIF:
        return CheckGif(reader, size);
    case FIF_JP2:
        return CheckJp2(reader, size);
    case FIF_J2K:
        return CheckCodeStream(reader, 0, size);
    case FIF_WEBP:
        return CheckWebp(reader);
    case kFormatHeif:
    case kFormatAvif:
        return CheckIsoBoxes(reader);
    default:
        return HeaderCheck::NotChecked;
    }
}

bool SourceHeaderIsPlausible(const std::string& path, int formatCode, HeaderScope scope) {
    {
        ByteReader reader(path);
        const HeaderCheck check = CheckSourceHeader(reader, formatCode, scope);
        if (check == HeaderCheck::Refused)
            return false;
        // The HEIF family states its size in nested boxes that libheif reads for us.
        if (IsHeifFamily(formatCode))
            return CheckHeifFile(path) == HeaderCheck::Plausible;
        if (check != HeaderCheck::NotChecked)
            return check == HeaderCheck::Plausible;
    }
    const auto format = static_cast<FREE_IMAGE_FORMAT>(formatCode);
    // Formats without a reader here: the plugin's own header-only load tells the size, where it has
    // one. Formats with neither (Koala, IFF, SGI, ...) go to the decoder unchecked.
    if (!FreeImage_FIFSupportsNoPixels(format))
        return true;
    FIBITMAP* header = FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS);
    if (!header)
        return false;
    const bool plausible = PlausiblePictureSize(FreeImage_GetWidth(header), FreeImage_GetHeight(header));
    FreeImage_Unload(header);
    return plausible;
}

} // namespace tessoly
