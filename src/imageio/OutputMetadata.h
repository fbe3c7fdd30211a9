#pragma once
// Fitting the metadata of a converted output to its format, after the last conversion step:
// the Exif block rewritten for the output (ExifRewrite.h) where the format keeps Exif, IPTC
// lists put back in their order, and the source's colour profile attached to colour outputs of
// formats that hold one, whether or not the other metadata is kept (a profile says what the
// colour numbers mean; it is no personal data). Pixels are never converted between profiles.

#include <FreeImage.h>

#include "imageio/OutputConversion.h"
#include "imageio/OutputSettings.h"

namespace tessoly {

//! Fits out.image's metadata to out.format, from sourceImage (may be null), and fills
//! out.exifBlock for writers that need the Exif spliced in after encoding.
void FitMetadataToFormat(ConvertedOutput& out, FIBITMAP* sourceImage, const OutputSettings& settings,
                         bool orientationApplied);

//! Is profile an ICC profile of RGB data (the only kind that can describe a colour output)?
bool IsRgbColourProfile(const FIICCPROFILE* profile);

} // namespace tessoly
