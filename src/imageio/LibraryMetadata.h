#pragma once
// Metadata between the raw blocks of libheif and libwebp and FreeImage's models. FreeImage has
// no public parser for a bare Exif block, so the block is parsed by its own JPEG loader: it is
// spliced as an APP1 segment into a tiny JPEG that is then read without pixels, and the models
// that read fills are cloned onto the decoded image, exactly as a JPEG source would carry them.

#include <cstdint>
#include <vector>

struct FIBITMAP;

namespace tessoly {

//! Attaches an Exif block (a TIFF header and its directories, optionally behind "Exif\0\0") to
//! dib: the parsed models and FIMD_EXIF_RAW. Leaves dib's resolution as it was. A block that does
//! not fit one APP1 segment or does not parse attaches nothing.
void AttachExif(FIBITMAP* dib, const std::uint8_t* data, std::size_t size);
//! Attaches an XMP packet as FIMD_XMP "XMLPacket".
void AttachXmp(FIBITMAP* dib, const std::uint8_t* data, std::size_t size);
//! The Exif orientation (1..8) of dib's parsed Exif; 1 without one.
int ExifOrientationOf(FIBITMAP* dib);
//! dib's raw Exif block from its TIFF header on ("Exif\0\0" removed); empty without one.
std::vector<std::uint8_t> RawExifOf(FIBITMAP* dib);
//! dib's XMP packet; empty without one.
std::vector<std::uint8_t> XmpOf(FIBITMAP* dib);

} // namespace tessoly
