#pragma once
// The metadata chunks of a PNG source that the library's PNG reader leaves out: the ICC profile
// of the iCCP chunk (without it a Display P3 screenshot or an Adobe RGB export would lose what
// its colour numbers mean) and the Exif block of the eXIf chunk.

#include <cstdint>
#include <string>
#include <vector>

struct FIBITMAP;

namespace tessoly {

//! Largest profile read [bytes]; real profiles are a few kilobytes, a few large ones a megabyte.
constexpr std::size_t kMaxColourProfileBytes = std::size_t(16) << 20;

struct PngSourceMetadata {
    //! The decompressed ICC profile, or empty.
    std::vector<std::uint8_t> colourProfile;
    //! The TIFF-shaped Exif block, or empty.
    std::vector<std::uint8_t> exif;
};

//! The chunks before the image data of the PNG file at path; what is missing or broken stays empty.
PngSourceMetadata ReadPngSourceMetadata(const std::string& path);

//! Gives dib, decoded from the PNG file at path, the profile and Exif block the library's reader
//! left out (as its JPEG reader keeps them: the profile, the block as "ExifRaw"), for the output
//! stage to hand on. A library profile is kept; an Exif block that is not sound is left out.
void AttachPngSourceMetadata(FIBITMAP* dib, const std::string& path);

} // namespace tessoly
