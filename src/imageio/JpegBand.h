#pragma once
// A band of a JPEG's coefficient arrays as pixels and back. The band is a rectangle on the
// source's MCU grid (it may end at the picture's right or bottom edge), so its blocks are the
// source's blocks: decoding it gives the pixels a whole decode gives there, and encoding it with
// the source's own quantisation tables and sampling factors gives blocks that drop straight into
// the source's arrays. libjpeg does every transform (IDCT, DCT, colour conversion, up- and
// downsampling); the band travels between the two as a small JPEG in memory.

#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include "render/Bitmap32.h"

namespace tessoly {

struct McuRowBlocks;

//! A source's coefficients: all of them read with jpeg_read_coefficients, or the MCUs around the
//! band held in memory.
struct CoefficientSource {
    jpeg_decompress_struct* info = nullptr;
    jvirt_barray_ptr* arrays = nullptr;
    McuRowBlocks* heldRows = nullptr;

    //! The blocks of a component's block row from blockColumn on.
    JBLOCKROW Blocks(int component, int blockRow, int blockColumn, bool writable) const;

    //! The MCU's size [pixels].
    int CellWidth() const { return 8 * info->max_h_samp_factor; }
    int CellHeight() const { return 8 * info->max_v_samp_factor; }
    //! rect grown to whole MCUs, clipped to the picture.
    TRect CellAligned(const TRect& rect) const;
};

//! Decodes the band into piece (band's size, opaque BGRA pixels) the way the ordinary decode
//! does: fast integer IDCT, no fancy upsampling.
void DecodeBand(const CoefficientSource& source, const TRect& band, TBitmap32& piece);

//! Encodes composed (the band's pixels after marking) and puts into the source's arrays the
//! blocks of every MCU in which composed differs from original. Returns the number of MCUs
//! replaced. Throws JpegError.
int ReplaceChangedCells(const CoefficientSource& source, const TRect& band, const TBitmap32& original,
                        const TBitmap32& composed);

} // namespace tessoly
