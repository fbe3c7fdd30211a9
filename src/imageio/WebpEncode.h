#pragma once
// The seam to libwebp for WebP outputs. FreeImage's own WebP writer runs libwebp at a slow method
// (ten times the time for no smaller file on a photo), so outputs are encoded here at a fast
// method with libwebp's multi-threaded encoder, and the ICC profile, Exif and XMP go in through
// libwebpmux. WebP sources are still read by FreeImage.
// Thread contract: any thread.

#include <cstdint>
#include <string>
#include <vector>

struct FIBITMAP;

namespace tessoly {

//! Encodes a 24- or 32-bit FIT_BITMAP as WebP: lossy at quality 1..100, or lossless. Returns false
//! with error set on failure.
bool EncodeWebp(FIBITMAP* image, int quality, bool lossless, std::vector<std::uint8_t>& out, std::string& error);

} // namespace tessoly
