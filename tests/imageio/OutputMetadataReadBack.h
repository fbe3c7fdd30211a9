#pragma once
// Reading metadata back out of written outputs for the output tests: library tags, and PNG and
// TIFF structures read with our own small walks where the library's readers leave them out.

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include <FreeImage.h>
#include <zlib.h>

namespace tessoly::test {

inline void Put16(std::vector<BYTE>& b, unsigned v) {
    b.push_back(static_cast<BYTE>(v));
    b.push_back(static_cast<BYTE>(v >> 8));
}
inline void Put32(std::vector<BYTE>& b, unsigned v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

//! An APP1 Exif block as a camera writes it: IFD0 with Make and Model.
inline std::vector<BYTE> CameraExif() {
    std::vector<BYTE> b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0};
    Put32(b, 8);      // IFD0 offset
    Put16(b, 2);      // entries
    Put16(b, 0x010F); // Make, ASCII, 11 bytes at offset 38
    Put16(b, 2);
    Put32(b, 11);
    Put32(b, 38);
    Put16(b, 0x0110); // Model, ASCII, 4 bytes inline
    Put16(b, 2);
    Put32(b, 4);
    b.insert(b.end(), {'T', '-', '1', 0});
    Put32(b, 0); // no next IFD
    const char make[] = "TessolyCam";
    b.insert(b.end(), make, make + sizeof make);
    return b;
}

inline void SetTag(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key, WORD id, FREE_IMAGE_MDTYPE type,
            const void* value, DWORD length) {
    FITAG* tag = FreeImage_CreateTag();
    FreeImage_SetTagKey(tag, key);
    FreeImage_SetTagID(tag, id);
    FreeImage_SetTagType(tag, type);
    FreeImage_SetTagCount(tag, length);
    FreeImage_SetTagLength(tag, length);
    FreeImage_SetTagValue(tag, value);
    FreeImage_SetMetadata(model, image, key, tag);
    FreeImage_DeleteTag(tag);
}

inline std::string TagText(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(model, image, key, &tag) || tag == nullptr)
        return "";
    const char* value = static_cast<const char*>(FreeImage_GetTagValue(tag));
    return std::string(value, strnlen(value, FreeImage_GetTagLength(tag)));
}

inline std::vector<BYTE> ProfileOf(FIBITMAP* image) {
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(image);
    if (profile == nullptr || profile->data == nullptr)
        return {};
    const auto* data = static_cast<const BYTE*>(profile->data);
    return std::vector<BYTE>(data, data + profile->size);
}

inline std::string TagString(FIBITMAP* image, FREE_IMAGE_MDMODEL model, const char* key) {
    FITAG* tag = nullptr;
    if (!FreeImage_GetMetadata(model, image, key, &tag) || tag == nullptr)
        return "";
    return FreeImage_TagToString(model, tag, nullptr);
}

inline bool Contains(const std::string& haystack, const std::vector<BYTE>& needle) {
    return haystack.find(std::string(needle.begin(), needle.end())) != std::string::npos;
}

//! The body of a PNG file's first chunk of this type, read with our own chunk walk.
inline std::vector<BYTE> PngChunk(const std::string& png, const char* type) {
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const auto* p = reinterpret_cast<const BYTE*>(png.data() + at);
        const std::size_t length = std::size_t(p[0]) << 24 | std::size_t(p[1]) << 16 | std::size_t(p[2]) << 8 | p[3];
        if (std::memcmp(p + 4, type, 4) == 0)
            return std::vector<BYTE>(p + 8, p + 8 + length);
        at += 12 + length;
    }
    return {};
}

//! The profile of a PNG file's iCCP chunk, read with our own chunk walk: the library's PNG
//! reader leaves profiles out.
inline std::vector<BYTE> PngProfile(const std::string& png) {
    const std::vector<BYTE> chunk = PngChunk(png, "iCCP");
    // A name, its terminator, the compression method, then the zlib stream.
    const auto name = std::find(chunk.begin(), chunk.end(), BYTE(0));
    if (chunk.end() - name < 2)
        return {};
    std::vector<BYTE> profile(1 << 16);
    uLongf size = static_cast<uLongf>(profile.size());
    const BYTE* stream = &*(name + 2);
    if (uncompress(profile.data(), &size, stream, static_cast<uLong>(chunk.end() - (name + 2))) != Z_OK)
        return {};
    profile.resize(size);
    return profile;
}

//! The SHORT value of a tag in a little-endian TIFF's first directory, or 0.
inline unsigned TiffFirstDirectoryShort(const std::string& tiff, unsigned tag) {
    auto u16 = [&tiff](std::size_t at) { return unsigned(BYTE(tiff[at])) | unsigned(BYTE(tiff[at + 1])) << 8; };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (tiff.size() < 8 || tiff.compare(0, 2, "II") != 0)
        return 0;
    const std::size_t ifd = u32(4);
    for (unsigned e = 0; ifd + 2 + 12 * (e + 1) <= tiff.size() && e < u16(ifd); ++e) {
        const std::size_t entry = ifd + 2 + 12 * e;
        if (u16(entry) == tag && u16(entry + 2) == 3)
            return u16(entry + 8);
    }
    return 0;
}

//! The IPTC records of a PNG file's "Raw profile type iptc" chunk: zlib text of a header and
//! hexadecimal digits.
inline std::string PngRawIptc(const std::string& png) {
    const std::vector<BYTE> chunk = PngChunk(png, "zTXt");
    const char keyword[] = "Raw profile type iptc";
    if (chunk.size() < sizeof keyword + 1 || std::memcmp(chunk.data(), keyword, sizeof keyword) != 0)
        return {};
    std::vector<BYTE> text(1 << 16);
    uLongf size = static_cast<uLongf>(text.size());
    if (uncompress(text.data(), &size, chunk.data() + sizeof keyword + 1,
                   static_cast<uLong>(chunk.size() - sizeof keyword - 1)) != Z_OK) {
        return {};
    }
    std::istringstream in(std::string(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(size)));
    std::string name, hex, line;
    std::size_t length = 0;
    in >> name >> length;
    while (in >> line)
        hex += line;
    std::string records;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        records += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    EXPECT_EQ(name, "iptc");
    EXPECT_EQ(records.size(), length);
    return records;
}

} // namespace tessoly::test
