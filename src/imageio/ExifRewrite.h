#pragma once
// Bringing a source's Exif block up to date for its watermarked output, in place: the pixel
// dimensions become the output's, the orientation 1 when the pixels were turned upright, and
// the thumbnail directory (IFD1) goes, its picture bytes zeroed, since that thumbnail shows the
// picture without the watermark. Only values inside their entries are written and no offset
// moves, so maker notes and every other offset stay valid. A block whose directories do not lie
// inside it is refused rather than written on.

#include <cstdint>
#include <vector>

namespace tessoly {

//! What the output's Exif must say.
struct ExifUpdate {
    //! Output size [pixels].
    unsigned width = 0;
    unsigned height = 0;
    //! Write Orientation 1 (the pixels are upright); otherwise the tag stays as it is.
    bool orientationUpright = false;
};

//! Rewrites block (a TIFF-shaped Exif block, optionally opened by "Exif\0\0" as in a JPEG's
//! APP1) for the output. Returns false, block unspecified, when the block is malformed.
bool RewriteExifBlock(std::vector<std::uint8_t>& block, const ExifUpdate& update);

} // namespace tessoly
