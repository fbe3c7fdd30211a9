#pragma once
// What each output format's writer can carry besides the pixels. Every decision of the output
// stage about metadata, colour profiles and alpha is read from this one table, so a new writer
// is a new row.

#include <string>

#include "imageio/OutputSettings.h"

namespace tessoly {

//! What the writer of one output format stores.
struct FormatCapabilities {
    //! FreeImage format code (FREE_IMAGE_FORMAT).
    int code = -1;
    //! The source's Exif block (with its pixel dimensions and orientation brought up to date).
    bool exif = false;
    //! The source's XMP packet, unchanged.
    bool xmp = false;
    //! The source's IPTC records.
    bool iptc = false;
    //! The source's ICC colour profile, for colour outputs.
    bool icc = false;
    //! An alpha channel: a source with transparent pixels is written with 32-bit pixels.
    bool alpha = false;
};

//! The row of a FreeImage format code; a format without a row stores nothing but its pixels.
const FormatCapabilities& CapabilitiesOf(int formatCode);

//! Does the output that settings make of a source of this format keep transparency?
bool OutputHoldsAlpha(const OutputSettings& settings, int sourceFormat);

} // namespace tessoly
