#pragma once
// Bringing a source's XMP packet up to date for its output, as the Exif block is (ExifRewrite.h):
// the orientation becomes 1 where the pixels were turned upright, the pixel dimensions become the
// output's, and an embedded thumbnail (xmp:Thumbnails, the picture without the watermark) goes.
// Only the property forms writers use are touched: an attribute (tiff:Orientation="6") or a
// simple element (<tiff:Orientation>6</tiff:Orientation>); everything else stays byte for byte.

#include <string>

#include "imageio/ExifRewrite.h"

namespace tessoly {

//! packet rewritten for the output.
std::string RewriteXmpPacket(const std::string& packet, const ExifUpdate& update);

} // namespace tessoly
