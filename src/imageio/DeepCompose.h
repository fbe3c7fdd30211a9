#pragma once
// The mark on a 16-bit-per-channel picture. The renderer composes in 8 bits, so the mark is told
// apart from the picture by composing it twice, over black and over white: per channel the
// composition is affine in the picture under it, c = p * k / 255 + m, and the two give m (over
// black) and k (white minus black). The 16-bit result is then p16 * k / 255 + m * 257: the same
// coverage and opacity, scaled to 16 bits. Where the mark does not reach, k = 255 and m = 0, so
// the picture's 16-bit values come out bit for bit.

#include "imageio/FreeImageHandle.h"
#include "render/Bitmap32.h"

namespace tessoly {

//! Is source a picture this path keeps deep: FIT_RGB16 or FIT_RGBA16 colour, FIT_UINT16 grey?
bool IsDeepPicture(FIBITMAP* source);

//! A new image of source's 16-bit pixels with the mark. overBlack and overWhite are the mark
//! composed over an opaque black and an opaque white bitmap of source's size. A grey source stays
//! FIT_UINT16 when the mark is grey everywhere, otherwise the result is FIT_RGB16; the alpha of a
//! FIT_RGBA16 source is dropped, as the 8-bit route drops it. Null when the sizes differ or memory
//! is short.
FreeImagePtr ComposeDeepPicture(FIBITMAP* source, const TBitmap32& overBlack, const TBitmap32& overWhite);

} // namespace tessoly
