#pragma once
// The seam to libheif: HEIF (HEVC, by libde265) and AVIF (AV1, by dav1d) sources become FreeImage
// bitmaps with their ICC profile, Exif and XMP attached, as FreeImage's own loaders attach them;
// AVIF outputs are encoded by libaom. Only this file pair and its two sources include libheif.
// Thread contract: any thread; each call uses a context of its own.

#include <cstdint>
#include <string>
#include <vector>

#include "imageio/HeaderSanity.h"

struct FIBITMAP;

namespace tessoly {

//! Registers libheif's decoders and encoders once; every entry below calls it.
void InitialiseLibheif();

//! kFormatHeif or kFormatAvif when data opens with an ISO-BMFF "ftyp" box naming a HEIF or AVIF
//! brand (major or compatible); -1 otherwise.
int HeifFormatFromHeader(const std::uint8_t* data, std::size_t size);

//! Reads the boxes of the file (never its coded pixels) and checks the primary image's size,
//! after its transforms, against the source caps.
HeaderCheck CheckHeifFile(const std::string& path);

//! Width and height [pixels] of the primary image as shown (transforms applied), from the boxes
//! alone; false when the file cannot be read.
bool ReadHeifSize(const std::string& path, unsigned& width, unsigned& height);

//! The primary image, decoded upright (libheif applies the file's rotation, mirroring and crop)
//! into a 24-bit (32-bit with alpha) FIT_BITMAP at 0 dots per metre, with metadata attached;
//! storedOrientation gets the Exif orientation as stored (1 without one). Null on any failure.
FIBITMAP* DecodeHeif(const std::string& path, int& storedOrientation);

//! Encodes a 24- or 32-bit FIT_BITMAP as AVIF at quality 1..100 (lossless at 100 is not asked:
//! 100 is the finest lossy setting), carrying its ICC profile, Exif and XMP. Returns false with
//! error set to the library's text on failure.
bool EncodeAvif(FIBITMAP* image, int quality, std::vector<std::uint8_t>& out, std::string& error);

} // namespace tessoly
