#pragma once
// Moving a decoded library image's pixels into a 32-bit bitmap in one pass: rows flipped (the
// library keeps the bottom row first), palettes expanded, 5-5-5 and 5-6-5 fields decoded and
// 24-bit pixels widened, each pixel written once with alpha 255. The colours are exactly those
// FreeImage_ConvertTo32Bits gives; that conversion would cost a library image and one more
// full-frame pass. A palette's transparency is carried over only when asked for.

#include <FreeImage.h>

#include "render/Bitmap32.h"

namespace tessoly {

//! Can TransferLibraryPixels read dib itself (FIT_BITMAP of 1, 4, 8, 16, 24 or 32 bits)?
bool TransfersDirectly(FIBITMAP* dib);

//! Fills out, already sized to dib, with its pixels top row first. A 32-bit dib keeps its alpha
//! when keepAlpha; a palette image takes the alpha of its transparency table when
//! keepPaletteAlpha (as FreeImage_ConvertTo32Bits does); every other depth is opaque. dib must be
//! one TransfersDirectly accepts.
void TransferLibraryPixels(FIBITMAP* dib, TBitmap32& out, bool keepAlpha = true,
                           bool keepPaletteAlpha = false) noexcept;

//! Writes width 3-byte blue, green, red pixels of src to dst as opaque pixels, with the
//! processor's vector instructions when allowVector and available. Exposed for its test.
void ExpandRow24(const unsigned char* src, TColor32* dst, int width, bool allowVector = true) noexcept;

//! Is some pixel of bitmap not fully opaque?
bool AnyTranslucent(const TBitmap32& bitmap) noexcept;

} // namespace tessoly
