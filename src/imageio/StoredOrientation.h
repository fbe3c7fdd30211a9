#pragma once
// The Exif orientation of a picture as a mapping between its stored pixels and the picture a
// viewer shows: orientation 6, for example, stores the picture turned a quarter to the left, so
// stored row 0 is the viewed right-hand column.

#include <cstddef>
#include <cstdint>

#include "render/Bitmap32.h"

namespace tessoly {

//! The Orientation tag (1..8) of an APP1 Exif payload ("Exif\0\0" and a TIFF block); 1 when the
//! payload is not Exif, has no tag or holds a value outside 1..8. Reads nothing past size.
int ExifOrientationOfApp1(const std::uint8_t* data, std::size_t size);

//! A stored picture of width x height with an orientation 1..8.
struct StoredOrientation {
    int orientation = 1;
    int storedWidth = 0;
    int storedHeight = 0;

    //! The orientations 5..8 swap the sides.
    bool Transposes() const { return orientation >= 5 && orientation <= 8; }
    int ViewedWidth() const { return Transposes() ? storedHeight : storedWidth; }
    int ViewedHeight() const { return Transposes() ? storedWidth : storedHeight; }
    //! Where stored pixel (x, y) appears in the viewed picture.
    void ToViewed(int x, int y, int& vx, int& vy) const;
    //! Where viewed pixel (vx, vy) is stored.
    void ToStored(int vx, int vy, int& x, int& y) const;
    //! The viewed rectangle covering a stored one, and the other way round.
    TRect ViewedRect(const TRect& stored) const;
    TRect StoredRect(const TRect& viewed) const;
    //! Copies piece, the pixels of the stored rectangle stored, into viewed (resized to
    //! ViewedRect(stored)) as a viewer shows them, and back.
    void StoredToViewed(const TBitmap32& piece, const TRect& stored, TBitmap32& viewed) const;
    void ViewedToStored(const TBitmap32& viewed, const TRect& stored, TBitmap32& piece) const;
};

} // namespace tessoly
