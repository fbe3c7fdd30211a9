#pragma once
// The checks a source file passes before FreeImage decodes it. FreeImage 3.18 trusts what a header
// claims: a JPEG frame declaring more than four colour components corrupts its heap, and a header
// claiming an enormous picture costs minutes and gigabytes before the data runs out. So the header
// of every source format is read here first, and a file that cannot be a real picture is refused.

#include <cstdint>
#include <string>

#include "imageio/ByteReader.h"

namespace tessoly {

//! Longest side a source picture may have [pixels].
constexpr std::uint64_t kMaxSourceSide = 65535;
//! Most pixels a source picture may have: what one working bitmap may hold (2^28).
constexpr std::uint64_t kMaxSourcePixels = std::uint64_t(1) << 28;

//! The outcome of reading a header.
enum class HeaderCheck {
    Plausible,  //!< the header describes a picture the decoder may try
    Refused,    //!< the file cannot be a real picture (or is cut short): do not decode it
    NotChecked, //!< no reader here for this format or variant
};

//! How much of a file a check covers.
enum class HeaderScope {
    //! Everything the full decoder will read (JPEG: the marker structure to its end marker).
    WholeFile,
    //! What a header-only load reads (JPEG: the segments before the first scan); for the facts.
    HeaderOnly,
};

//! The picture size a header states [pixels]; 0 x 0 where the reader does not say.
struct HeaderPictureSize {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
};

//! True when width x height [pixels] lies inside the caps (both at least 1).
bool PlausiblePictureSize(std::uint64_t width, std::uint64_t height);

//! Reads the header of a file that FreeImage detected as formatCode (a FREE_IMAGE_FORMAT).
//! Covers BMP, GIF, JPEG (the whole marker structure up to its end marker, and the Exif block
//! FreeImage parses), JPEG-2000 (JP2 and code streams), PCX, PNG, PSD, TARGA, TIFF, WebP and the
//! box structure of HEIF and AVIF (kFormatHeif, kFormatAvif). Where FreeImage would fill a
//! cut-short file and report success (JPEG, PCX, PSD, RLE TARGA), the data is walked to its end.
//! When size is given, the readers of formats whose picture size the decoder takes straight from
//! the header and whose library plugin has no header-only load (GIF, JPEG-2000) put it there.
HeaderCheck CheckSourceHeader(ByteReader& reader, int formatCode, HeaderScope scope = HeaderScope::WholeFile,
                              HeaderPictureSize* size = nullptr);

//! CheckSourceHeader on the file at path, then for HEIF and AVIF libheif's reading of the boxes
//! (CheckHeifFile); for formats it does not cover, a header-only FreeImage
//! load (where the plugin has one) checks the size. Safe to call from several threads at once.
bool SourceHeaderIsPlausible(const std::string& path, int formatCode,
                             HeaderScope scope = HeaderScope::WholeFile);

} // namespace tessoly
