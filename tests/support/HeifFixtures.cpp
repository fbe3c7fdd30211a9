#include "support/HeifFixtures.h"

#include <libheif/heif.h>

namespace tessoly::test {

std::string ExifWithOrientation(int orientation) {
    // "MM", 42, IFD at 8; one entry: tag 0x0112 SHORT count 1 value; next IFD 0.
    const unsigned char block[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                                   0, static_cast<unsigned char>(orientation), 0, 0, 0, 0, 0, 0};
    return std::string("Exif\0\0", 6) + std::string(reinterpret_cast<const char*>(block), sizeof block);
}

bool WriteHeifFixture(const std::string& path, const HeifFixture& f) {
    heif_init(nullptr);
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* image = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    bool ok = heif_context_get_encoder_for_format(context, f.av1 ? heif_compression_AV1 : heif_compression_HEVC,
                                                  &encoder)
                  .code == heif_error_Ok;
    if (ok) {
        heif_encoder_set_lossy_quality(encoder, 95);
        heif_encoder_set_parameter_string(encoder, "chroma", "444");
        if (f.av1)
            heif_encoder_set_parameter_integer(encoder, "speed", 9);
        ok = heif_image_create(f.width, f.height, heif_colorspace_RGB,
                               f.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image)
                     .code == heif_error_Ok &&
             heif_image_add_plane(image, heif_channel_interleaved, f.width, f.height, 8).code == heif_error_Ok;
    }
    if (ok) {
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        const int channels = f.alpha ? 4 : 3;
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                const std::uint32_t c = f.pixels[std::size_t(y) * std::size_t(f.width) + std::size_t(x)];
                std::uint8_t* p = plane + y * stride + x * channels;
                p[0] = std::uint8_t(c >> 16);
                p[1] = std::uint8_t(c >> 8);
                p[2] = std::uint8_t(c);
                if (f.alpha)
                    p[3] = std::uint8_t(c >> 24);
            }
        }
        if (!f.iccProfile.empty())
            heif_image_set_raw_color_profile(image, "prof", f.iccProfile.data(), f.iccProfile.size());
        options->image_orientation = static_cast<heif_orientation>(f.orientation);
        heif_image_handle* handle = nullptr;
        ok = heif_context_encode_image(context, image, encoder, options, &handle).code == heif_error_Ok;
        if (ok && f.exifOrientation > 0) {
            const std::string exif = ExifWithOrientation(f.exifOrientation);
            heif_context_add_exif_metadata(context, handle, exif.data(), static_cast<int>(exif.size()));
        }
        if (handle)
            heif_image_handle_release(handle);
    }
    if (ok)
        ok = heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
    heif_encoding_options_free(options);
    if (image)
        heif_image_release(image);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(context);
    heif_deinit();
    return ok;
}

} // namespace tessoly::test
