#pragma once
// The facts of a source file the image list shows (format, size, resolution), read from its
// header wherever that can tell them: FreeImage's header-only load (FIF_LOAD_NOPIXELS) for the
// formats whose plugin has one, the header checks' own readers for GIF and JPEG-2000, a full
// decode only for a format neither covers. A header
// read costs about a millisecond whatever the picture's size; a decode of a 24-megapixel photo
// costs about half a second. For every file that decodes, both give the same facts; a file whose
// header is sound but whose pixels are not gets its header's facts here and fails when decoded.
// Thread contract: any thread, several at once; FreeImage must be initialised.

#include <string>

namespace tessoly {

struct SourceFacts {
    //! FREE_IMAGE_FORMAT detected from the content; FIF_UNKNOWN (-1) when none.
    int format = -1;
    //! Picture size [pixels]; 0 x 0 when the file cannot be read or is refused.
    unsigned width = 0;
    unsigned height = 0;
    //! Resolution [dots per metre] as the file states it; 0 when it states none.
    unsigned dotsPerMetreX = 0;
    unsigned dotsPerMetreY = 0;
};

//! The facts of the file at path (a regular file; the caller keeps pipes and devices away),
//! from its header where possible. With applyExifOrientation the size is the one viewers show
//! (swapped for Exif orientations 5..8), as the decoder turns the picture.
SourceFacts ReadSourceFacts(const std::string& path, bool applyExifOrientation = true);
//! The same facts from a full decode: the reference the header path agrees with.
SourceFacts DecodeSourceFacts(const std::string& path, bool applyExifOrientation = true);

} // namespace tessoly
