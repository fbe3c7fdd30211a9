#pragma once
// The picture watermark: decoding the picture file and turning it into the final picture
// (quarter turns, transparent key, scaling) that the composer places. Nothing is cached: the
// file is decoded again on every render.

#include <string>

#include "render/Bitmap32.h"
#include "render/WatermarkSettings.h"

class QIODevice;

namespace tessoly {

//! Decodes a picture file into straight-alpha ARGB pixels, top row first. Leaves picture empty
//! when the file cannot be read or decoded; never throws for bad content. Reads what Qt's image
//! reader reads, plus EMF metafiles; EMF and SVG only in a process with a QGuiApplication.
void DecodeWatermarkPicture(const std::string& path, TBitmap32& picture);
//! The same from an open device, read from its current position.
void DecodeWatermarkPicture(QIODevice& device, TBitmap32& picture);

//! Quarter turns by imageRotationPosition p (0..4, angle 90 * p - 180 degrees, clockwise).
//! p = 2 copies decoded with its draw mode and master alpha; any other p gives oriented dmBlend
//! and master alpha alpha. Positions outside 0..4 are treated as 2.
void OrientPicture(const TBitmap32& decoded, int rotationPosition, int alpha, TBitmap32& oriented);

//! Every pixel equal to the top-left pixel (all 32 bits) gets alpha 0, its colour kept.
void KeyTransparentEdges(TBitmap32& picture);

//! The scale percentage: a decimal integer with an optional sign, nothing else (no blanks).
//! Throws RenderError naming the text otherwise.
int ParseScalePercent(const std::string& text);

//! Scales oriented by percent / 100 (a 32-bit float). Factor 1 copies it; any other factor gives
//! a new dmBlend bitmap of master alpha alpha, sized round-half-to-even, negatives 0, onto which
//! the nearest-neighbour samples are blended from transparent black (soft edges darken).
//! oriented's master alpha is set to 255. Throws RenderError when the result would be too large.
void ScalePicture(TBitmap32& oriented, int percent, int alpha, TBitmap32& final);

//! The same stretch to an exact size [pixels]; 0 on either side gives an empty picture.
void ScalePictureToSize(TBitmap32& oriented, int width, int height, int alpha, TBitmap32& final);
//! Orientation, transparent edges and scaling of a decoded picture (draw mode dmBlend, master
//! alpha alpha), giving the final picture. A scale in percent of the image sizes the picture's
//! width to that share of imageWidth [pixels]. Throws RenderError when the scale text is not a
//! number.
void PrepareWatermarkPicture(const TBitmap32& decoded, const WatermarkSettings& settings, int alpha,
                             TBitmap32& oriented, TBitmap32& final, int imageWidth = 0);

} // namespace tessoly
