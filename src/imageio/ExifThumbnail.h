#pragma once
// The Exif thumbnail of a picture marked in place would still show the picture without its
// watermark, so the thumbnail directory (IFD1) is unlinked and the thumbnail's bytes are zeroed.
// Nothing moves: every offset in the block stays valid.

#include <cstdint>
#include <vector>

namespace tessoly {

//! Removes the thumbnail from an APP1 Exif payload ("Exif\0\0" and a TIFF block) in place; a
//! payload that is not Exif, or has no thumbnail, is left as it is. Reads nothing out of bounds.
void DropExifThumbnail(std::vector<std::uint8_t>& app1);

} // namespace tessoly
