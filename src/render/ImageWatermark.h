#pragma once
// The picture watermark: decoding the picture file and turning it into the final picture
// (quarter turns, transparent key, scaling) that the composer places.

#include <string>

#include "render/Bitmap32.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! Decodes a picture file into straight-alpha ARGB pixels. Leaves picture empty when the file
//! cannot be decoded; never throws for bad content.
void DecodeWatermarkPicture(const std::string& path, TBitmap32& picture);

//! Orientation, transparent edges and scaling of a decoded picture (draw mode dmBlend, master
//! alpha alpha), giving the final picture. Throws RenderError when the scale text is not a number.
void PrepareWatermarkPicture(const TBitmap32& decoded, const WatermarkSettings& settings, int alpha,
                             TBitmap32& oriented, TBitmap32& final);

} // namespace tessoly
