// HEIF and AVIF sources through libheif. The boxes are read first (never the coded data), the
// primary image's shown size is checked against the caps before anything is decoded, and
// libheif's own size limit is set so that no tile grid or derived image can ask for more. The
// decoded picture (8 bits per channel; deeper images are reduced by libheif) is copied into a
// FreeImage bitmap, bottom row first and blue first as FreeImage keeps pixels.

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <FreeImage.h>
#include <libheif/heif.h>

#include "imageio/FreeImageHandle.h"
#include "imageio/HeaderChecks.h"
#include "imageio/HeifCodec.h"
#include "imageio/LibraryMetadata.h"
#include "imageio/SourceFormat.h"

namespace tessoly {

namespace {

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleRelease {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageRelease {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
using ContextPtr = std::unique_ptr<heif_context, ContextFree>;
using HandlePtr = std::unique_ptr<heif_image_handle, HandleRelease>;
using ImagePtr = std::unique_ptr<heif_image, ImageRelease>;

//! The primary image of an opened file whose shown size lies inside the caps, or null.
struct OpenedHeif {
    ContextPtr context;
    HandlePtr primary;
    unsigned width = 0, height = 0;
};

bool OpenHeif(const std::string& path, OpenedHeif& out) {
    InitialiseLibheif();
    out.context.reset(heif_context_alloc());
    if (!out.context)
        return false;
    heif_context_set_maximum_image_size_limit(out.context.get(), static_cast<int>(kMaxSourceSide));
    if (heif_context_read_from_file(out.context.get(), path.c_str(), nullptr).code != heif_error_Ok)
        return false;
    heif_image_handle* handle = nullptr;
    if (heif_context_get_primary_image_handle(out.context.get(), &handle).code != heif_error_Ok || !handle)
        return false;
    out.primary.reset(handle);
    const int w = heif_image_handle_get_width(handle), h = heif_image_handle_get_height(handle);
    // The coded size matters as much as the shown one: a crop may hide a huge coded picture.
    const int codedW = heif_image_handle_get_ispe_width(handle), codedH = heif_image_handle_get_ispe_height(handle);
    if (w <= 0 || h <= 0 || !PlausiblePictureSize(unsigned(w), unsigned(h)))
        return false;
    if (codedW > 0 && codedH > 0 && !PlausiblePictureSize(unsigned(codedW), unsigned(codedH)))
        return false;
    out.width = unsigned(w);
    out.height = unsigned(h);
    return true;
}

void AttachColourProfile(FIBITMAP* dib, const heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return;
    const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if (size == 0 || size > 0x7FFFFFFF)
        return;
    std::vector<std::uint8_t> profile(size);
    if (heif_image_handle_get_raw_color_profile(handle, profile.data()).code == heif_error_Ok)
        FreeImage_CreateICCProfile(dib, profile.data(), static_cast<long>(size));
}

//! The data of every metadata block of the given type ("Exif", "mime"), with its content type.
void AttachMetadataBlocks(FIBITMAP* dib, const heif_image_handle* handle) {
    const int count = heif_image_handle_get_number_of_metadata_blocks(handle, nullptr);
    if (count <= 0)
        return;
    std::vector<heif_item_id> ids(static_cast<std::size_t>(count));
    const int listed = heif_image_handle_get_list_of_metadata_block_IDs(handle, nullptr, ids.data(), count);
    for (int i = 0; i < listed; ++i) {
        const char* type = heif_image_handle_get_metadata_type(handle, ids[i]);
        const char* content = heif_image_handle_get_metadata_content_type(handle, ids[i]);
        const std::size_t size = heif_image_handle_get_metadata_size(handle, ids[i]);
        const bool exif = type && std::strcmp(type, "Exif") == 0;
        const bool xmp = type && std::strcmp(type, "mime") == 0 && content &&
                         std::strcmp(content, "application/rdf+xml") == 0;
        if ((!exif && !xmp) || size == 0 || size > (std::size_t(64) << 20))
            continue;
        std::vector<std::uint8_t> data(size);
        if (heif_image_handle_get_metadata(handle, ids[i], data.data()).code != heif_error_Ok)
            continue;
        if (exif) {
            // The block opens with the offset of the TIFF header from the end of that field.
            if (size < 4)
                continue;
            const std::uint32_t offset = (std::uint32_t(data[0]) << 24) | (std::uint32_t(data[1]) << 16) |
                                         (std::uint32_t(data[2]) << 8) | data[3];
            if (offset > size - 4)
                continue;
            AttachExif(dib, data.data() + 4 + offset, size - 4 - offset);
        } else {
            AttachXmp(dib, data.data(), size);
        }
    }
}

} // namespace

void InitialiseLibheif() {
    // Registers the built-in decoders and encoders once; never undone, as other threads may
    // still use the library while the program ends.
    static const bool initialised = [] {
        heif_init(nullptr);
        return true;
    }();
    (void)initialised;
}

int HeifFormatFromHeader(const std::uint8_t* data, std::size_t size) {
    if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return -1;
    std::size_t boxSize = (std::size_t(data[0]) << 24) | (std::size_t(data[1]) << 16) |
                          (std::size_t(data[2]) << 8) | data[3];
    if (boxSize < 16)
        return -1;
    boxSize = std::min(boxSize, size);
    const auto is = [](const std::uint8_t* brand, const char* name) { return std::memcmp(brand, name, 4) == 0; };
    const auto heic = [&](const std::uint8_t* b) {
        return is(b, "heic") || is(b, "heix") || is(b, "heim") || is(b, "heis") || is(b, "hevc") ||
               is(b, "hevx");
    };
    const auto avif = [&](const std::uint8_t* b) { return is(b, "avif") || is(b, "avis"); };
    const std::uint8_t* major = data + 8;
    if (avif(major))
        return kFormatAvif;
    if (heic(major))
        return kFormatHeif;
    // A general "mif1"/"msf1" major brand: the compatible brands say which coding it holds.
    bool anyHeif = is(major, "mif1") || is(major, "msf1");
    for (std::size_t at = 16; at + 4 <= boxSize; at += 4) {
        if (avif(data + at))
            return kFormatAvif;
        if (heic(data + at) || is(data + at, "mif1") || is(data + at, "msf1"))
            anyHeif = true;
    }
    return anyHeif ? kFormatHeif : -1;
}

HeaderCheck CheckHeifFile(const std::string& path) {
    OpenedHeif opened;
    return Verdict(OpenHeif(path, opened));
}

bool ReadHeifSize(const std::string& path, unsigned& width, unsigned& height) {
    OpenedHeif opened;
    if (!OpenHeif(path, opened))
        return false;
    width = opened.width;
    height = opened.height;
    return true;
}

FIBITMAP* DecodeHeif(const std::string& path, int& storedOrientation) {
    storedOrientation = 1;
    OpenedHeif opened;
    if (!OpenHeif(path, opened))
        return nullptr;
    const heif_image_handle* handle = opened.primary.get();
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options)
        return nullptr;
    options->convert_hdr_to_8bit = 1;
    heif_image* decodedRaw = nullptr;
    const heif_error decodeError =
        heif_decode_image(handle, &decodedRaw, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    ImagePtr decoded(decodedRaw);
    if (decodeError.code != heif_error_Ok || !decoded)
        return nullptr;
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    const int w = heif_image_get_width(decoded.get(), heif_channel_interleaved);
    const int h = heif_image_get_height(decoded.get(), heif_channel_interleaved);
    const int channels = alpha ? 4 : 3;
    if (!plane || w != int(opened.width) || h != int(opened.height) || stride < w * channels ||
        heif_image_get_bits_per_pixel_range(decoded.get(), heif_channel_interleaved) != 8) {
        return nullptr;
    }

    FreeImagePtr dib(FreeImage_Allocate(w, h, alpha ? 32 : 24));
    if (!dib)
        return nullptr;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = plane + std::size_t(stride) * std::size_t(y);
        BYTE* dst = FreeImage_GetScanLine(dib.get(), h - 1 - y);
        for (int x = 0; x < w; ++x, src += channels, dst += channels) {
            dst[FI_RGBA_RED] = src[0];
            dst[FI_RGBA_GREEN] = src[1];
            dst[FI_RGBA_BLUE] = src[2];
            if (alpha)
                dst[FI_RGBA_ALPHA] = src[3];
        }
    }
    // The file states no resolution; like a library image that declares none.
    FreeImage_SetDotsPerMeterX(dib.get(), 0);
    FreeImage_SetDotsPerMeterY(dib.get(), 0);
    AttachColourProfile(dib.get(), handle);
    AttachMetadataBlocks(dib.get(), handle);
    storedOrientation = ExifOrientationOf(dib.get());
    return dib.release();
}

} // namespace tessoly
