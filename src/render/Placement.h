#pragma once
// Where the watermark goes: the offset of the rotated text box and the top-left corner of the
// picture for each of the nine anchors, with the margins. Positions may be negative or lie past
// the image; drawing clips them.

#include "render/TextWatermark.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! Pixel offset (e, f) added to the text box's pen-origin corner P.
struct TextOffset {
    int e = 0;
    int f = 0;
};
//! Top-left corner (X, Y) of the picture [pixels of the image].
struct PicturePosition {
    int X = 0;
    int Y = 0;
};

//! Offsets that put the rotated box's left edge on hMargin, its centre on the image centre or its
//! right edge on imageWidth - hMargin (rows alike), each rounded half to even.
TextOffset TextPlacementOffset(WatermarkPosition position, int imageWidth, int imageHeight, int hMargin,
                               int vMargin, const TextBoxGeometry& box);

//! The picture's corner: margin, centred (halves to even, overhang split evenly) or margin from
//! the far edge. (0, 0) for an empty picture.
PicturePosition PicturePlacement(WatermarkPosition position, int imageWidth, int imageHeight,
                                 int pictureWidth, int pictureHeight, int hMargin, int vMargin);

} // namespace tessoly
