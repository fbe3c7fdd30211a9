#include "imageio/WebpEncode.h"

#include <FreeImage.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include "imageio/LibraryMetadata.h"

namespace tessoly {

namespace {

//! libwebp's lossless preset level (0 fastest .. 9 smallest) for lossless outputs.
constexpr int kLosslessLevel = 2;
//! libwebp's lossy method (0 fastest .. 6 smallest): on 12-megapixel photos method 2 encodes in a
//! third of the default's (4) time at the same size within one per cent.
constexpr int kLossyMethod = 2;

struct PictureFree {
    WebPPicture& picture;
    ~PictureFree() { WebPPictureFree(&picture); }
};
struct WriterClear {
    WebPMemoryWriter& writer;
    ~WriterClear() { WebPMemoryWriterClear(&writer); }
};

//! Adds the ICC profile, Exif and XMP of image to the encoded file; false when libwebpmux fails.
bool AddMetadata(FIBITMAP* image, const WebPMemoryWriter& encoded, std::vector<std::uint8_t>& out) {
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(image);
    const bool icc = profile && profile->data && profile->size > 0;
    const std::vector<std::uint8_t> exif = RawExifOf(image);
    const std::vector<std::uint8_t> xmp = XmpOf(image);
    if (!icc && exif.empty() && xmp.empty()) {
        out.assign(encoded.mem, encoded.mem + encoded.size);
        return true;
    }
    const WebPData bitstream{encoded.mem, encoded.size};
    WebPMux* mux = WebPMuxCreate(&bitstream, 0);
    if (!mux)
        return false;
    bool ok = true;
    if (icc) {
        const WebPData chunk{static_cast<const std::uint8_t*>(profile->data), static_cast<size_t>(profile->size)};
        ok = ok && WebPMuxSetChunk(mux, "ICCP", &chunk, 0) == WEBP_MUX_OK;
    }
    if (!exif.empty()) {
        const WebPData chunk{exif.data(), exif.size()};
        ok = ok && WebPMuxSetChunk(mux, "EXIF", &chunk, 0) == WEBP_MUX_OK;
    }
    if (!xmp.empty()) {
        const WebPData chunk{xmp.data(), xmp.size()};
        ok = ok && WebPMuxSetChunk(mux, "XMP ", &chunk, 0) == WEBP_MUX_OK;
    }
    WebPData assembled;
    WebPDataInit(&assembled);
    ok = ok && WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK;
    if (ok)
        out.assign(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return ok;
}

} // namespace

bool EncodeWebp(FIBITMAP* image, int quality, bool lossless, std::vector<std::uint8_t>& out, std::string& error) {
    out.clear();
    const unsigned bpp = FreeImage_GetBPP(image);
    const int width = static_cast<int>(FreeImage_GetWidth(image)), height = static_cast<int>(FreeImage_GetHeight(image));
    if (FreeImage_GetImageType(image) != FIT_BITMAP || (bpp != 24 && bpp != 32)) {
        error = "WebP takes 24- or 32-bit colour";
        return false;
    }
    if (width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION) {
        error = "WebP holds at most 16383 pixels a side";
        return false;
    }
    WebPConfig config;
    if (!WebPConfigInit(&config)) {
        error = "libwebp does not match its headers";
        return false;
    }
    if (lossless) {
        WebPConfigLosslessPreset(&config, kLosslessLevel);
    } else {
        config.quality = static_cast<float>(quality);
        config.method = kLossyMethod;
    }
    config.thread_level = 1;
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) {
        error = "libwebp does not match its headers";
        return false;
    }
    PictureFree freePicture{picture};
    picture.width = width;
    picture.height = height;
    picture.use_argb = lossless ? 1 : 0;
    // The library keeps the bottom row first: the top row and a negative stride walk it downwards.
    const int pitch = static_cast<int>(FreeImage_GetPitch(image));
    const std::uint8_t* top = FreeImage_GetScanLine(image, height - 1);
    static_assert(FI_RGBA_BLUE == 0 && FI_RGBA_RED == 2, "FreeImage pixel order must be BGR(A)");
    const int imported = bpp == 32 ? WebPPictureImportBGRA(&picture, top, -pitch)
                                   : WebPPictureImportBGR(&picture, top, -pitch);
    if (!imported) {
        error = "Not enough memory to encode WebP";
        return false;
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    WriterClear clearWriter{writer};
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    if (!WebPEncode(&config, &picture)) {
        error = "libwebp error " + std::to_string(static_cast<int>(picture.error_code));
        return false;
    }
    if (!AddMetadata(image, writer, out)) {
        error = "The metadata could not be added to the WebP file";
        return false;
    }
    return true;
}

} // namespace tessoly
