// AVIF outputs through libheif with libaom. The speed preset trades a little size for time: at
// libaom's speed 8 (of 0..9) a 24-megapixel photo encodes in a few seconds where the default
// takes minutes; 4:2:0 chroma, as the photos the web serves are.

#include <cstring>
#include <memory>

#include <FreeImage.h>
#include <libheif/heif.h>

#include "imageio/HeifCodec.h"
#include "imageio/LibraryMetadata.h"

namespace tessoly {

namespace {

//! libaom's cpu-used preset for AVIF outputs (0 slowest, 9 fastest).
constexpr int kAvifSpeed = 8;

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct EncoderRelease {
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct EncodingOptionsFree {
    void operator()(heif_encoding_options* o) const { heif_encoding_options_free(o); }
};

bool Failed(const heif_error& result, std::string& error, const char* what) {
    if (result.code == heif_error_Ok)
        return false;
    error = std::string(what) + (result.message && *result.message ? std::string(": ") + result.message : "");
    return true;
}

heif_error AppendBytes(heif_context*, const void* data, size_t size, void* userdata) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(userdata);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

} // namespace

bool EncodeAvif(FIBITMAP* image, int quality, std::vector<std::uint8_t>& out, std::string& error) {
    InitialiseLibheif();
    out.clear();
    const unsigned bpp = FreeImage_GetBPP(image);
    if (FreeImage_GetImageType(image) != FIT_BITMAP || (bpp != 24 && bpp != 32)) {
        error = "AVIF takes 24- or 32-bit colour";
        return false;
    }
    const bool alpha = bpp == 32;
    const int w = static_cast<int>(FreeImage_GetWidth(image)), h = static_cast<int>(FreeImage_GetHeight(image));

    std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
    if (!context) {
        error = "Not enough memory to encode AVIF";
        return false;
    }
    heif_encoder* encoderRaw = nullptr;
    if (Failed(heif_context_get_encoder_for_format(context.get(), heif_compression_AV1, &encoderRaw), error,
               "No AV1 encoder")) {
        return false;
    }
    std::unique_ptr<heif_encoder, EncoderRelease> encoder(encoderRaw);
    if (Failed(heif_encoder_set_lossy_quality(encoder.get(), quality), error, "AVIF quality refused"))
        return false;
    // Parameters a given encoder build may lack are left at its defaults.
    heif_encoder_set_parameter_integer(encoder.get(), "speed", kAvifSpeed);
    heif_encoder_set_parameter_string(encoder.get(), "chroma", "420");

    heif_image* pictureRaw = nullptr;
    if (Failed(heif_image_create(w, h, heif_colorspace_RGB,
                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &pictureRaw),
               error, "Not enough memory to encode AVIF")) {
        return false;
    }
    std::unique_ptr<heif_image, ImageRelease> picture(pictureRaw);
    if (Failed(heif_image_add_plane(picture.get(), heif_channel_interleaved, w, h, 8), error,
               "Not enough memory to encode AVIF")) {
        return false;
    }
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(picture.get(), heif_channel_interleaved, &stride);
    if (!plane) {
        error = "Not enough memory to encode AVIF";
        return false;
    }
    const int channels = alpha ? 4 : 3;
    for (int y = 0; y < h; ++y) {
        const BYTE* src = FreeImage_GetScanLine(image, h - 1 - y);
        std::uint8_t* dst = plane + std::size_t(stride) * std::size_t(y);
        for (int x = 0; x < w; ++x, src += channels, dst += channels) {
            dst[0] = src[FI_RGBA_RED];
            dst[1] = src[FI_RGBA_GREEN];
            dst[2] = src[FI_RGBA_BLUE];
            if (alpha)
                dst[3] = src[FI_RGBA_ALPHA];
        }
    }
    if (FIICCPROFILE* profile = FreeImage_GetICCProfile(image); profile && profile->data && profile->size > 0) {
        heif_image_set_raw_color_profile(picture.get(), "prof", profile->data, static_cast<size_t>(profile->size));
    }

    std::unique_ptr<heif_encoding_options, EncodingOptionsFree> options(heif_encoding_options_alloc());
    heif_image_handle* handleRaw = nullptr;
    if (Failed(heif_context_encode_image(context.get(), picture.get(), encoder.get(), options.get(), &handleRaw),
               error, "The image could not be encoded as AVIF")) {
        return false;
    }
    std::unique_ptr<heif_image_handle, HandleRelease> handle(handleRaw);
    if (const std::vector<std::uint8_t> exif = RawExifOf(image); !exif.empty()) {
        heif_context_add_exif_metadata(context.get(), handle.get(), exif.data(), static_cast<int>(exif.size()));
    }
    if (const std::vector<std::uint8_t> xmp = XmpOf(image); !xmp.empty()) {
        heif_context_add_XMP_metadata(context.get(), handle.get(), xmp.data(), static_cast<int>(xmp.size()));
    }
    heif_writer writer{1, &AppendBytes};
    return !Failed(heif_context_write(context.get(), &writer, &out), error, "The AVIF file could not be written");
}

} // namespace tessoly
