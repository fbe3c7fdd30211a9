#include "imageio/PngSourceMetadata.h"

#include <cstring>
#include <utility>

#include <FreeImage.h>
#include <zlib.h>

#include "imageio/ByteReader.h"
#include "imageio/TiffDirectory.h"

namespace tessoly {

namespace {

//! Inflates a zlib stream, refusing output beyond the cap.
std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& in) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    std::vector<std::uint8_t> out;
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    int status = Z_OK;
    while (status == Z_OK) {
        const std::size_t done = out.size();
        if (done >= kMaxColourProfileBytes)
            break;
        out.resize(done + 64 * 1024);
        z.next_out = out.data() + done;
        z.avail_out = static_cast<uInt>(out.size() - done);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
    }
    inflateEnd(&z);
    if (status != Z_STREAM_END)
        return {};
    return out;
}

//! The profile of an iCCP chunk's body: a name of 1..79 characters, its terminator,
//! compression method 0, the zlib stream.
std::vector<std::uint8_t> ColourProfile(const std::vector<std::uint8_t>& body) {
    const void* end = std::memchr(body.data(), 0, body.size() < 80 ? body.size() : 80);
    if (end == nullptr)
        return {};
    const std::size_t streamAt = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end) - body.data()) + 2;
    if (streamAt > body.size() || body[streamAt - 1] != 0)
        return {};
    return Inflate(std::vector<std::uint8_t>(body.begin() + static_cast<std::ptrdiff_t>(streamAt), body.end()));
}

} // namespace

PngSourceMetadata ReadPngSourceMetadata(const std::string& path) {
    PngSourceMetadata found;
    ByteReader r(path);
    std::uint8_t signature[8];
    if (!r.Ok() || !r.ReadAt(0, signature, 8) || std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8) != 0)
        return found;
    // Both chunks come before the image data (an eXIf after it is not read, as libpng reads it).
    for (std::uint64_t at = 8;;) {
        std::uint8_t head[8];
        if (!r.ReadAt(at, head, 8))
            return found;
        const std::uint32_t length = Be32(head);
        if (std::memcmp(head + 4, "IDAT", 4) == 0 || std::memcmp(head + 4, "IEND", 4) == 0)
            return found;
        const bool profile = std::memcmp(head + 4, "iCCP", 4) == 0 && found.colourProfile.empty();
        const bool exif = std::memcmp(head + 4, "eXIf", 4) == 0 && found.exif.empty();
        if ((profile || exif) && length <= kMaxColourProfileBytes) {
            std::vector<std::uint8_t> body(length);
            if (!r.ReadAt(at + 8, body.data(), length))
                return found;
            if (profile)
                found.colourProfile = ColourProfile(body);
            else
                found.exif = std::move(body);
        }
        at += 12 + std::uint64_t(length);
    }
}


void AttachPngSourceMetadata(FIBITMAP* dib, const std::string& path) {
    PngSourceMetadata found = ReadPngSourceMetadata(path);
    const FIICCPROFILE* known = FreeImage_GetICCProfile(dib);
    if (!found.colourProfile.empty() && (known == nullptr || known->size == 0))
        FreeImage_CreateICCProfile(dib, found.colourProfile.data(), static_cast<long>(found.colourProfile.size()));
    if (!found.exif.empty() && ExifBlockIsSound(found.exif.data(), found.exif.size())) {
        std::vector<std::uint8_t> raw = {'E', 'x', 'i', 'f', 0, 0};
        raw.insert(raw.end(), found.exif.begin(), found.exif.end());
        FITAG* tag = FreeImage_CreateTag();
        if (tag == nullptr)
            return;
        FreeImage_SetTagKey(tag, "ExifRaw");
        FreeImage_SetTagType(tag, FIDT_BYTE);
        FreeImage_SetTagCount(tag, static_cast<DWORD>(raw.size()));
        FreeImage_SetTagLength(tag, static_cast<DWORD>(raw.size()));
        FreeImage_SetTagValue(tag, raw.data());
        FreeImage_SetMetadata(FIMD_EXIF_RAW, dib, "ExifRaw", tag);
        FreeImage_DeleteTag(tag);
    }
}

} // namespace tessoly
