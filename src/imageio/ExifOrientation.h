#pragma once
// Exif orientation: how a camera says its stored pixels must be turned and mirrored to be seen
// upright. Values 1..8 as the Exif standard numbers them (row 0 / column 0 of the stored image):
// 1 top/left (as stored), 2 top/right (mirrored), 3 bottom/right (half turn), 4 bottom/left
// (flipped), 5 left/top (transposed), 6 right/top (a clockwise quarter turn shows it upright),
// 7 right/bottom (transversed), 8 left/bottom (a counter-clockwise quarter turn). 5..8 swap the
// picture's width and height.
//
// The tag is read from FreeImage's Exif model, which a header-only load (FIF_LOAD_NOPIXELS)
// fills as well, so the list's facts and the decoder agree without decoding twice.
// Thread-safe: no state.

#include <vector>

#include <FreeImage.h>

#include "imageio/FreeImageHandle.h"
#include "render/Bitmap32.h"

namespace tessoly {

//! The Exif Orientation of dib (header-only images included): 1..8, or 1 when it has none or
//! the tag holds anything else.
int ExifOrientation(FIBITMAP* dib);

//! Do orientations 5..8 (the quarter-turn family) swap width and height?
inline bool OrientationSwapsAxes(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

//! The size of a stored width x height picture once turned upright for orientation.
void UprightSize(int orientation, unsigned& width, unsigned& height);

//! The size viewers show dib at: its width and height, swapped for orientations 5..8 when
//! applyOrientation. Works on a header-only image.
void ViewedSize(FIBITMAP* dib, bool applyOrientation, unsigned& width, unsigned& height);

//! Writes stored rows [firstRow, firstRow + rowCount) of a storedWidth x storedHeight picture
//! (rows: rowCount rows of storedWidth pixels, top row first) to their upright places in upright,
//! already of UprightSize. Exact pixel moves; the quarter turns go through small tiles so that
//! every write fills whole cache lines.
void PlaceStoredRows(const TColor32* rows, int storedWidth, int storedHeight, int firstRow, int rowCount,
                     int orientation, TBitmap32& upright) noexcept;

//! upright becomes stored turned and mirrored upright for orientation (1 copies it). Throws
//! RenderError when the bitmap cannot be had.
void OrientUpright(const TBitmap32& stored, int orientation, TBitmap32& upright);

//! Turns a library image upright band by band while its pixels reach 32 bits, so no
//! stored-orientation copy of the whole picture is ever made. Prepare allocates everything the
//! run needs, so that Run, which writes the target, cannot fail half-way.
class UprightTransfer {
public:
    //! dib is one TransfersDirectly accepts and outlives the transfer. False when the memory for
    //! the bands cannot be had.
    bool Prepare(FIBITMAP* dib, int orientation);
    //! Fills upright, already of UprightSize, with dib's pixels turned upright. A 32-bit dib keeps
    //! its alpha when keepAlpha, a palette its transparency when keepPaletteAlpha.
    void Run(TBitmap32& upright, bool keepAlpha, bool keepPaletteAlpha = false) noexcept;

private:
    //! Stored rows per band; a band of a 6000-pixel-wide photo stays in the second-level cache.
    static constexpr int kBandRows = 32;
    FIBITMAP* dib_ = nullptr;
    int orientation_ = 1;
    //! A 24-bit image turned by a quarter turn straight from its rows, without bands.
    bool direct24_ = false;
    //! Views onto dib's bands, top band first; they share dib's pixels.
    std::vector<FreeImagePtr> bands_;
    //! One band at 32 bits, stored orientation; the last band may be shorter.
    TBitmap32 band_;
    TBitmap32 lastBand_;
};

} // namespace tessoly
